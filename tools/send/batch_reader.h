#pragma once
// One line of a batch file: a JSON object naming a text, its channel and the
// expected outcome; a saved send log line and a --json result line are such
// objects. Reads untrusted input; portable and pure.
#include <optional>
#include <string>
#include <string_view>

#include "send_case.h"

namespace lumvox::send {

struct BatchCase {
    lumvox::core::SendRequest input;
    Outcome expected = Outcome::Delivered;
};

// nullopt with `error` saying what is wrong when the line is not such an object.
std::optional<BatchCase> ReadBatchCase(std::string_view line, std::string& error);

}  // namespace lumvox::send
