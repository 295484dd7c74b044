#include "window_texts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace lumvox::standin {
namespace {

std::vector<std::string_view> All(const WindowTexts& t) {
    std::vector<std::string_view> all = {t.reply_label,    t.clear,        t.events_label, t.detail_label,
                                         t.column_time, t.column_channel,
                                         t.column_details, t.column_text, t.http_on,     t.http_off,
                                         t.no_log,         t.log};
    all.insert(all.end(), t.reply_modes.begin(), t.reply_modes.end());
    return all;
}

bool HasHangul(std::string_view utf8) {
    // Hangul syllables are U+AC00..U+D7A3: UTF-8 lead bytes 0xEA..0xED.
    for (unsigned char c : utf8)
        if (c >= 0xEA && c <= 0xED) return true;
    return false;
}

TEST(WindowTexts, EachLanguageHasEveryTextEachDistinctAndInItsOwnScript) {
    for (Language language : {Language::English, Language::Korean}) {
        const auto all = All(TextsIn(language));
        std::set<std::string_view> distinct(all.begin(), all.end());
        EXPECT_EQ(distinct.size(), all.size()) << "two texts are the same";
        for (std::string_view text : all) {
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(HasHangul(text), language == Language::Korean) << text;
        }
    }
    // The answers keep the status and the word the workshop looks for, in both.
    for (const WindowTexts* t : {&TextsIn(Language::English), &TextsIn(Language::Korean)}) {
        EXPECT_EQ(t->reply_modes[0].substr(0, 10), "200 \"sent\"");
        EXPECT_EQ(t->reply_modes[2].substr(0, 3), "500");
    }
}

TEST(WindowTexts, KoreanForEveryKoreanLocaleOnly) {
    struct Case { unsigned short id; Language expected; };
    constexpr Case kCases[] = {
        {0x0412, Language::Korean},   // ko-KR
        {0x0812, Language::Korean},   // another Korean sublanguage
        {0x0012, Language::Korean},   // Korean, neutral
        {0x0409, Language::English},  // en-US
        {0x0411, Language::English},  // ja-JP
        {0x0000, Language::English},  // none reported
    };
    for (const Case& c : kCases) EXPECT_EQ(LanguageOf(c.id), c.expected) << std::hex << c.id;
}

}  // namespace
}  // namespace lumvox::standin
