#include "core/markup_check.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/reference_texts.h"
#include "core/request_markup.h"
#include "core/utf.h"

namespace lumvox::core {
namespace {

// Findings as "code@line:column", separated by spaces.
std::string Summary(const std::vector<MarkupFinding>& findings) {
    std::string out;
    for (const MarkupFinding& f : findings) {
        if (!out.empty()) out += ' ';
        out += std::string(CodeName(f.code)) + "@" + std::to_string(f.line) + ":" + std::to_string(f.column);
    }
    return out;
}

struct Case {
    std::u16string_view text;
    std::string_view expected;
};

// Each rule of the speech API's markup, right and wrong.
constexpr Case kCases[] = {
    // Well-formed: case-insensitive names, spaces around "=", either quote, empty or enclosing.
    {u"<volume level=\"50\">hi</volume>", ""},
    {u"<VOLUME Level = '80'/>the rest", ""},
    {u"<emph>x</EMPH>", ""},
    {u"<pitch absmiddle=\"-10\"/><rate speed=\"+10\">x</rate>", ""},
    {u"<sapi><silence msec=\"500\"/><bookmark mark=\"m1\"/><pron sym=\"h eh 1 l ow\"/></sapi>", ""},
    {u"<partofsp part=\"noun\">x</partofsp><context id=\"date_mdy\">1/2/3</context>", ""},
    {u"<voice required=\"Gender=Female;Age!=Child\" optional=\"Name=VW Yumi\">x</voice>", ""},
    {u"<lang langid=\"2C0A\"/><lang langid=\"412\">x</lang>", ""},
    {u"<emph>&amp;&lt;&gt;&quot;&apos;&#65;&#x41;</emph>", ""},
    {u"<?xml version=\"1.0\"?><!-- a note --><sapi><![CDATA[a < b & c]]></sapi>", ""},
    {u"<lumvox><cmd>time</cmd></lumvox>", ""},
    // Errors: the speak call may fail or the tag does nothing.
    {u"<emph>x", "unclosed-tag@1:1"},
    {u"<emph><volume level=\"50\">x</emph></volume>", "misnested-tag@1:27"},
    {u"<emph>x</emph></emph>", "unmatched-end-tag@1:15"},
    {u"<emph>1 < 2</emph>", "stray-less-than@1:9"},
    {u"<emph>AT&T</emph>", "stray-ampersand@1:9"},
    {u"<emph>&nbsp;</emph>", "stray-ampersand@1:7"},
    {u"<context id=\"a&b\">x</context>", "stray-ampersand@1:15"},
    {u"<emph>x</emph", "broken-tag@1:14"},
    {u"<volume level=\"50>x</volume>", "broken-tag@1:15"},
    // A "<" inside a quoted value is named where it stands; the tag itself is whole.
    {u"<bookmark mark=\"a<b\"/>", "stray-less-than@1:18"},
    {u"<bookmark mark='<'/>x", "stray-less-than@1:17"},
    {u"<volume level=\"5\" \"x\"/>", "broken-tag@1:19"},
    {u"<volume level=\"5\"", "open-to-end@1:1 broken-tag@1:18"},
    {u"<!-- never closed", "unended-comment@1:1"},
    {u"<volume level=50>x</volume>", "unquoted-value@1:15"},
    {u"<spell x>y</spell>", "missing-value@1:8"},
    {u"<volume level=\"5\" LEVEL=\"6\"/>", "repeated-attribute@1:19"},
    {u"<pitch/>", "missing-attribute@1:1"},
    {u"<rate>x</rate>", "missing-attribute@1:1"},
    {u"<voice/>", "missing-attribute@1:1"},
    {u"<bookmark mark=\"a\"/><bookmark/>", "missing-attribute@1:21"},
    {u"<volume level=\"loud\"/>", "not-a-number@1:16"},
    {u"<silence msec=\"1.5\"/><silence msec=\"-5\"/>", "not-a-number@1:16 signed-number@1:37"},
    {u"<silence msec=\"500\">x</silence>", "must-be-empty@1:1"},
    {u"<emph/>", "must-enclose@1:1"},
    // Warnings: it works, but not as written.
    {u"<volume level=\"200\">x</volume><volume level=\"-1\"/>", "value-clipped@1:16 value-clipped@1:46"},
    {u"<rate speed=\"11\">x</rate>", "value-clipped@1:14"},
    {u"<foo>x</foo>", "unknown-element@1:1"},
    {u"<volume level=\"50\" speed=\"1\"/>", "unknown-attribute@1:20"},
    {u"<partofsp part=\"adverb\">x</partofsp>", "unknown-value@1:17"},
    {u"<voice optional=\"Gender=Female;Colour=Red\"/>", "unknown-value@1:32"},
    {u"<lang langid=\"0x412\">x</lang>", "langid-not-hex@1:15"},
    {u"<lang langid=\"41D\">x</lang>", "langid-not-listed@1:15"},
    {u"Hello <emph>x</emph>", "markup-not-parsed@1:7"},
    {u"<prosody rate=\"fast\">x</prosody><break/>", "ssml-element@1:1 ssml-element@1:33"},
    // Notes: applies to the rest of the text.
    {u"<volume level=\"50\">x", "open-to-end@1:1"},
    // Plain text is not markup: nothing to say.
    {u"AT&T and 1 < 2", ""},
    {u"", ""},
    // Lines end at CR LF, LF or a lone CR; columns count UTF-16 units.
    {u"<sapi>\r\n<emph>x</emph>\n<foo/>\r</sapi>\r\n<bar/>", "unknown-element@3:1 unknown-element@5:1"},
    {u"<emph>\U0001F600<foo/></emph>", "unknown-element@1:9"},
};

TEST(MarkupCheck, FindsWhatEachRuleForbids) {
    for (const Case& c : kCases)
        EXPECT_EQ(Summary(CheckMarkup(c.text)), c.expected) << ToUtf8Lossy(c.text);
}

TEST(MarkupCheck, SeveritiesFollowTheCodes) {
    struct Expected { std::u16string_view text; Severity severity; };
    const Expected expected[] = {
        {u"<emph>x", Severity::Error},
        {u"<volume level=\"200\"/>", Severity::Warning},
        {u"<foo/>", Severity::Warning},
        {u"<volume level=\"50\">x", Severity::Note},
    };
    for (const Expected& e : expected) {
        auto findings = CheckMarkup(e.text);
        ASSERT_EQ(findings.size(), 1u) << ToUtf8Lossy(e.text);
        EXPECT_EQ(findings[0].severity, e.severity) << ToUtf8Lossy(e.text);
        EXPECT_EQ(HasError(findings), e.severity == Severity::Error);
    }
}

TEST(MarkupCheck, MisnestingNamesTheTagStillOpen) {
    auto findings = CheckMarkup(u"<emph>\r\n<volume level=\"50\">x</emph></volume>");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].value, u"volume");
    EXPECT_EQ(findings[0].other_line, 2u);
    EXPECT_EQ(findings[0].other_column, 1u);
    EXPECT_EQ(MessageEn(findings[0]),
              "</emph> closes <emph> while <volume> opened inside it (line 2, column 1) is still open");
    EXPECT_EQ(MessageKo(findings[0]),
              u"</emph>가 <emph> 태그를 닫지만 그 안에서 연 <volume> 태그(2줄 1칸)가 아직 열려 있습니다.");
}

