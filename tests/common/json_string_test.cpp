// JSON string literals in both escape styles, from UTF-8 and from UTF-16.
#include "json/json_string.h"

#include <gtest/gtest.h>

#include "core/utf.h"

namespace lumvox::json {
namespace {

// The same text in each style: where the styles agree, both columns match.
struct Case {
    std::string_view utf8, lower_hex, short_forms_upper_hex;
};

TEST(JsonString, EscapesQuotesBackslashesAndControlsOnly) {
    constexpr Case kCases[] = {
        {"", R"("")", R"("")"},
        {"a\"b", R"("a\"b")", R"("a\"b")"},
        {"C:\\temp", R"("C:\\temp")", R"("C:\\temp")"},
        {"\r\n\t\b\f", R"("\r\n\t\u0008\u000c")", R"("\r\n\t\b\f")"},
        {std::string_view("\x00\x01\x1F", 3), R"("\u0000\u0001\u001f")", R"("\u0000\u0001\u001F")"},
        {"안녕 </lumvox> \x7F /", "\"안녕 </lumvox> \x7F /\"", "\"안녕 </lumvox> \x7F /\""},
        {"\xEF\xBB\xBF\xF0\x9F\x98\x80", "\"\xEF\xBB\xBF\xF0\x9F\x98\x80\"", "\"\xEF\xBB\xBF\xF0\x9F\x98\x80\""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::PrintToString(c.utf8));
        EXPECT_EQ(JsonString(c.utf8, EscapeStyle::LowerHex), c.lower_hex);
        EXPECT_EQ(JsonString(c.utf8, EscapeStyle::ShortFormsUpperHex), c.short_forms_upper_hex);
    }
}

TEST(JsonString, WritesEveryPrintableAsciiCharacterAsItself) {
    for (char c = 0x20; c < 0x7F; ++c) {
        if (c == '"' || c == '\\') continue;
        std::string quoted = std::string("\"") + c + "\"";
        EXPECT_EQ(JsonString(std::string_view(&c, 1), EscapeStyle::LowerHex), quoted);
        EXPECT_EQ(JsonString(std::u16string(1, static_cast<char16_t>(c)), EscapeStyle::ShortFormsUpperHex), quoted);
    }
}

// Ill-formed text is shown byte for byte: even the bytes of its well-formed
// sequences are escaped, so that a reader gets back exactly the bytes sent.
TEST(JsonString, EscapesEveryHighByteOfTextThatIsNotUtf8) {
    constexpr Case kCases[] = {
        {"sent\xE9", R"("sent\u00e9")", R"("sent\u00E9")"},
        {"\xEC\x95\x88\xFF", R"("\u00ec\u0095\u0088\u00ff")", R"("\u00EC\u0095\u0088\u00FF")"},
        {"\xED\xA0\x80", R"("\u00ed\u00a0\u0080")", R"("\u00ED\u00A0\u0080")"},  // an encoded surrogate
        {"\xC0\xAF\"", R"("\u00c0\u00af\"")", R"("\u00C0\u00AF\"")"},              // overlong
        {"\xE2\x82\n", R"("\u00e2\u0082\n")", R"("\u00E2\u0082\n")"},              // cut short
        {"\xF4\x90\x80\x80", R"("\u00f4\u0090\u0080\u0080")", R"("\u00F4\u0090\u0080\u0080")"},  // above U+10FFFF
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::PrintToString(c.utf8));
        EXPECT_EQ(JsonString(c.utf8, EscapeStyle::LowerHex), c.lower_hex);
        EXPECT_EQ(JsonString(c.utf8, EscapeStyle::ShortFormsUpperHex), c.short_forms_upper_hex);
    }
}

TEST(JsonString, EscapesUnpairedSurrogatesAndWritesPairsAsUtf8) {
    struct Utf16Case {
        std::u16string_view text;
        std::string_view lower_hex, short_forms_upper_hex;
    };
    const Utf16Case kCases[] = {
        {u"x\"\\\n\x01\xD83D\xDE00\xD800", "\"x\\\"\\\\\\n\\u0001\xF0\x9F\x98\x80\\ud800\"",
         "\"x\\\"\\\\\\n\\u0001\xF0\x9F\x98\x80\\uD800\""},
        {u"\xDC00" u"a", R"("\udc00a")", R"("\uDC00a")"},
        {u"a\xD83D", R"("a\ud83d")", R"("a\uD83D")"},
        {u"\xDE00\xD83D", R"("\ude00\ud83d")", R"("\uDE00\uD83D")"},  // a pair the wrong way round
        {u"\b\f\x1F", R"("\u0008\u000c\u001f")", R"("\b\f\u001F")"},
        {u"안\x7F\xFEFF", "\"안\x7F\xEF\xBB\xBF\"", "\"안\x7F\xEF\xBB\xBF\""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(lumvox::core::ToUtf8Lossy(c.text));
        EXPECT_EQ(JsonString(c.text, EscapeStyle::LowerHex), c.lower_hex);
        EXPECT_EQ(JsonString(c.text, EscapeStyle::ShortFormsUpperHex), c.short_forms_upper_hex);
    }
}

TEST(JsonString, Utf8AndUtf16OfTheSameTextGiveTheSameLiteral) {
    std::string all_controls;
    for (char c = 0; c < 0x20; ++c) all_controls += c;
    const std::string kTexts[] = {"", all_controls, "\"\\/\x7F", "안녕하세요\r\n😀", "\xEF\xBB\xBF\xF4\x8F\xBF\xBF"};
    for (const auto& text : kTexts) {
        std::u16string utf16 = lumvox::core::Utf8ToUtf16(text).value();
        for (EscapeStyle style : {EscapeStyle::LowerHex, EscapeStyle::ShortFormsUpperHex})
            EXPECT_EQ(JsonString(text, style), JsonString(utf16, style)) << testing::PrintToString(text);
    }
}

}  // namespace
}  // namespace lumvox::json
