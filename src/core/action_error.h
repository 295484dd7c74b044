#pragma once
// An error a page action does not handle itself. The event loop's general error
// report shows its message (with the full-stop rule) in an error box.
#include <string>

namespace lumvox::core {

class ActionError {
public:
    explicit ActionError(std::u16string message) : message_(std::move(message)) {}
    const std::u16string& message() const noexcept { return message_; }

private:
    std::u16string message_;
};

}  // namespace lumvox::core
