#pragma once
// An error a page action does not handle itself. The event loop's general error
// report shows its message (with the full-stop rule) in an error box.
#include <exception>
#include <string>

#include "send_outcome.h"
#include "utf.h"

namespace lumvox::core {

class ActionError : public std::exception {
public:
    explicit ActionError(std::u16string message) : message_(std::move(message)), what_(ToUtf8Lossy(message_)) {}
    const std::u16string& message() const noexcept { return message_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    std::u16string message_;
    std::string what_;
};

// An action error that also knows its cause, for the send log and lumvox-send;
// the error box still shows the message alone.
class CauseError : public ActionError {
public:
    CauseError(std::u16string message, SendCause cause) : ActionError(std::move(message)), cause_(std::move(cause)) {}
    const SendCause& cause() const noexcept { return cause_; }

private:
    SendCause cause_;
};

}  // namespace lumvox::core
