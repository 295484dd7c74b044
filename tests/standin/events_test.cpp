#include "events.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "json_reader.h"

namespace lumvox::standin {
namespace {

using Strings = std::vector<std::string>;

JsonObject Parsed(const std::string& line) {
    auto object = ParseJsonObject(line);
    EXPECT_TRUE(object) << line;
    return object.value_or(JsonObject{});
}

constexpr LocalTime kTime{2024, 5, 1, 9, 3, 4, 5};

TEST(Time, FormatsWithZeroPaddedMilliseconds) {
    EXPECT_EQ(IsoTime(kTime), "2024-05-01T09:03:04.005");
    EXPECT_EQ(ClockTime(kTime), "09:03:04.005");
    EXPECT_EQ(IsoTime({1999, 12, 31, 23, 59, 59, 999}), "1999-12-31T23:59:59.999");
}

TEST(EventLine, EveryValueReadsBackUnchanged) {
    std::string all_controls;
    for (char c = 0; c < 0x20; ++c) all_controls += c;
    const std::string kTexts[] = {"", "plain", all_controls, "\"\\/\"", "안녕하세요\r\n😀", "<lumvox>a</lumvox>"};
    for (const auto& text : kTexts) {
        JsonObject object = Parsed(EventLine("probe")
                                       .Text("text", text)
                                       .Number("n", -42)
                                       .Number("big", 4294967296)
                                       .Flag("yes", true)
                                       .Null("none")
                                       .List("items", {text, "x"})
                                       .Finish());
        EXPECT_EQ(Member<std::string>(object, "event"), "probe");
        EXPECT_EQ(Member<std::string>(object, "text"), text);
        EXPECT_EQ(Member<int64_t>(object, "n"), -42);
        EXPECT_EQ(Member<int64_t>(object, "big"), 4294967296);
        EXPECT_EQ(Member<bool>(object, "yes"), true);
        EXPECT_EQ(Member<std::nullptr_t>(object, "none"), nullptr);
        EXPECT_EQ(Member<Strings>(object, "items"), (Strings{text, "x"}));
        EXPECT_EQ(object.size(), 7u);
    }
}

TEST(EventLine, KeepsTheLogsShortEscapesAndUpperCaseHex) {
    EXPECT_EQ(EventLine("probe").Text("text", "\b\f\x1F").Finish(), R"({"event":"probe","text":"\b\f\u001F"})");
}

TEST(ParseJsonObject, RefusesWhatIsNotOneFlatObject) {
    for (std::string_view line : {"", "{", "{\"a\":1", "{\"a\":1}x", "{\"a\":\"\x01\"}", "{\"a\":1,\"a\":2}",
                                  "{\"a\":\"\\q\"}", "{\"a\":{}}", "[1]", "{\"a\":tru}"})
        EXPECT_FALSE(ParseJsonObject(line)) << line;
    EXPECT_EQ(Member<std::string>(ParseJsonObject(R"({"a":"\uD83D\uDE00\u00e9"})").value(), "a"), "😀é");
}

TEST(HexBytes, WritesUpperCasePairsSeparatedBySpaces) {
    struct Case {
        std::string_view bytes, hex;
    };
    constexpr Case kCases[] = {
        {"", ""}, {std::string_view("\0", 1), "00"}, {"\xEC\x95\x88", "EC 95 88"}, {"a\x0F\xFF", "61 0F FF"}};
    for (const auto& c : kCases) EXPECT_EQ(HexBytes(c.bytes), c.hex);
}

TEST(ValidUtf8, ReplacesEachIllFormedByteAndKeepsTheRest) {
    struct Case {
        std::string_view bytes, text;
        bool valid;
    };
    constexpr Case kCases[] = {
        {"sent", "sent", true},
        {"안녕 😀", "안녕 😀", true},
        {"sent\xE9", "sent\uFFFD", false},
        {"\x80z", "\uFFFDz", false},
        {"\xC0\xAF", "\uFFFD\uFFFD", false},
        {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD", false},
        {"\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD", false},
        {"\xEC\x95", "\uFFFD\uFFFD", false},
        {"", "", true},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(ValidUtf8(c.bytes), c.text) << testing::PrintToString(c.bytes);
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);
    }
}

TEST(Utf16LeToUtf8, DecodesUnitsLeavingAnOddByteOut) {
    struct Case {
        std::string_view bytes, text;
    };
    constexpr Case kCases[] = {
        {std::string_view("a\0b\0", 4), "ab"},
        {"\x48\xC5\x55\xB1", "안녕"},
        {std::string_view("a\0b", 3), "a"},
        {std::string_view("\x3D\xD8\x00\xDE", 4), "😀"},
        {std::string_view("\x3D\xD8\x61\x00", 4), "\uFFFDa"},
        {"", ""},
    };
    for (const auto& c : kCases) EXPECT_EQ(Utf16LeToUtf8(c.bytes), c.text) << HexBytes(c.bytes);
}

TEST(OneLine, ShowsControlsAsEscapesAndCutsLongTexts) {
    struct Case {
        std::string_view text;
        size_t max;
        std::string_view line;
    };
    constexpr Case kCases[] = {
        {"a\r\nb\tc", 10, "a\\r\\nb\\tc"},
        {"\x01", 10, "\\u0001"},
        {"안녕하세요", 2, "안녕…"},
        {"abc", 3, "abc"},
        {"abcd", 3, "abc…"},
    };
    for (const auto& c : kCases) EXPECT_EQ(OneLine(c.text, c.max), c.line) << c.text;
}

TEST(WithCrLf, MakesEveryLineEndCrLfAndShowsNul) {
    struct Case {
        std::string_view text, shown;
    };
    constexpr Case kCases[] = {
        {"a\nb", "a\r\nb"},   {"a\rb", "a\r\nb"},      {"a\r\nb", "a\r\nb"},
        {"\n\r\n\r", "\r\n\r\n\r\n"}, {std::string_view("a\0b", 3), "a\u2400b"},
    };
    for (const auto& c : kCases) EXPECT_EQ(WithCrLf(c.text), c.shown) << testing::PrintToString(c.text);
}

TEST(CopyDataEvent, LogsIdentifierByteCountTextAndHex) {
    CopyDataEvent event{kTime, 0x10, 1024, "\x48\xC5\x55\xB1\x58\xD5\x38\xC1\x94\xC6"};
    JsonObject json = Parsed(ToJson(event));
    EXPECT_EQ(Member<std::string>(json, "event"), "copydata");
    EXPECT_EQ(Member<std::string>(json, "time"), "2024-05-01T09:03:04.005");
    EXPECT_EQ(Member<int64_t>(json, "wParam"), 16);
    EXPECT_EQ(Member<int64_t>(json, "dwData"), 1024);
    EXPECT_EQ(Member<int64_t>(json, "cbData"), 10);
    EXPECT_EQ(Member<int64_t>(json, "units"), 5);
    EXPECT_EQ(Member<std::string>(json, "text"), "안녕하세요");
    EXPECT_EQ(Member<std::string>(json, "hex"), "48 C5 55 B1 58 D5 38 C1 94 C6");

    Shown shown = Show(event);
    EXPECT_EQ(shown.channel, "copy-data");
    EXPECT_EQ(shown.summary, "dwData 1024, cbData 10");
    EXPECT_EQ(shown.text, "안녕하세요");
    EXPECT_NE(shown.detail.find("\r\n안녕하세요\r\n"), std::string::npos) << shown.detail;
    EXPECT_NE(shown.detail.find("48 C5 55 B1 58 D5 38 C1 94 C6"), std::string::npos) << shown.detail;
}

TEST(CopyDataEvent, TheWindowShowsABoundedPartOfALongTextAndTheLogAll) {
    struct Case {
        size_t units;
        bool cut;
    };
    constexpr Case kCases[] = {{kShownChars, false}, {kShownChars + 1, true}, {40000, true}};
    for (const auto& c : kCases) {
        std::string bytes;
        for (size_t i = 0; i < c.units; ++i) bytes += i % 2 ? std::string_view("\x48\xC5") : std::string_view("a\0", 2);
        CopyDataEvent event{kTime, 0, 1024, bytes};
        std::string detail = Show(event).detail;
        SCOPED_TRACE(c.units);
        EXPECT_EQ(detail.find("[cut here: the log has the whole text]") != std::string::npos, c.cut);
        EXPECT_EQ(detail.find(" more bytes in the log]") != std::string::npos, 2 * c.units > kShownBytes);
        EXPECT_LT(detail.size(), kShownChars * 3 + kShownBytes * 3 + 200);
        JsonObject json = Parsed(ToJson(event));
        EXPECT_EQ(Member<std::string>(json, "hex").value_or("").size(), bytes.size() * 3 - 1);
        EXPECT_EQ(Member<int64_t>(json, "units"), static_cast<int64_t>(c.units));
    }
}

TEST(HttpEvent, LogsRequestLineHeadersRawAndDecodedText) {
    const std::string head =
        "GET /lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox HTTP/1.1\r\n"
        "Content-Type: application/x-www-form-urlencoded\r\n"
        "Host: 127.0.0.1:7070\r\n"
        "\r\n";
    JsonObject json = Parsed(ToJson(HttpEvent{kTime, "127.0.0.1:50000", ReplyMode::NoSent, head}));
    EXPECT_EQ(Member<std::string>(json, "event"), "http");
    EXPECT_EQ(Member<std::string>(json, "peer"), "127.0.0.1:50000");
    EXPECT_EQ(Member<std::string>(json, "reply"), "nosent");
    EXPECT_EQ(Member<std::string>(json, "requestLine"),
              "GET /lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox HTTP/1.1");
    EXPECT_EQ(Member<std::string>(json, "method"), "GET");
    EXPECT_EQ(Member<std::string>(json, "version"), "HTTP/1.1");
    EXPECT_EQ(Member<Strings>(json, "headers"),
              (Strings{"Content-Type: application/x-www-form-urlencoded", "Host: 127.0.0.1:7070"}));
    EXPECT_EQ(Member<std::string>(json, "raw"), head);
    EXPECT_EQ(Member<std::string>(json, "text"), "안녕 하세요");
    EXPECT_EQ(Member<bool>(json, "textIsUtf8"), true);
    EXPECT_EQ(Member<bool>(json, "envelopeClosed"), true);
    EXPECT_NE(Show(HttpEvent{kTime, "p", ReplyMode::Sent, head}).detail.find("안녕 하세요"), std::string::npos);
}

TEST(HttpEvent, MarksTextsThatAreNotUtf8OrNotEnveloped) {
    struct Case {
        std::string_view target;
        std::optional<std::string_view> text;
        bool utf8, closed;
        Strings warnings;
    };
    const Case kCases[] = {
        {"/lumvox=sent%E9=lumvox", "sent\uFFFD", false, true, {}},
        {"/lumvox=1", "1", true, false, {"hash-cuts-text"}},
        {"/lumvox=a%2Bb?c+d=lumvox", "a+b?c+d", true, true, {"query-makes-parameters"}},
        {"/lumvox=x", "x", true, false, {"hash-cuts-text"}},
        {"/lumvox=a?b", "a?b", true, false, {"query-makes-parameters", "hash-cuts-text"}},
        {"/favicon.ico", std::nullopt, false, false, {}},
    };
    for (const auto& c : kCases) {
        HttpEvent event{kTime, "p", ReplyMode::Sent, "GET " + std::string(c.target) + " HTTP/1.1\r\n\r\n"};
        JsonObject json = Parsed(ToJson(event));
        SCOPED_TRACE(c.target);
        EXPECT_EQ(Member<Strings>(json, "warnings"), c.warnings);
        const std::string detail = Show(event).detail;
        EXPECT_EQ(detail.find("Warning: the target ends without") != std::string::npos,
                  std::find(c.warnings.begin(), c.warnings.end(), "hash-cuts-text") != c.warnings.end());
        EXPECT_EQ(detail.find("Warning: the text after its \"?\"") != std::string::npos,
                  std::find(c.warnings.begin(), c.warnings.end(), "query-makes-parameters") != c.warnings.end());
        if (!c.text) {
            EXPECT_EQ(Member<std::nullptr_t>(json, "text"), nullptr);
            continue;
        }
        EXPECT_EQ(Member<std::string>(json, "text"), *c.text);
        EXPECT_EQ(Member<bool>(json, "textIsUtf8"), c.utf8);
        EXPECT_EQ(Member<bool>(json, "envelopeClosed"), c.closed);
    }
}

TEST(HttpEvent, KeepsAHeadThatIsNotUtf8Readable) {
    JsonObject json = Parsed(ToJson(HttpEvent{kTime, "p", ReplyMode::Sent, "GET /\xFF HTTP/1.1\r\nX: \xC0\r\n\r\n"}));
    EXPECT_EQ(Member<std::string>(json, "requestLine"), "GET /\uFFFD HTTP/1.1");
    EXPECT_EQ(Member<Strings>(json, "headers"), (Strings{"X: \uFFFD"}));
}

TEST(ClipboardEvent, LogsTheWholeTextAndItsLength) {
    JsonObject json = Parsed(ToJson(ClipboardEvent{kTime, 7, u"<lumvox>  a\r\n안녕</lumvox>"}));
    EXPECT_EQ(Member<std::string>(json, "event"), "clipboard");
    EXPECT_EQ(Member<int64_t>(json, "sequence"), 7);
    EXPECT_EQ(Member<int64_t>(json, "units"), 24);
    EXPECT_EQ(Member<std::string>(json, "text"), "<lumvox>  a\r\n안녕</lumvox>");
}

TEST(RefusalEvent, LogsRefusalsAndDropsWithReasonStatusAndTheStartOfWhatCame) {
    struct Case {
        Refusal reason;
        std::string_view event;
        std::optional<int64_t> status;
    };
    constexpr Case kCases[] = {
        {Refusal::Connections, "refused", std::nullopt},
        {Refusal::TooLarge, "refused", 431},
        {Refusal::Malformed, "refused", 400},
        {Refusal::Idle, "dropped", std::nullopt},
        {Refusal::ClosedEarly, "dropped", std::nullopt},
    };
    for (const auto& c : kCases) {
        RefusalEvent event{kTime, "127.0.0.1:50000", c.reason, "what happened", 12, "GET /\xFF\r\nX"};
        JsonObject json = Parsed(ToJson(event));
        SCOPED_TRACE(RefusalName(c.reason));
        EXPECT_EQ(Member<std::string>(json, "event"), c.event);
        EXPECT_EQ(Member<std::string>(json, "time"), "2024-05-01T09:03:04.005");
        EXPECT_EQ(Member<std::string>(json, "peer"), "127.0.0.1:50000");
        EXPECT_EQ(Member<std::string>(json, "reason"), RefusalName(c.reason));
        if (c.status) EXPECT_EQ(Member<int64_t>(json, "status"), *c.status);
        else EXPECT_EQ(Member<std::nullptr_t>(json, "status"), nullptr);
        EXPECT_EQ(Member<std::string>(json, "detail"), "what happened");
        EXPECT_EQ(Member<int64_t>(json, "received"), 12);
        EXPECT_EQ(Member<std::string>(json, "start"), "GET /\uFFFD\r\nX");
        EXPECT_EQ(json.size(), 8u);

        Shown shown = Show(event);
        EXPECT_EQ(shown.channel, "HTTP");
        EXPECT_EQ(shown.summary.rfind(std::string(c.event) + ": " + std::string(RefusalName(c.reason)), 0), 0u);
        EXPECT_NE(shown.detail.find("what happened"), std::string::npos) << shown.detail;
        EXPECT_NE(shown.detail.find("12 bytes received"), std::string::npos) << shown.detail;
    }
}

// Each channel's detail ends its text with the markup findings on it.
TEST(MarkupFindings, EveryChannelsDetailShowsThem) {
    const std::string tagged_utf16le("<\0e\0m\0p\0h\0>\0x\0", 14);  // "<emph>x"
    const std::string details[] = {
        Show(CopyDataEvent{kTime, 0, 1024, tagged_utf16le}).detail,
        Show(HttpEvent{kTime, "p", ReplyMode::Sent, "GET /lumvox=%3Cemph%3Ex=lumvox HTTP/1.1\r\n\r\n"}).detail,
        Show(ClipboardEvent{kTime, 1, u"<emph>x"}).detail,
    };
    for (const std::string& detail : details)
        EXPECT_NE(detail.find("\r\n\r\nMarkup findings (1):\r\n1:1: error: unclosed-tag: <emph> is never closed"),
                  std::string::npos)
            << detail;
    EXPECT_NE(Show(ClipboardEvent{kTime, 1, u"안녕"}).detail.find("\r\n\r\nMarkup findings: none"), std::string::npos);

    // The log line carries them all, as objects.
    const nlohmann::json expected = nlohmann::json::parse(
        R"([{"line":1,"column":1,"severity":"error","code":"unclosed-tag","message":"<emph> is never closed"}])");
    const std::string lines[] = {
        ToJson(CopyDataEvent{kTime, 0, 1024, tagged_utf16le}),
        ToJson(HttpEvent{kTime, "p", ReplyMode::Sent, "GET /lumvox=%3Cemph%3Ex=lumvox HTTP/1.1\r\n\r\n"}),
        ToJson(ClipboardEvent{kTime, 1, u"<emph>x"}),
    };
    for (const std::string& line : lines) EXPECT_EQ(Member<nlohmann::json>(Parsed(line), "findings"), expected) << line;
    EXPECT_EQ(Member<Strings>(Parsed(ToJson(ClipboardEvent{kTime, 1, u"x"})), "findings"), Strings{});  // "[]"
    // No text between "lumvox=" and "=lumvox": nothing to check.
    EXPECT_EQ(Show(HttpEvent{kTime, "p", ReplyMode::Sent, "GET /x HTTP/1.1\r\n\r\n"}).detail.find("Markup"),
              std::string::npos);

    std::u16string many = u"<sapi>";
    for (size_t i = 0; i < kShownFindings + 5; ++i) many += u"<foo/>";
    std::string detail = FindingsDetail(many);  // 25 unknown and the unclosed <sapi>
    EXPECT_EQ(std::count(detail.begin(), detail.end(), '\n'), static_cast<long>(kShownFindings + 1));
    EXPECT_TRUE(detail.ends_with("\r\n[6 more in the log]")) << detail;
}

TEST(StatusEvents, CarryTheListenerAndReplyState) {
    JsonObject ready = Parsed(ReadyJson(kTime, "::1", 41234, true, ReplyMode::Silent));
    EXPECT_EQ(Member<std::string>(ready, "event"), "ready");
    EXPECT_EQ(Member<std::string>(ready, "address"), "::1");
    EXPECT_EQ(Member<int64_t>(ready, "port"), 41234);
    EXPECT_EQ(Member<bool>(ready, "listening"), true);
    EXPECT_EQ(Member<std::string>(ready, "reply"), "silent");
    JsonObject error = Parsed(ListenErrorJson(kTime, "127.0.0.1", 7070, "in use \xFF"));
    EXPECT_EQ(Member<std::string>(error, "event"), "error");
    EXPECT_EQ(Member<int64_t>(error, "port"), 7070);
    EXPECT_EQ(Member<std::string>(error, "text"), "in use \uFFFD");
    EXPECT_EQ(Member<std::string>(Parsed(ReplyChangedJson(kTime, ReplyMode::ServerError)), "reply"), "500");
}

}  // namespace
}  // namespace lumvox::standin