TEST(MarkupCheck, MessagesNameWhatTheyAreAbout) {
    struct Expected { std::u16string_view text; std::string_view en; std::u16string_view ko; };
    const Expected expected[] = {
        {u"<VOLUME LEVEL=\"200\"/>", "LEVEL=\"200\" is outside 0..100; the speech API clips it",
         u"LEVEL=\"200\" 값이 0..100 범위를 벗어나 잘립니다."},
        {u"<rate absspeed=\"-12\"/>", "absspeed=\"-12\" is outside -10..10; the speech engine may clip it",
         u"absspeed=\"-12\" 값이 -10..10 범위를 벗어나 음성 엔진이 자를 수 있습니다."},
        {u"<pitch/>", "<pitch> needs the attribute MIDDLE or ABSMIDDLE",
         u"<pitch> 태그에는 MIDDLE 또는 ABSMIDDLE 속성이 필요합니다."},
        {u"<speak>x</speak>", "<speak> is SSML, not SAPI 5 XML; use <sapi>",
         u"<speak> 태그는 SSML입니다. SAPI 5 XML이 아닙니다. <sapi> 태그를 쓰세요."},
    };
    for (const Expected& e : expected) {
        auto findings = CheckMarkup(e.text);
        ASSERT_EQ(findings.size(), 1u) << ToUtf8Lossy(e.text);
        EXPECT_EQ(MessageEn(findings[0]), e.en);
        EXPECT_EQ(MessageKo(findings[0]), e.ko);
    }
    // Every code has its own words in both languages.
    for (const Case& c : kCases)
        for (const MarkupFinding& f : CheckMarkup(c.text)) {
            EXPECT_NE(MessageEn(f), "?") << CodeName(f.code);
            EXPECT_NE(MessageKo(f), u"?") << CodeName(f.code);
            EXPECT_NE(MessageEn(f).find(ToUtf8Lossy(f.name)), std::string::npos) << MessageEn(f);
        }
}

