#include <algorithm>
#include <stdexcept>
#include <string>

#include "markup_messages.h"
#include "markup_rules.h"
#include "utf.h"

namespace lumvox::core {
namespace {

using markup::EqualsNoCase;

// Which of a row's two wordings a finding takes: the first when this holds.
enum class When { Always, NameIsLevel, NameIsPart, ValueIsEmpty, NameIsGiven };

// A row's texts name the finding's parts in braces: {name}, {value}, {other}
// (where the other tag stands), {low}..{high} (the allowed range) and {either}
// (the value's "A|B" as "A or B").
struct CodeRow {
    MarkupCode code;
    std::string_view name;  // stable: scripts read it
    Severity severity;
    std::u16string_view en, ko;
    When when = When::Always;
    std::u16string_view en_otherwise = {}, ko_otherwise = {};
};

constexpr CodeRow kCodes[] = {
    {MarkupCode::UnclosedTag, "unclosed-tag", Severity::Error,
     u"<{name}> is never closed",
     u"<{name}> 태그가 닫히지 않았습니다."},
    {MarkupCode::MisnestedTag, "misnested-tag", Severity::Error,
     u"</{name}> closes <{name}> while <{value}> opened inside it ({other}) is still open",
     u"</{name}>가 <{name}> 태그를 닫지만 그 안에서 연 <{value}> 태그({other})가 아직 열려 있습니다."},
    {MarkupCode::UnmatchedEndTag, "unmatched-end-tag", Severity::Error,
     u"</{name}> has no open <{name}> to close",
     u"</{name}>로 닫을 <{name}> 태그가 열려 있지 않습니다."},
    {MarkupCode::StrayLessThan, "stray-less-than", Severity::Error,
     u"\"<\" does not begin a tag; write &lt;",
     u"\"<\" 문자가 태그를 시작하지 않습니다. &lt;로 쓰세요."},
    {MarkupCode::StrayAmpersand, "stray-ampersand", Severity::Error,
     u"\"{value}\" is not &amp;, &lt;, &gt;, &quot;, &apos; or a character reference; write &amp; for \"&\"",
     u"\"{value}\" 문자열은 &amp;, &lt; 같은 참조가 아닙니다. \"&\" 문자는 &amp;로 쓰세요."},
    {MarkupCode::BrokenTag, "broken-tag", Severity::Error,
     u"the tag <{name}> breaks here: name=\"value\", \"/>\" or \">\" should follow",
     u"<{name}> 태그가 여기서 깨집니다. 이름=\"값\", \"/>\" 또는 \">\"가 와야 합니다."},
    {MarkupCode::UnquotedValue, "unquoted-value", Severity::Error,
     u"the value of {name} is not in quotes: {name}=\"{value}\"",
     u"{name} 속성의 값이 따옴표 안에 있지 않습니다: {name}=\"{value}\""},
    {MarkupCode::MissingValue, "missing-value", Severity::Error,
     u"attribute {name} has no value: {name}=\"...\"",
     u"{name} 속성에 값이 없습니다: {name}=\"...\""},
    {MarkupCode::RepeatedAttribute, "repeated-attribute", Severity::Error,
     u"attribute {name} is given more than once",
     u"{name} 속성이 두 번 이상 쓰였습니다."},
    {MarkupCode::MissingAttribute, "missing-attribute", Severity::Error,
     u"<{name}> needs the attribute {either}",
     u"<{name}> 태그에는 {either} 속성이 필요합니다."},
    {MarkupCode::NotANumber, "not-a-number", Severity::Error,
     u"{name}=\"{value}\" is not a whole number",
     u"{name}=\"{value}\" 값이 정수가 아닙니다."},
    {MarkupCode::MustBeEmpty, "must-be-empty", Severity::Error,
     u"<{name}> cannot enclose text; write <{name} .../>",
     u"<{name}> 태그는 텍스트를 감쌀 수 없습니다. <{name} .../>로 쓰세요."},
    {MarkupCode::MustEnclose, "must-enclose", Severity::Error,
     u"<{name}/> is empty; <{name}> must enclose text",
     u"<{name}/> 태그가 비어 있습니다. 텍스트를 감싸야 합니다."},
    {MarkupCode::ValueClipped, "value-clipped", Severity::Warning,
     u"{name}=\"{value}\" is outside {low}..{high}; the speech API clips it",
     u"{name}=\"{value}\" 값이 {low}..{high} 범위를 벗어나 잘립니다.", When::NameIsLevel,
     u"{name}=\"{value}\" is outside {low}..{high}; the speech engine may clip it",
     u"{name}=\"{value}\" 값이 {low}..{high} 범위를 벗어나 음성 엔진이 자를 수 있습니다."},
    {MarkupCode::UnknownElement, "unknown-element", Severity::Warning,
     u"<{name}> is not a SAPI 5 element; the engine may ignore it",
     u"<{name}> 태그는 SAPI 5 태그가 아닙니다. 무시될 수 있습니다."},
    {MarkupCode::UnknownAttribute, "unknown-attribute", Severity::Warning,
     u"<{value}> has no attribute {name}; it is ignored",
     u"<{value}> 태그에는 {name} 속성이 없습니다. 무시됩니다."},
    {MarkupCode::UnknownValue, "unknown-value", Severity::Warning,
     u"{name}=\"{value}\" is not one of Unknown, Noun, Verb, Modifier, Function, Interjection",
     u"{name}=\"{value}\" 값은 Unknown, Noun, Verb, Modifier, Function, Interjection 중 하나가 아닙니다.",
     When::NameIsPart,
     u"\"{value}\" in {name} names no voice attribute (Age, Gender, Language, Name, Vendor, VendorPreferred)",
     u"{name} 속성의 \"{value}\" 부분은 목소리 속성(Age, Gender, Language, Name, Vendor, VendorPreferred)이 아닙니다."},
    {MarkupCode::LangidNotHex, "langid-not-hex", Severity::Warning,
     u"{name}=\"{value}\" is not hexadecimal (412, 409, ... without 0x)",
     u"{name}=\"{value}\" 값이 16진수가 아닙니다 (412, 409처럼 0x 없이)."},
    {MarkupCode::LangidNotListed, "langid-not-listed", Severity::Warning,
     u"{name}=\"{value}\" is not in the workshop's language list",
     u"{name}=\"{value}\" 값이 언어 목록에 없습니다."},
    {MarkupCode::MarkupNotParsed, "markup-not-parsed", Severity::Warning,
     u"the text does not begin with \"<\": the speech program may read the tags aloud",
     u"텍스트가 \"<\"로 시작하지 않아 태그를 소리 내어 읽을 수 있습니다."},
    {MarkupCode::SsmlElement, "ssml-element", Severity::Warning,
     u"<{name}> is SSML, not SAPI 5 XML",
     u"<{name}> 태그는 SSML입니다. SAPI 5 XML이 아닙니다.", When::ValueIsEmpty,
     u"<{name}> is SSML, not SAPI 5 XML; use <{value}>",
     u"<{name}> 태그는 SSML입니다. SAPI 5 XML이 아닙니다. <{value}> 태그를 쓰세요."},
    {MarkupCode::OpenToEnd, "open-to-end", Severity::Note,
     u"<{name}> is not closed: it applies to the rest of the text",
     u"<{name}> 태그가 닫히지 않아 텍스트 끝까지 적용됩니다."},
    {MarkupCode::ForbiddenCharacter, "forbidden-character-reference", Severity::Error,
     u"\"{value}\" refers to {name}, a character XML does not allow",
     u"\"{value}\" 참조가 가리키는 {name} 문자는 XML에서 쓸 수 없습니다.", When::NameIsGiven,
     u"\"{value}\" is past U+10FFFF, the last character there is",
     u"\"{value}\" 참조가 마지막 문자 U+10FFFF를 넘습니다."},
    {MarkupCode::UnendedComment, "unended-comment", Severity::Error,
     u"the comment begun here never ends: \"-->\" is missing",
     u"여기서 시작한 주석이 끝나지 않습니다. \"-->\"가 없습니다."},
    {MarkupCode::DoubleHyphenInComment, "double-hyphen-in-comment", Severity::Error,
     u"\"--\" may not stand inside a comment, nor \"-\" just before its \"-->\"",
     u"주석 안에는 \"--\"를 쓸 수 없고 \"-->\" 바로 앞에 \"-\"를 쓸 수 없습니다."},
    {MarkupCode::UnendedCdata, "unended-cdata", Severity::Error,
     u"the CDATA section begun here never ends: \"]]>\" is missing",
     u"여기서 시작한 CDATA 구역이 끝나지 않습니다. \"]]>\"가 없습니다."},
    {MarkupCode::BrokenCdata, "broken-cdata", Severity::Error,
     u"\"{value}\" does not begin a CDATA section; write \"<![CDATA[\" exactly",
     u"\"{value}\" 문자열은 CDATA 구역의 시작이 아닙니다. \"<![CDATA[\"로 정확히 쓰세요."},
    {MarkupCode::CdataEndInText, "cdata-end-in-text", Severity::Error,
     u"\"]]>\" may not stand in text; write ]]&gt;",
     u"텍스트 안에 \"]]>\"를 쓸 수 없습니다. ]]&gt;로 쓰세요."},
    {MarkupCode::UnendedProcessingInstruction, "unended-processing-instruction", Severity::Error,
     u"the processing instruction begun here never ends: \"?>\" is missing",
     u"여기서 시작한 처리 명령이 끝나지 않습니다. \"?>\"가 없습니다."},
    {MarkupCode::UnknownDeclaration, "unknown-declaration", Severity::Error,
     u"<!{name}> is not a comment, a CDATA section or a DOCTYPE; write &lt; for \"<\"",
     u"<!{name}> 태그는 주석도, CDATA 구역도, DOCTYPE도 아닙니다. \"<\" 문자는 &lt;로 쓰세요."},
    {MarkupCode::MisplacedDoctype, "misplaced-doctype", Severity::Error,
     u"<!{name}> may stand only once, before the first element",
     u"<!{name}>는 첫 태그 앞에 한 번만 올 수 있습니다."},
    {MarkupCode::UnendedDeclaration, "unended-declaration", Severity::Error,
     u"the <!DOCTYPE> begun here never ends: \">\" is missing",
     u"여기서 시작한 <!DOCTYPE>이 끝나지 않습니다. \">\"가 없습니다."},
    {MarkupCode::SignedNumber, "signed-number", Severity::Error,
     u"{name}=\"{value}\" has a sign; {name} takes a whole number without one",
     u"{name}=\"{value}\" 값에 부호가 있습니다. {name} 값은 부호 없는 정수입니다."},
    {MarkupCode::OutOfRange, "out-of-range", Severity::Error,
     u"{name}=\"{value}\" is outside {low}..{high}, the range the speech API can hold",
     u"{name}=\"{value}\" 값이 음성 API가 받을 수 있는 {low}..{high} 범위를 벗어납니다."},
};

constexpr bool EveryCodeHasItsRow() {
    for (std::size_t k = 0; k < std::size(kCodes); ++k)
        if (static_cast<std::size_t>(kCodes[k].code) != k) return false;
    return true;
}
static_assert(std::size(kCodes) == static_cast<std::size_t>(MarkupCode::Count), "one row per MarkupCode");
static_assert(EveryCodeHasItsRow(), "kCodes lists every MarkupCode once, in the enum's order");

const CodeRow& RowOf(MarkupCode code) {
    const auto index = static_cast<std::size_t>(code);
    if (index >= std::size(kCodes)) throw std::out_of_range("no such markup code");
    return kCodes[index];
}

enum class Language { En, Ko };

std::u16string Number(long long n) {
    std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

std::u16string Position(Language language, std::size_t line, std::size_t column) {
    if (language == Language::En) return u"line " + Number(line) + u", column " + Number(column);
    return Number(line) + u"줄 " + Number(column) + u"칸";
}

bool FirstWordingApplies(When when, const MarkupFinding& f) {
    switch (when) {
    case When::Always: return true;
    case When::NameIsLevel: return EqualsNoCase(f.name, u"LEVEL");  // the API itself clips only LEVEL
    case When::NameIsPart: return EqualsNoCase(f.name, u"PART");
    case When::ValueIsEmpty: return f.value.empty();
    case When::NameIsGiven: return !f.name.empty();
    }
    return true;
}

std::u16string Words(const MarkupFinding& f, Language language) {
    const CodeRow& row = RowOf(f.code);
    const bool first = FirstWordingApplies(row.when, f);
    std::u16string_view text = language == Language::En ? (first ? row.en : row.en_otherwise)
                                                        : (first ? row.ko : row.ko_otherwise);
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t open = text.find(u'{', i);
        std::size_t close = open == std::u16string_view::npos ? open : text.find(u'}', open);
        if (close == std::u16string_view::npos) {
            out += text.substr(i);
            break;
        }
        out += text.substr(i, open - i);
        std::u16string_view part = text.substr(open + 1, close - open - 1);
        if (part == u"name") out += f.name;
        else if (part == u"value") out += f.value;
        else if (part == u"other") out += Position(language, f.other_line, f.other_column);
        else if (part == u"low") out += Number(f.low);
        else if (part == u"high") out += Number(f.high);
        else if (part == u"either") {
            std::size_t bar = f.value.find(u'|');
            out += std::u16string_view(f.value).substr(0, bar);
            if (bar != std::u16string::npos)
                out += (language == Language::En ? u" or " : u" 또는 ") + f.value.substr(bar + 1);
        }
        i = close + 1;
    }
    return out;
}

}  // namespace

namespace markup {
Severity SeverityOf(MarkupCode code) { return RowOf(code).severity; }
}  // namespace markup

std::string_view CodeName(MarkupCode code) { return RowOf(code).name; }

std::string_view SeverityName(Severity severity) {
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: return "note";
    }
    return "?";
}

std::u16string_view SeverityNameKo(Severity severity) {
    switch (severity) {
    case Severity::Error: return u"오류";
    case Severity::Warning: return u"경고";
    case Severity::Note: return u"참고";
    }
    return u"?";
}

std::string MessageEn(const MarkupFinding& finding) { return ToUtf8Lossy(Words(finding, Language::En)); }
std::u16string MessageKo(const MarkupFinding& finding) { return Words(finding, Language::Ko); }

std::u16string MarkupReportKo(const std::vector<MarkupFinding>& findings, std::size_t left_out) {
    if (findings.empty() && !left_out) return u"문제가 없습니다.";
    std::u16string out;
    std::size_t shown = std::min(findings.size(), kMarkupReportMaxLines);
    for (std::size_t k = 0; k < shown; ++k) {
        const MarkupFinding& f = findings[k];
        if (k) out += u"\r\n";
        out += Number(f.line) + u":" + Number(f.column) + u" " + std::u16string(SeverityNameKo(f.severity)) +
               u": " + MessageKo(f);
    }
    if (findings.size() - shown + left_out > 0)
        out += (shown ? u"\r\n외 " : u"외 ") + Number(findings.size() - shown + left_out) + u"건";
    return out;
}

}  // namespace lumvox::core
