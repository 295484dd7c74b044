#include "core/utf.h"

#include <gtest/gtest.h>

namespace lumvox::core {
namespace {

TEST(Utf8ToUtf16, AcceptsWellFormedAndKeepsByteOrderMark) {
    EXPECT_EQ(Utf8ToUtf16("sent"), u"sent");
    EXPECT_EQ(Utf8ToUtf16("\xEF\xBB\xBFsent"), u"\xFEFFsent");
    EXPECT_EQ(Utf8ToUtf16("\xEC\x95\x88 abcdefghijklmnop"), u"안 abcdefghijklmnop");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\xD83D\xDE00");
    EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), u"\xDBFF\xDFFF");
    EXPECT_EQ(Utf8ToUtf16(""), u"");
}

TEST(Utf8ToUtf16, RejectsEveryIllFormedSequence) {
    const std::string_view bad[] = {
        "sent\xE9",               // truncated two-byte
        "\x80",                   // stray continuation
        "\xC0\xAF",               // overlong slash
        "\xE0\x80\xAF",           // overlong three-byte
        "\xF0\x80\x80\xAF",       // overlong four-byte
        "\xED\xA0\x80",           // encoded surrogate
        "\xF4\x90\x80\x80",       // above U+10FFFF
        "\xF5\x80\x80\x80",       // invalid lead
        "abcdefgh\xE2\x82",       // truncated at the end after the fast path
        "\xE2\x28\xA1",           // bad continuation
    };
    for (auto bytes : bad) EXPECT_FALSE(Utf8ToUtf16(bytes).has_value()) << testing::PrintToString(bytes);
}

TEST(Utf16ToUtf8, EncodesPairsAndRefusesLoneSurrogates) {
    EXPECT_EQ(Utf16ToUtf8(u"안\xD83D\xDE00"), "\xEC\x95\x88\xF0\x9F\x98\x80");
    EXPECT_FALSE(Utf16ToUtf8(u"\xD83D" u"a").has_value());
    EXPECT_FALSE(Utf16ToUtf8(u"a\xDE00").has_value());
    EXPECT_EQ(ToUtf8Lossy(u"a\xD83D"), "a\xEF\xBF\xBD");
}

}  // namespace
}  // namespace lumvox::core