// The workshop's own samples: their findings are expected, and the samples stay as they are.
TEST(MarkupCheck, SampleTextsAndReferenceRows) {
    const std::string_view expected[] = {
        "",                    // 단순 문장
        "value-clipped@11:16", // 태그 문장: <VOLUME LEVEL="200">
        "", "", "", "", "",    // LANGID 선택, 높이, 빠르기, 스펠링, 소리 크기
    };
    for (size_t i = 0; i < kSampleTexts.size(); ++i)
        EXPECT_EQ(Summary(CheckMarkup(kSampleTexts[i].text)), expected[i]) << kSampleTexts[i].handler;
    for (size_t i = 0; i + 1 < kMarkupRows.size(); ++i)
        EXPECT_EQ(Summary(CheckMarkup(kMarkupRows[i].markup)), "") << ToUtf8Lossy(kMarkupRows[i].markup);
    // <voice required="VW Yumi">: a voice name without "Name=", and left open.
    auto voice = CheckMarkup(kMarkupRows.back().markup);
    EXPECT_EQ(Summary(voice), "open-to-end@1:1 unknown-value@1:18");
    EXPECT_EQ(voice[1].value, u"VW Yumi");
}

TEST(MarkupCheck, AnyCodeUnitsAreAccepted) {
    const std::u16string lone_high(1, char16_t(0xD800)), lone_low(1, char16_t(0xDC00));
    auto findings = CheckMarkup(u"<emph>" + lone_high + u"<" + lone_low + u"/></emph><volume level=\"" + lone_high +
                                u"\"/>");
    EXPECT_EQ(Summary(findings), "unknown-element@1:8 not-a-number@1:34");
    EXPECT_EQ(MessageEn(findings[0]), "<\xEF\xBF\xBD> is not a SAPI 5 element; the engine may ignore it");
    const std::u16string nul(u"<emph>\0</emph>", 14);
    EXPECT_EQ(Summary(CheckMarkup(nul)), "");
}

SendRequest Request(SendChannel channel, std::u16string_view text, bool protocol) {
    SendRequest request;
    request.channel = channel;
    request.text = text;
    request.protocol = protocol;
    return request;
}

// What a request hands over, with positions in the request's own text.
TEST(MarkupCheck, PageTextAsThePageSendsIt) {
    struct PageCase { std::u16string_view area; SendChannel channel; bool envelope; std::string_view expected; };
    const PageCase cases[] = {
        {u"  <emph>x</emph>\r\n", SendChannel::Net, false, ""},
        {u"  <emph>x</emph>\r\n", SendChannel::Clip, false, "markup-not-parsed@1:3"},  // the third page does not trim
        {u"  <emph>x</emph>\r\n", SendChannel::Clip, true, ""},  // the envelope begins with "<"
        {u"\r\n<volume level=\"200\"/>", SendChannel::App, true, "value-clipped@2:16"},
        // Left open inside the envelope: found as left open, as without the envelope.
        {u"  <emph>x\r\n", SendChannel::App, true, "unclosed-tag@1:3"},
        // <volume> applies to the rest, so it ends with the envelope; <emph> is left open.
        {u"<emph>x <volume level=\"50\">y", SendChannel::App, true, "unclosed-tag@1:1 open-to-end@1:9"},
        {u"<emph>x <volume level=\"50\">y", SendChannel::Clip, true, "unclosed-tag@1:1 open-to-end@1:9"},
        {u"<emph>x <volume level=\"50\">y", SendChannel::Clip, false, "unclosed-tag@1:1 open-to-end@1:9"},
    };
    for (const PageCase& c : cases) {
        auto findings = CheckRequestMarkup(Request(c.channel, c.area, c.envelope));
        EXPECT_EQ(Summary(findings), c.expected) << ToUtf8Lossy(c.area) << ChannelName(c.channel) << c.envelope;
    }
    // No finding of an enveloped text names the envelope the user never wrote.
    for (std::u16string_view text : {u"  <emph>x\r\n", u"<emph>x <volume level=\"50\">y", u"<a><b>c", u"x</emph>"}) {
        for (SendChannel channel : {SendChannel::App, SendChannel::Clip}) {
            for (const MarkupFinding& f : CheckRequestMarkup(Request(channel, text, true))) {
                EXPECT_NE(f.name, u"lumvox") << ToUtf8Lossy(text);
                EXPECT_NE(f.value, u"lumvox") << ToUtf8Lossy(text);
                EXPECT_LT(f.offset, text.size()) << ToUtf8Lossy(text);
            }
        }
    }
    auto left_open = CheckRequestMarkup(Request(SendChannel::App, u"  <emph>x\r\n", true));
    ASSERT_EQ(left_open.size(), 1u);
    EXPECT_EQ(left_open[0].offset, 2u);  // where the caret goes
    EXPECT_EQ(left_open[0].name, u"emph");
}

