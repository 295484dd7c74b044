#pragma once
// What the stand-in reads from and writes to an HTTP connection. Portable.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumvox::standin {

// How the stand-in answers a GET; the modes other than Sent try the
// workshop's failure paths.
enum class ReplyMode { Sent, NoSent, ServerError, Silent };

inline constexpr ReplyMode kReplyModes[] = {ReplyMode::Sent, ReplyMode::NoSent, ReplyMode::ServerError,
                                            ReplyMode::Silent};

std::optional<ReplyMode> ParseReplyMode(std::string_view name);  // "sent", "nosent", "500", "silent"
std::string_view ReplyModeName(ReplyMode mode);
std::string_view ReplyModeCaption(ReplyMode mode);  // for the window's list of modes

// The whole reply to a GET; empty for Silent, which never answers.
std::string ReplyFor(ReplyMode mode);
// The whole reply to any other method.
std::string MethodNotAllowedReply();
std::string HeadTooLargeReply();

// Offset just past the empty line that ends a request head, if the bytes hold one.
// Line ends are LF with or without CR.
std::optional<size_t> FindHeadEnd(std::string_view bytes);

struct RequestHead {
    std::string request_line;
    std::string method;
    std::string target;
    std::string version;
    std::vector<std::string> headers;  // each line as received, without its line end
};

// `head` is a request head as FindHeadEnd delimits it (a missing end is tolerated).
RequestHead ParseRequestHead(std::string_view head);

// %XX becomes the byte 0xXX; a "%" without two hex digits stays; "+" stays "+".
std::string PercentDecode(std::string_view text);

struct EnvelopeText {
    std::string bytes;  // percent-decoded, not checked for UTF-8
    bool closed;        // false when the target ends without "=lumvox"
};

// The text between the first "lumvox=" and the last "=lumvox" of a request
// target, percent-decoded; nullopt when there is no "lumvox=".
std::optional<EnvelopeText> NetworkEnvelopeText(std::string_view target);

}  // namespace lumvox::standin
