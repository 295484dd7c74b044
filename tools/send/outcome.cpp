#include "outcome.h"

#include <iterator>

namespace lumvox::send {
namespace {

// Each outcome once: the name scripts read and the exit code they test.
struct OutcomeRow {
    Outcome outcome;
    const char* name;
    int exit_code;
};
constexpr OutcomeRow kOutcomes[] = {
    {Outcome::Delivered, "delivered", 0},
    {Outcome::Usage, "usage", 2},
    {Outcome::Refused, "refused", 3},
    {Outcome::Unreachable, "unreachable", 4},
    {Outcome::NotAcknowledged, "not-acknowledged", 5},
    {Outcome::Failed, "failed", 6},
    {Outcome::MarkupError, "markup-error", 7},
    {Outcome::Warned, "warned", 7},
};

const OutcomeRow& Row(Outcome outcome) {
    for (const OutcomeRow& row : kOutcomes)
        if (row.outcome == outcome) return row;
    return kOutcomes[5];  // failed
}

}  // namespace

Outcome OutcomeOfCause(const lumvox::core::SendCause& cause) {
    using lumvox::core::SendOutcome;
    switch (lumvox::core::ScriptOutcomeOf(cause)) {
    case SendOutcome::Delivered: return Outcome::Delivered;
    case SendOutcome::Refused: return Outcome::Refused;
    case SendOutcome::Unreachable: return Outcome::Unreachable;
    case SendOutcome::NotAcknowledged: return Outcome::NotAcknowledged;
    case SendOutcome::Failed: return Outcome::Failed;
    }
    return Outcome::Failed;
}

int ExitCode(Outcome outcome) { return Row(outcome).exit_code; }
const char* OutcomeName(Outcome outcome) { return Row(outcome).name; }

std::optional<Outcome> OutcomeFromName(std::string_view name) {
    for (const OutcomeRow& row : kOutcomes)
        if (name == row.name) return row.outcome;
    return std::nullopt;
}

std::string OutcomeNames() {
    std::string names;
    for (size_t i = 0; i < std::size(kOutcomes); ++i) {
        if (i > 0) names += (i + 1 == std::size(kOutcomes)) ? " or " : ", ";
        names += kOutcomes[i].name;
    }
    return names;
}

}  // namespace lumvox::send
