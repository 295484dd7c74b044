#pragma once
// How a send ended, as scripts see it: the outcomes, their names and exit
// codes are the core's one table (core/send_outcome.h). Portable.
#include <optional>
#include <string>
#include <string_view>

#include "core/send_outcome.h"

namespace lumvox::send {

// The page actions' outcomes, and lumvox-send's own: a usage error, a markup
// error that --check or --strict found, and a wire warning that --strict turned
// into a refusal.
using Outcome = lumvox::core::SendOutcome;

// Exit codes that end no single send.
inline constexpr int kExitBatchCaseNotAsExpected = 1;
// Standard output or standard error could not be written (a full disk, a closed pipe).
inline constexpr int kExitOutputFailed = 8;

// The outcome of a send that ended with `cause` (see core::ScriptOutcomeOf).
Outcome OutcomeOfCause(const lumvox::core::SendCause& cause);
int ExitCode(Outcome outcome);
using lumvox::core::OutcomeFromName;
using lumvox::core::OutcomeName;
// Every name OutcomeFromName takes, for messages: "delivered, usage, … or warned".
std::string OutcomeNames();

}  // namespace lumvox::send
