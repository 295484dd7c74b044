#pragma once
// How a send ended, as scripts see it: exit codes and names. Portable.
#include <optional>
#include <string>
#include <string_view>

#include "core/send_outcome.h"

namespace lumvox::send {

// The page actions' outcomes, and lumvox-send's own: a usage error, a markup
// error that --check or --strict found, and a wire warning that --strict turned
// into a refusal.
enum class Outcome { Delivered, Usage, Refused, Unreachable, NotAcknowledged, Failed, MarkupError, Warned };

// The outcome of a send that ended with `cause` (see core::ScriptOutcomeOf).
Outcome OutcomeOfCause(const lumvox::core::SendCause& cause);
int ExitCode(Outcome outcome);
const char* OutcomeName(Outcome outcome);
std::optional<Outcome> OutcomeFromName(std::string_view name);
// Every name OutcomeFromName takes, for messages: "delivered, usage, … or warned".
std::string OutcomeNames();

}  // namespace lumvox::send
