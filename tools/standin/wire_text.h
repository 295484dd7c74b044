#pragma once
// What the stand-in reads from and writes to an HTTP connection. Portable.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/send_outcome.h"

namespace lumvox::standin {

// How the stand-in answers a GET; the modes other than Sent try the
// workshop's failure paths.
enum class ReplyMode { Sent, NoSent, ServerError, Silent };

inline constexpr ReplyMode kReplyModes[] = {ReplyMode::Sent, ReplyMode::NoSent, ReplyMode::ServerError,
                                            ReplyMode::Silent};

std::optional<ReplyMode> ParseReplyMode(std::string_view name);  // "sent", "nosent", "500", "silent"
std::string_view ReplyModeName(ReplyMode mode);

// The whole reply to a GET; empty for Silent, which never answers.
std::string ReplyFor(ReplyMode mode);
// The whole reply to any other method.
std::string MethodNotAllowedReply();
std::string HeadTooLargeReply();
std::string BadRequestReply();

// A request head is refused once it passes this many bytes; the cap bounds the
// memory one connection can take. lumvox-send's warning names the same cap.
inline constexpr size_t kMaxRequestHead = core::kStandInRequestHeadCap;

// Why a connection ended without its request being reported as an arrival.
enum class Refusal {
    Connections,  // the cap on open connections was reached: closed at once, unread
    Idle,         // no whole head within the idle limit: closed unanswered
    TooLarge,     // the head passed kMaxRequestHead: answered 431
    Malformed,    // RequestHeadProblem found something: answered 400
    ClosedEarly,  // the client closed after some bytes, before its head was whole
};
std::string_view RefusalName(Refusal reason);  // "connections", "idle", "too-large", "malformed", "closed"
// Idle and ClosedEarly are drops ("dropped" in the log); the others are refusals ("refused").
bool IsDrop(Refusal reason);
std::optional<int> RefusalStatus(Refusal reason);  // the status answered, if any
std::string RefusalReply(Refusal reason);          // the whole reply; empty when none is sent
// A refusal's log line keeps the first kRefusalStartBytes of what arrived at
// most, never cutting a UTF-8 sequence: a 10 MiB request line is not copied.
inline constexpr size_t kRefusalStartBytes = 256;
std::string RefusalStart(std::string_view received);

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

// Empty when the head is one the stand-in answers; otherwise what is wrong, in
// plain words. Lenient where the workshop's own request is: LF line ends, any
// byte above space in the target. Strict where a reader could be misled: the
// request line must be METHOD SP TARGET SP HTTP/d.d, and every header line a
// name, then a colon.
std::string RequestHeadProblem(const RequestHead& head);

// What a connection's bytes so far make of its request head: the one decision
// the listener takes after every read, kept pure so that it can be fuzzed.
struct HeadReading {
    enum class State { NeedMore, Whole, TooLarge, Malformed } state = State::NeedMore;
    size_t head_size = 0;  // Whole and Malformed: the head's bytes, blank line included
    std::string problem;   // Malformed: RequestHeadProblem's words
};
// `searched` bytes of `received` were already looked at without finding the
// end (the blank line may straddle them and the new ones). A head passes
// `max_head` only while its end has not arrived.
HeadReading ReadRequestHead(std::string_view received, size_t searched, size_t max_head = kMaxRequestHead);

// %XX becomes the byte 0xXX; a "%" without two hex digits stays; "+" stays "+".
std::string PercentDecode(std::string_view text);

struct EnvelopeText {
    std::string bytes;  // percent-decoded, not checked for UTF-8
    bool closed;        // false when the target ends without "=lumvox"
};

// The text between the first "lumvox=" and the last "=lumvox" of a request
// target, percent-decoded; nullopt when there is no "lumvox=".
std::optional<EnvelopeText> NetworkEnvelopeText(std::string_view target);

// What the wire did to the text of a received target, named as the workshop
// and lumvox-send name it before a send: a text cut short (at a "#", which
// never travels, so the closing "=lumvox" is missing) and parameters after a
// "?", where "+" travels raw.
struct ReceivedWarning {
    std::string_view code;  // the same stable names lumvox-send writes
    std::string text;       // English, for the window and the log
};
std::vector<ReceivedWarning> ReceivedWarnings(std::string_view target);

}  // namespace lumvox::standin
