// What the send log window shows of a send: its row, its detail, copied rows.
#include "ui/send_log_texts.h"

#include <gtest/gtest.h>

#include "core/send_log.h"
#include "core/utf.h"

namespace lumvox::ui {
namespace {

core::SendRecord Refused404() {
    core::SendRecord r;
    r.channel = core::SendChannel::Net;
    r.host = u"127.0.0.1";
    r.port = u"7070";
    r.handed_over = u"lumvox=hi#x=lumvox";
    r.request = "GET /lumvox=hi HTTP/1.1\r\nHost: 127.0.0.1:7070\r\n\r\n";
    r.wire_bytes = r.request.size();
    r.outcome = core::SendOutcome::Unreachable;
    r.cause.code = core::CauseCode::NotSuccess;
    r.cause.status = 404;
    r.cause.reason = "Not Found";
    r.status = 404;
    r.body = "nope\r\n" + std::string(300, 'z');
    r.warnings.push_back({core::WarningCode::HashCutsText, 2, 2, u"#x"});
    return r;
}

TEST(SendLogTexts, RowHasTheColumnsInKoreanOnOneLine) {
    const LogRow row = LogRowOf(Refused404(), u"16:30:01.123");
    EXPECT_EQ(row.time, u"16:30:01.123");
    EXPECT_EQ(row.channel, u"네트워크");
    EXPECT_EQ(row.length, u"18");
    EXPECT_EQ(row.outcome, u"닿지 못함");
    EXPECT_EQ(row.cause, u"응답 상태가 2xx가 아닙니다: 404 Not Found");
    EXPECT_NE(row.warnings.find(u"\"#\""), std::u16string::npos);

    core::SendRecord delivered;
    delivered.channel = core::SendChannel::Clip;
    delivered.handed_over = u"a\r\nb";
    const LogRow ok = LogRowOf(delivered, u"t");
    EXPECT_EQ(ok.outcome, u"전달됨");
    EXPECT_EQ(ok.cause, u"") << "a delivered send has no cause to show";
    EXPECT_EQ(ok.length, u"4");
}

TEST(SendLogTexts, DetailOfANetworkSendShowsTheRequestAndTheReplyStart) {
    const std::u16string detail = LogDetail(Refused404(), u"2026-12-10 16:30:01.123");
    for (std::u16string_view part : {std::u16string_view(u"채널: 네트워크\r\n"), std::u16string_view(u"대상: 127.0.0.1:7070\r\n"),
                                     std::u16string_view(u"(not-success)"), std::u16string_view(u"경고: "),
                                     std::u16string_view(u"요청:\r\nGET /lumvox=hi HTTP/1.1\r\n"),
                                     std::u16string_view(u"응답 상태: 404\r\n"),
                                     std::u16string_view(u"응답 본문 (306바이트, 처음 200자): nope\\r\\nzzz")})
        EXPECT_NE(detail.find(part), std::u16string::npos) << core::ToUtf8Lossy(part) << "\n" << core::ToUtf8Lossy(detail);
    const size_t start = detail.find(u"처음 200자): ") + 10;
    const std::u16string shown = detail.substr(start, detail.find(u"\r\n", start) - start);
    EXPECT_EQ(shown, u"nope\\r\\n" + std::u16string(194, u'z')) << "200 characters, escapes counted as one";
}

TEST(SendLogTexts, CopiedRowsAreTabSeparatedLines) {
    const std::vector<LogRow> rows = {{u"1", u"a", u"2", u"b", u"c\td", u"e"}, {u"x", u"y", u"0", u"z", u"", u""}};
    EXPECT_EQ(RowsAsText(rows), u"1\ta\t2\tb\tc\td\te\r\nx\ty\t0\tz\t\t\r\n");
}

TEST(SendLog, KeepsTheLastThousandSendsNewestLastAndTellsItsListener) {
    core::SendLog log;
    int told = 0;
    log.SetListener([&] { ++told; });
    for (int i = 0; i < 1005; ++i) {
        core::SendRecord r;
        r.text = core::Utf8ToUtf16(std::to_string(i)).value();
        log.Record(r);
    }
    EXPECT_EQ(told, 1005);
    EXPECT_EQ(log.total(), 1005u);
    ASSERT_EQ(log.records().size(), core::kSendLogCapacity);
    EXPECT_EQ(log.records().front().text, u"5");
    EXPECT_EQ(log.records().back().text, u"1004");
}

}  // namespace
}  // namespace lumvox::ui
