#pragma once
// One send, a request built from the options and sent by the same entry the
// window uses, with its record turned into lumvox-send's outcome, exit code and words.
#include <optional>
#include <string>
#include <vector>

#include "json/json_line.h"
#include "core/markup_check.h"
#include "core/send/request.h"
#include "outcome.h"
#include "send_options.h"

namespace lumvox::send {

// What the network link saw of the reply, for --json.
struct ReplyRecord {
    std::optional<int> status;
    std::optional<std::string> body;
};

struct CaseResult {
    lumvox::core::SendChannel channel = lumvox::core::SendChannel::Net;
    Outcome outcome = Outcome::Delivered;
    std::u16string message;  // the window's message (or error text); empty when delivered
    std::string plain;       // the outcome in plain words
    long long elapsed_ms = 0;
    ReplyRecord reply;
    std::string preview;  // --dry-run: exactly what would go out
    // The markup's errors and warnings, for --json; only a single send checks.
    std::optional<lumvox::core::MarkupFindings> findings;
    lumvox::core::SendCause cause;
    std::vector<lumvox::core::WireWarning> warnings;
    // The case itself, so that the line replays with --batch: its text, and
    // its destination or envelope. Absent when no text was read.
    std::optional<lumvox::core::SendRequest> request;
};

// A channel whose link is null here ends as a usage error: it needs Windows.
CaseResult RunCase(const lumvox::core::SendRequest& request, const lumvox::core::SendLinks& links);

// The markup findings on what the channel hands over (the text as it stands,
// enveloped if asked, when no channel is named), with positions in the text as given.
lumvox::core::MarkupFindings CheckCaseMarkup(const lumvox::core::SendRequest& request, bool channel_named);
// "SOURCE:LINE:COLUMN: SEVERITY: CODE: MESSAGE\n", in English.
std::string FindingLine(std::string_view source, const lumvox::core::MarkupFinding& finding);
// "SOURCE: N more findings left out (...)" past the kept findings, or nothing.
std::string FindingsLeftOutLine(std::string_view source, const lumvox::core::MarkupFindings& findings);
CaseResult DryRunCase(const lumvox::core::SendRequest& request);
// --check --json: {"source", "channel" (null when none was named), "findings", "findingsLeftOut"?, "exitCode"}.
std::string CheckJson(std::string_view source, std::optional<lumvox::core::SendChannel> channel,
                      const lumvox::core::MarkupFindings& findings, int exit_code);

// The warnings, one line each, then the outcome line: plain words, the
// window's message beside them.
std::string DescribeOutcome(const CaseResult& result);
// The --json and batch lines: escapes stay as scripts have always read them.
inline constexpr lumvox::json::EscapeStyle kJsonEscapes = lumvox::json::EscapeStyle::LowerHex;
void AppendOutcomeFields(lumvox::json::JsonLine& json, const CaseResult& result);
std::string OutcomeJson(const CaseResult& result);  // one line

}  // namespace lumvox::send