TEST(MarkupCheck, ReportForTheWindowBox) {
    EXPECT_EQ(MarkupReportKo({}), u"문제가 없습니다.");
    EXPECT_EQ(MarkupReportKo(CheckMarkup(u"<emph>x\r\n<volume level=\"200\"/>")),
              u"1:1 오류: <emph> 태그가 닫히지 않았습니다.\r\n2:16 경고: level=\"200\" 값이 0..100 범위를 벗어나 잘립니다.");
    auto count_lines = [](const std::u16string& s) { return std::count(s.begin(), s.end(), u'\n') + 1; };
    std::u16string many = u"<sapi>";
    for (int i = 0; i < 19; ++i) many += u"<foo/>";  // and the unclosed <sapi>: 20
    auto twenty = MarkupReportKo(CheckMarkup(many));
    EXPECT_EQ(count_lines(twenty), 20);
    EXPECT_EQ(twenty.find(u"외"), std::u16string::npos);
    many += u"<foo/><foo/><foo/>";
    auto more = MarkupReportKo(CheckMarkup(many));
    EXPECT_EQ(count_lines(more), 21);
    EXPECT_TRUE(more.ends_with(u"\r\n외 3건")) << ToUtf8Lossy(more);
    EXPECT_TRUE(more.starts_with(u"1:1 오류: <sapi>")) << ToUtf8Lossy(more);
}

TEST(MarkupCheck, BoxForEachPage) {
    struct PageCase { SendChannel page; bool ticked; std::u16string_view area; std::u16string_view text; std::optional<size_t> caret; };
    const PageCase cases[] = {
        {SendChannel::App, false, u"<emph>x</emph>\r\n", u"문제가 없습니다.", std::nullopt},
        {SendChannel::App, true, u" <emph>x\r\n", u"1:2 오류: <emph> 태그가 닫히지 않았습니다.", 1},
        // The second page never takes the protocol envelope.
        {SendChannel::Net, true, u" <emph>x", u"1:2 오류: <emph> 태그가 닫히지 않았습니다.", 1},
        // The third page is not trimmed: markup after a blank is read aloud.
        {SendChannel::Clip, false, u" <emph>x</emph>", u"1:2 경고: 텍스트가 \"<\"로 시작하지 않아 태그를 소리 내어 읽을 수 있습니다.", 1},
        {SendChannel::Clip, true, u" <emph>x</emph>", u"문제가 없습니다.", std::nullopt},
    };
    for (const PageCase& c : cases) {
        MarkupBox box = MarkupBoxFor(Request(c.page, c.area, c.ticked));
        EXPECT_EQ(box.text, c.text) << ChannelName(c.page) << c.ticked << ToUtf8Lossy(box.text);
        EXPECT_EQ(box.caret, c.caret) << ChannelName(c.page) << c.ticked;
    }
}

