#pragma once
// One send, run through the same page actions the window uses, with its record
// turned into lumvox-send's outcome, exit code and words.
#include <optional>
#include <string>
#include <vector>

#include "common/json_line.h"
#include "core/markup_check.h"
#include "core/page_actions.h"
#include "outcome.h"
#include "send_options.h"

namespace lumvox::send {

struct CaseInput {
    Channel channel = Channel::Net;
    std::u16string text;
    std::u16string host, port = u"7070";
    bool protocol = false;
};

// What the network link saw of the reply, for --json.
struct ReplyRecord {
    std::optional<int> status;
    std::optional<std::string> body;
};

// The links of this platform; a null link means the channel needs Windows.
struct CaseLinks {
    lumvox::core::SpeechAppLink* app = nullptr;
    lumvox::core::NetworkLink* net = nullptr;
    lumvox::core::ClipboardLink* clip = nullptr;
};

struct CaseResult {
    Channel channel = Channel::Net;
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
};

CaseResult RunCase(const CaseInput& input, const CaseLinks& links);

// The markup findings on what the channel hands over (trimmed, enveloped as the
// page does; the text as given when no channel is named), with positions in
// the text as given.
lumvox::core::MarkupFindings CheckCaseMarkup(const CaseInput& input, bool channel_named);
// "SOURCE:LINE:COLUMN: SEVERITY: CODE: MESSAGE\n", in English.
std::string FindingLine(std::string_view source, const lumvox::core::MarkupFinding& finding);
// "SOURCE: N more findings left out (...)" past the kept findings, or nothing.
std::string FindingsLeftOutLine(std::string_view source, const lumvox::core::MarkupFindings& findings);
CaseResult DryRunCase(const CaseInput& input);

// The warnings, one line each, then the outcome line: plain words, the
// window's message beside them.
std::string DescribeOutcome(const CaseResult& result);
// The --json and batch lines: escapes stay as scripts have always read them.
inline constexpr lumvox::json::EscapeStyle kJsonEscapes = lumvox::json::EscapeStyle::LowerHex;
void AppendOutcomeFields(lumvox::json::JsonLine& json, const CaseResult& result);
std::string OutcomeJson(const CaseResult& result);  // one line

}  // namespace lumvox::send
