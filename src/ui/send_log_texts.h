#pragma once
// What the send log window shows of a send, in Korean: its row, its full detail
// and the rows as text for the clipboard. Portable, so it is tested natively.
#include <string>
#include <string_view>
#include <vector>

#include "core/send_outcome.h"

namespace lumvox::ui {

// The list's columns, in order.
struct LogRow {
    std::u16string time, channel, length, outcome, cause, warnings;
};

// `time` is the send's local start time as the caller formats it.
LogRow LogRowOf(const core::SendRecord& record, std::u16string_view time);
// Every fact of the send, one per line (CR LF): for the network also the request
// bytes and the reply's status and first 200 characters.
std::u16string LogDetail(const core::SendRecord& record, std::u16string_view time);
// One line per row, the columns separated by tabs, each line ended by CR LF.
std::u16string RowsAsText(const std::vector<LogRow>& rows);

std::u16string_view ChannelKorean(core::SendChannel channel);
using core::OutcomeKorean;  // the send log's words for an outcome

inline constexpr std::u16string_view kLogColumns[] = {u"시간", u"채널", u"길이", u"결과", u"원인", u"경고"};

}  // namespace lumvox::ui
