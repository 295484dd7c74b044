#include "ui/window_texts.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/action_error.h"

namespace lumvox::ui {
namespace {

TEST(MainWindowTitle, VersionBetweenTheNameAndTheMakersNotice) {
    EXPECT_EQ(MainWindowTitle(u"2.0.1.10"), u"Lumvox Workshop V2.0.1.10 - Speech Test Bench");
    EXPECT_EQ(MainWindowTitle(u""), u"Lumvox Workshop V - Speech Test Bench");
    EXPECT_EQ(MainWindowTitle(u"2.0.1.10 beta"), u"Lumvox Workshop V2.0.1.10 beta - Speech Test Bench");
    EXPECT_EQ(MainWindowTitle(u"2.0.1.10").rfind(kApplicationTitle, 0), 0u) << "the task-bar name begins the title";
}

TEST(StatusLineText, TwoBlanksBeforeTheBracket) {
    EXPECT_EQ(StatusLineText(true), u"Lumvox 실행중입니다.  (^_^)");
    EXPECT_EQ(StatusLineText(false), u"Lumvox를 먼저 실행해 주세요.  (-___-)a");
}

TEST(ErrorReportText, FullStopOnlyAfterCharactersAboveTheFullStop) {
    struct Case {
        std::u16string_view message, shown;
    };
    constexpr Case kCases[] = {
        {u"Cannot open file", u"Cannot open file."},
        {u"Done.", u"Done."},                      // U+002E itself
        {u"Stop!", u"Stop!"},                      // U+0021
        {u"List index out of bounds (-1)", u"List index out of bounds (-1)"},  // U+0029
        {u"ends with a blank ", u"ends with a blank "},
        {u"a-", u"a-"},                            // U+002D, just below
        {u"a/", u"a/."},                           // U+002F, just above
        {u"파일을 열 수 없습니다", u"파일을 열 수 없습니다."},
        {u"열 수 없음", u"열 수 없음."},
        {u"", u""},
    };
    for (const auto& c : kCases) EXPECT_EQ(ErrorReportText(c.message), c.shown);
}

TEST(ErrorMessageOf, TakesTheMessageOfEachKindOfError) {
    EXPECT_EQ(ErrorMessageOf(std::make_exception_ptr(lumvox::core::ActionError(u"목록 오류"))), u"목록 오류");
    EXPECT_EQ(ErrorMessageOf(std::make_exception_ptr(std::runtime_error("\xEC\x98\xA4\xEB\xA5\x98 here"))), u"오류 here");
    EXPECT_EQ(ErrorMessageOf(std::make_exception_ptr(std::runtime_error("caf\xE9"))), u"caf\u00E9")
        << "bytes that are not UTF-8 are taken one by one";
    EXPECT_EQ(ErrorMessageOf(std::make_exception_ptr(42)), u"Unknown error");
}

std::exception_ptr Chain(const char* outer, const char* inner) {
    try {
        try {
            throw std::runtime_error(inner);
        } catch (...) {
            std::throw_with_nested(std::runtime_error(outer));
        }
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

TEST(ErrorMessageOf, ShowsTheInnermostCauseUnlessItIsEmpty) {
    EXPECT_EQ(ErrorMessageOf(Chain("outer", "inner cause")), u"inner cause");
    EXPECT_EQ(ErrorMessageOf(Chain("outer", "")), u"outer");
}

}  // namespace
}  // namespace lumvox::ui
