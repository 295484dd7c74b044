#include "core/reference_texts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lumvox::core {
namespace {

size_t CountLines(std::u16string_view text) {
    size_t breaks = 0;
    for (size_t pos = text.find(u"\r\n"); pos != text.npos; pos = text.find(u"\r\n", pos + 2)) ++breaks;
    return breaks + 1;
}

TEST(ReferenceTexts, SamplesHaveTheirLengthsLinesAndNoFinalBreak) {
    struct Expected { std::u16string_view caption; std::string_view handler; size_t lines, length; };
    const Expected expected[] = {
        {u"단순 문장", "N7Click", 41, 550},  {u"태그 문장", "N2Click", 20, 836},
        {u"LANGID 선택", "N9Click", 11, 168}, {u"높이", "N10Click", 9, 101},
        {u"빠르기", "N11Click", 10, 109},    {u"스펠링", "N13Click", 21, 149},
        {u"소리 크기", "N12Click", 9, 88},
    };
    for (size_t i = 0; i < kSampleTexts.size(); ++i) {
        const SampleText& sample = kSampleTexts[i];
        EXPECT_EQ(sample.menu_caption, expected[i].caption);
        EXPECT_EQ(sample.handler, expected[i].handler);
        EXPECT_EQ(CountLines(sample.text), expected[i].lines) << sample.handler;
        EXPECT_EQ(sample.text.size(), expected[i].length) << sample.handler;
        EXPECT_NE(sample.text.substr(sample.text.size() - 1), u"\n") << sample.handler;
        // Bare CR or LF would show differently in the text area than it is sent.
        EXPECT_EQ(std::count(sample.text.begin(), sample.text.end(), u'\r'),
                  std::count(sample.text.begin(), sample.text.end(), u'\n'));
    }
    EXPECT_NE(kSampleTexts[1].text.find(u"음성 출력은, \r\n<PITCH"), std::u16string_view::npos);
    EXPECT_EQ(kSampleTexts[3].text.substr(0, 22), u"<pitch absmiddle=\"5\">\r");
}

TEST(ReferenceTexts, ListsInTheirOrder) {
    EXPECT_EQ(kCommandNames.front(), u"time");
    EXPECT_EQ(kCommandNames[3], u"goto:http://");
    EXPECT_EQ(kCommandNames.back(), u"playsong");
    EXPECT_EQ(kMarkupRows.front().markup, u"<volume level=\"50\">텍스트</volume>");
    EXPECT_EQ(kMarkupRows.back().description, u"목소리를 선택한다");
    EXPECT_EQ(kLanguageIds.front(), u"한국어 : 412");
    EXPECT_EQ(kLanguageIds[9], u"스페인어 (ARG) : 2c0a");
    EXPECT_EQ(kLanguageIds.back(), u"프랑스어 : 40c");
}

}  // namespace
}  // namespace lumvox::core
