#include "outcome.h"

namespace lumvox::send {

int ExitCode(Outcome outcome) {
    switch (outcome) {
    case Outcome::Delivered: return 0;
    case Outcome::Usage: return 2;
    case Outcome::Refused: return 3;
    case Outcome::Unreachable: return 4;
    case Outcome::NotAcknowledged: return 5;
    case Outcome::Failed: return 6;
    case Outcome::MarkupError: return 7;
    case Outcome::Warned: return 7;
    }
    return 6;
}

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
    case Outcome::Delivered: return "delivered";
    case Outcome::Usage: return "usage";
    case Outcome::Refused: return "refused";
    case Outcome::Unreachable: return "unreachable";
    case Outcome::NotAcknowledged: return "not-acknowledged";
    case Outcome::Failed: return "failed";
    case Outcome::MarkupError: return "markup-error";
    case Outcome::Warned: return "warned";
    }
    return "failed";
}

std::optional<Outcome> OutcomeFromName(std::string_view name) {
    for (Outcome o : {Outcome::Delivered, Outcome::Usage, Outcome::Refused, Outcome::Unreachable,
                      Outcome::NotAcknowledged, Outcome::Failed, Outcome::MarkupError,
                      Outcome::Warned})
        if (name == OutcomeName(o)) return o;
    return std::nullopt;
}

}  // namespace lumvox::send
