#include "outcome.h"

namespace lumvox::send {

Outcome OutcomeOfCause(const lumvox::core::SendCause& cause) { return lumvox::core::ScriptOutcomeOf(cause); }
int ExitCode(Outcome outcome) { return lumvox::core::OutcomeExitCode(outcome); }

std::string OutcomeNames() {
    constexpr auto kCount = static_cast<std::size_t>(Outcome::Count);
    std::string names;
    for (std::size_t i = 0; i < kCount; ++i) {
        if (i > 0) names += (i + 1 == kCount) ? " or " : ", ";
        names += OutcomeName(static_cast<Outcome>(i));
    }
    return names;
}

}  // namespace lumvox::send
