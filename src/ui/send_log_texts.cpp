#include "send_log_texts.h"

#include "core/utf.h"

namespace lumvox::ui {
namespace {

constexpr size_t kBodyStartChars = 200;

std::u16string Number(long long n) {
    const std::string digits = std::to_string(n);
    return {digits.begin(), digits.end()};
}

std::u16string Warnings(const core::SendRecord& record, std::u16string_view separator) {
    std::u16string out;
    for (const core::WireWarning& w : record.warnings) {
        if (!out.empty()) out += separator;
        out += core::WarningTextKorean(w);
    }
    return out;
}

// Cells stay on one line: a tab or a line break inside one would split the copied row.
std::u16string OneLine(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
    return out;
}

}  // namespace

std::u16string_view ChannelKorean(core::SendChannel channel) { return core::ChannelOf(channel).korean; }

LogRow LogRowOf(const core::SendRecord& record, std::u16string_view time) {
    return {std::u16string(time),
            std::u16string(ChannelKorean(record.channel)),
            Number(static_cast<long long>(record.handed_over.size())),
            std::u16string(OutcomeKorean(record.outcome)),
            record.outcome == core::SendOutcome::Delivered ? u"" : OneLine(core::CauseTextKorean(record.cause)),
            OneLine(Warnings(record, u"; "))};
}

std::u16string LogDetail(const core::SendRecord& r, std::u16string_view time) {
    std::u16string out = u"시간: " + std::u16string(time) + u" (" + Number(r.elapsed.count()) + u" ms)\r\n";
    out += u"채널: " + std::u16string(ChannelKorean(r.channel)) + u"\r\n";
    if (r.channel == core::SendChannel::Net) out += u"대상: " + r.host + u":" + r.port + u"\r\n";
    out += u"건넨 글: UTF-16 " + Number(static_cast<long long>(r.handed_over.size())) + u"단위, 보낸 바이트 " +
           Number(static_cast<long long>(r.wire_bytes)) + u"\r\n";
    out += u"결과: " + std::u16string(OutcomeKorean(r.outcome)) + u" (" +
           core::Utf8ToUtf16(core::OutcomeName(r.outcome)).value_or(u"") + u")\r\n";
    out += u"원인: " + core::CauseTextKorean(r.cause) + u" (" +
           core::Utf8ToUtf16(core::CauseName(r.cause.code)).value_or(u"") + u")\r\n";
    for (const core::WireWarning& w : r.warnings) out += u"경고: " + core::WarningTextKorean(w) + u"\r\n";
    if (r.channel != core::SendChannel::Net) return out;
    if (!r.request.empty()) {
        out += u"\r\n요청:\r\n" + core::Utf8ToUtf16(r.request).value_or(u"");
        if (out.size() < 2 || out.substr(out.size() - 2) != u"\r\n") out += u"\r\n";
    }
    if (r.status) {
        // A body that is not UTF-8 shows byte by byte, as Latin-1.
        std::u16string latin1;
        for (unsigned char byte : r.body) latin1 += static_cast<char16_t>(byte);
        const std::u16string body = core::Utf8ToUtf16(r.body).value_or(latin1);
        out += u"\r\n응답 상태: " + Number(*r.status) + u"\r\n";
        out += u"응답 본문 (" + Number(static_cast<long long>(r.body.size())) + u"바이트, 처음 200자): " +
               core::EscapedStart(body, kBodyStartChars) + u"\r\n";
    }
    return out;
}

std::u16string RowsAsText(const std::vector<LogRow>& rows) {
    std::u16string out;
    for (const LogRow& row : rows)
        out += row.time + u"\t" + row.channel + u"\t" + row.length + u"\t" + row.outcome + u"\t" + row.cause + u"\t" +
               row.warnings + u"\r\n";
    return out;
}

}  // namespace lumvox::ui
