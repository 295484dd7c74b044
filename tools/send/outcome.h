#pragma once
// How a send ended, as scripts see it: exit codes and names. Portable.
#include <optional>
#include <string_view>

namespace lumvox::send {

enum class Outcome { Delivered, Usage, Refused, Unreachable, NotAcknowledged, Failed, MarkupError };

int ExitCode(Outcome outcome);
const char* OutcomeName(Outcome outcome);
std::optional<Outcome> OutcomeFromName(std::string_view name);

}  // namespace lumvox::send
