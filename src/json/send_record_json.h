#pragma once
// A send's cause and warnings as JSON members, shared by lumvox-send's output
// and the workshop's saved send log; and the log's one line per send, which
// lumvox-send --batch reads back as a case. Portable.
#include <string>
#include <vector>

#include "json/json_line.h"
#include "core/send_outcome.h"

namespace lumvox::json {

// "cause", "causeText" and the cause's particulars; members named in `taken`
// are already written and are not repeated.
void AppendCause(JsonLine& json, const core::SendCause& cause, const std::vector<std::string_view>& taken = {});
// "warnings": [{"code", "position", "count", "excerpt"?, "text"}]
void AppendWarnings(JsonLine& json, const std::vector<core::WireWarning>& warnings);

// One saved line: the case lumvox-send --batch replays ("text", "channel",
// "destination", "protocol", "expect" = the outcome lumvox-send reports for the
// recorded cause), then what happened.
std::string SendLogLine(const core::SendRecord& record, std::string_view iso_time);

}  // namespace lumvox::json