// One row per rule of the SAPI 5 XML TTS documentation (the tutorial and the
// element reference) and of XML 1.0, which the speech API's parser applies.
TEST(MarkupCheck, FollowsTheDocumentation) {
    constexpr Case kDocumented[] = {
        // XML 3.1: "The representation of an empty element is either a start-tag immediately
        // followed by an end-tag, or an empty-element tag." SAPI: Silence "must be empty".
        {u"<silence msec=\"500\"></silence><silence msec=\"500\"> </silence>", "must-be-empty@1:31"},
        // SAPI: Bookmark "must be empty, and has one required attribute, Mark".
        {u"<bookmark mark=\"m\"></bookmark><bookmark mark=\"m\">x</bookmark>", "must-be-empty@1:31"},
        // SAPI: "The Emph tag cannot be empty." Written either way, nothing inside is empty.
        {u"<emph></emph><emph/><emph> </emph>", "must-enclose@1:1 must-enclose@1:14"},
        // SAPI: Spell, PartOfSp and Context enclose the text they apply to and cannot be empty.
        {u"<spell></spell><partofsp part=\"noun\"></partofsp><context id=\"date_mdy\"><!-- --></context>",
         "must-enclose@1:1 must-enclose@1:16 must-enclose@1:49"},
        // XML 4.1: "Characters referred to using character references MUST match the production
        // for Char": no U+0000, no surrogate, nothing past U+10FFFF, no U+FFFE or U+FFFF.
        {u"<emph>&#0;&#xD800;&#x110000;&#xFFFE;&#65535;&#x10FFFF;&#9;</emph>",
         "forbidden-character-reference@1:7 forbidden-character-reference@1:11 "
         "forbidden-character-reference@1:19 forbidden-character-reference@1:29 "
         "forbidden-character-reference@1:37"},
        // XML 2.5: "the string \"--\" (double-hyphen) MUST NOT occur within comments", and a
        // comment ends with "-->".
        {u"<emph>x<!-- a -- b --></emph><emph>y<!-- c --->", "double-hyphen-in-comment@1:15 unclosed-tag@1:30 "
                                                          "double-hyphen-in-comment@1:44"},
        {u"<emph>x</emph><!-- to the end", "unended-comment@1:15"},
        // XML 2.7: "CDATA sections begin with the string \"<![CDATA[\" and end with the string \"]]>\"".
        {u"<emph><![CDAT[x]]></emph><emph><![CDATA[y", "broken-cdata@1:7 unclosed-tag@1:26 unended-cdata@1:32"},
        // XML 2.4: "]]>" in content "when that string is not marking the end of a CDATA section"
        // must be written with "&gt;".
        {u"<emph>a]]>b ]]&gt;</emph>", "cdata-end-in-text@1:8"},
        // XML 2.6: a processing instruction ends with "?>".
        {u"<?a?><emph>x</emph><?xml version=\"1.0\"", "unended-processing-instruction@1:20"},
        // XML 2.8: "The document type declaration MUST appear before the first element in the
        // document"; "<!" in content begins only a comment or a CDATA section.
        {u"<!DOCTYPE sapi [<!ELEMENT sapi ANY>]><sapi><!DOCTYPE sapi><!foo>x</sapi>",
         "misplaced-doctype@1:44 unknown-declaration@1:59"},
        {u"<!DOCTYPE sapi", "unended-declaration@1:1"},
        // SAPI: Silence "inserts a specified number of milliseconds of silence"; the count has no
        // sign, and the speech API holds it in an unsigned 32-bit number.
        {u"<silence msec=\"+5\"/><silence msec=\"4294967295\"/><silence msec=\"4294967296\"/>",
         "signed-number@1:16 out-of-range@1:64"},
    };
    for (const Case& c : kDocumented) {
        EXPECT_EQ(Summary(CheckMarkup(c.text)), c.expected) << ToUtf8Lossy(c.text);
        // The protocol envelope is no part of the text: the verdict stays.
        EXPECT_EQ(HasError(CheckRequestMarkup(Request(SendChannel::App, c.text, true))), HasError(CheckMarkup(c.text))) << ToUtf8Lossy(c.text);
    }
    // SAPI: Volume "can be empty, in which case it applies to all subsequent text"; left open
    // inside the envelope it is still a note, not a misnesting of the envelope.
    for (bool envelope : {false, true})
        EXPECT_EQ(Summary(CheckRequestMarkup(Request(SendChannel::App, u"<volume level=\"50\">안녕하세요", envelope))), "open-to-end@1:1");
    EXPECT_EQ(Summary(CheckRequestMarkup(Request(SendChannel::App, u"AT&T", true))), "");  // plain text, wrapped or not

    struct Words { std::u16string_view text; std::string_view en; std::u16string_view ko; };
    const Words words[] = {
        {u"<!-- x", "the comment begun here never ends: \"-->\" is missing",
         u"여기서 시작한 주석이 끝나지 않습니다. \"-->\"가 없습니다."},
        {u"<emph>&#xD800;</emph>", "\"&#xD800;\" refers to U+D800, a character XML does not allow",
         u"\"&#xD800;\" 참조가 가리키는 U+D800 문자는 XML에서 쓸 수 없습니다."},
        {u"<emph>&#x110000;</emph>", "\"&#x110000;\" is past U+10FFFF, the last character there is",
         u"\"&#x110000;\" 참조가 마지막 문자 U+10FFFF를 넘습니다."},
        {u"<silence MSEC=\"-5\"/>", "MSEC=\"-5\" has a sign; MSEC takes a whole number without one",
         u"MSEC=\"-5\" 값에 부호가 있습니다. MSEC 값은 부호 없는 정수입니다."},
        {u"<silence MSEC=\"9999999999\"/>",
         "MSEC=\"9999999999\" is outside 0..4294967295, the range the speech API can hold",
         u"MSEC=\"9999999999\" 값이 음성 API가 받을 수 있는 0..4294967295 범위를 벗어납니다."},
    };
    for (const Words& w : words) {
        auto findings = CheckMarkup(w.text);
        ASSERT_EQ(findings.size(), 1u) << ToUtf8Lossy(w.text);
        EXPECT_EQ(MessageEn(findings[0]), w.en);
        EXPECT_EQ(MessageKo(findings[0]), w.ko);
    }
}

// Past the cap, findings are counted: the verdict and the count stay whole.
TEST(MarkupCheck, FindingsPastTheCapAreCounted) {
    std::u16string text = u"<sapi>";
    for (size_t i = 0; i < kMarkupFindingsKept + 500; ++i) text += u"<foo/>";
    text += u"<emph/></sapi>";  // the only error, past the cap
    const MarkupFindings page = CheckRequestMarkup(Request(SendChannel::App, text, false));
    ASSERT_EQ(page.size(), kMarkupFindingsKept);
    EXPECT_EQ(page.left_out, 501u);
    EXPECT_EQ(Summary({page.begin(), page.begin() + 1}), "unknown-element@1:7");
    EXPECT_EQ(page.back().offset, 6 + 6 * (kMarkupFindingsKept - 1));
    EXPECT_TRUE(HasError(page));
    EXPECT_FALSE(HasError(std::vector<MarkupFinding>(page)));
    EXPECT_EQ(CheckMarkup(text).size(), kMarkupFindingsKept + 501);  // uncapped unless asked

    // Found last but standing first, an unclosed tag displaces a later finding.
    const MarkupFindings unclosed = CheckMarkup(u"<emph>" + text.substr(6), 3);
    EXPECT_EQ(Summary(unclosed), "unclosed-tag@1:1 unknown-element@1:7 unknown-element@1:13");
    EXPECT_EQ(unclosed.left_out, kMarkupFindingsKept + 500 - 2 + 2);  // <emph/> and </sapi> too
    EXPECT_TRUE(MarkupBoxFor(Request(SendChannel::App, text, false)).text.ends_with(u"\r\n외 1481건"));
}

// Inputs on which a checker with a search per tag or per attribute would take
// quadratic time; the test's time-out catches that.
TEST(MarkupCheck, PathologicalInputsStayLinear) {
    constexpr size_t kCount = 100'000;
    std::u16string nested, attributes = u"<foo", ampersands = u"<emph>";
    for (size_t i = 0; i < kCount; ++i) nested += u"<a>";
    for (size_t i = 0; i < kCount; ++i) nested += u"</b>";
    // Each <a> is unknown and left open; each </b> closes nothing.
    EXPECT_EQ(CheckMarkup(nested).size(), 3 * kCount);

    for (size_t i = 0; i < kCount; ++i) {
        std::string number = std::to_string(i);
        attributes += u" a";
        attributes.append(number.begin(), number.end());
        attributes += u"=\"\"";
    }
    attributes += u" A7=\"\"/>";
    EXPECT_EQ(Summary(CheckMarkup(attributes)), "unknown-element@1:1 repeated-attribute@1:" +
                                                    std::to_string(attributes.size() - 6));

    for (size_t i = 0; i < kCount; ++i) {
        ampersands += u'&';
        ampersands.append(i % 64, u'n');
    }
    ampersands += u"</emph>";
    EXPECT_EQ(CheckMarkup(ampersands).size(), kCount);
}

}  // namespace
}  // namespace lumvox::core
