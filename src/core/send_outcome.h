#pragma once
// What happened to one send: its outcome and the exact cause, with the
// particulars the cause needs, and the warnings about what the wire drops. The
// window shows its fixed messages as before; the cause's own text goes to the
// send log (Korean) and to lumvox-send (English). Portable.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/send/channel.h"

namespace lumvox::core {
// How a send ended: the window's send log shows the first five; a usage error,
// a markup error and a wire warning that --strict stops a send for are
// lumvox-send's own. Each is one row (name, Korean words, lumvox-send's exit
// code) in send_outcome.cpp, which does not build while one is missing.
enum class SendOutcome : std::uint8_t {
    Delivered,
    Usage,
    Refused,
    Unreachable,
    NotAcknowledged,
    Failed,
    MarkupError,
    Warned,
    Count  // not an outcome: the number of rows
};

enum class CauseCode {
    None,
    // refusals before anything is sent
    EmptyText,
    EmptyDestination,
    // the network
    EmptyHost,          // the URL's split leaves no host (an IPv6 address without brackets)
    BadHost,            // a host no URL can carry as written ("[::1", "h:1:2") or an unreadable IPv6 literal
    UnpairedSurrogate,  // the text holds a UTF-16 unit that has no UTF-8 form
    BadPort,
    NoAddress,
    ConnectionRefused,
    ConnectFailed,      // any other failure to connect (network unreachable ...)
    TimedOut,
    ConnectionReset,
    ClosedEarly,
    BadStatusLine,
    BadChunk,           // a chunked body ended at a chunk size that is no number, without "sent"
    OverLimit,
    NotSuccess,
    NotUtf8,
    NoAcknowledgement,
    ExchangeFailed,     // a failure the exchange did not classify
    Cancelled,          // the user ended the exchange (Escape) before it did
    // copy-data
    NoWindow,           // the presence probe found no window
    WindowGone,         // the window vanished between the probe and the send
    NotConfirmed,
    MessageRefused,
    // the clipboard
    ClipboardBusy,
    ClipboardFailed,
    // a text file
    FileUnreadable,
    FileNotUtf8,
    // standard input (lumvox-send)
    InputUnreadable,
    InputNotUtf8,
    // lumvox-send --strict: stopped before anything went out
    StoppedByMarkupError,
    StoppedByWarning,
    Count  // not a cause: the number of rows in the cause table
};

enum class Hung { Unknown, Busy, Hung };

// The cause and its particulars; only those of its code are set.
struct SendCause {
    SendCause() = default;
    explicit SendCause(CauseCode cause_code, std::u16string words = {})
        : code(cause_code), system_text(std::move(words)) {}

    CauseCode code = CauseCode::None;
    std::string address;        // address:port of a refused, failed or timed-out connection
    std::u16string host;        // NoAddress, BadHost, EmptyHost: the host text as written
    std::u16string port;        // BadPort: the port text as written
    std::string limit;          // TimedOut: "connect", "send" (the request stalled going out), "reply" or
                                // "exchange"; OverLimit: "line", "header" or "body"
    long long limit_value = 0;  // milliseconds of a time limit, bytes of a cap
    long long after_ms = 0;     // TimedOut: how long the exchange had run
    int status = 0;             // NotSuccess, NoAcknowledgement
    std::string reason;         // NotSuccess: the reason phrase
    std::size_t body_length = 0;  // NoAcknowledgement, BadChunk
    std::string chunk_size;       // BadChunk: the chunk-size line as it came (at most 64 bytes)
    std::u16string body_start;  // NoAcknowledgement: the first 200 characters of the body
    std::size_t offset = 0;     // NotUtf8, FileNotUtf8, InputNotUtf8: byte offset of the first bad sequence
    std::uint32_t system_code = 0;
    std::u16string system_text;  // the system's words, or the exchange's own for ExchangeFailed;
                                 // NotSuccess: how the connection dropped after the status, if it did
    Hung hung = Hung::Unknown;   // NotConfirmed
    std::u16string holder_window, holder_process;  // ClipboardBusy, where the system tells
    std::u16string path;                           // FileUnreadable
};

enum class WarningCode {
    HashCutsText,
    QueryMakesParameters,
    BackslashBecomesSlash,
    NulCharacter,
    DelCharacter,     // U+007F goes out raw in the request line
    LongRequestLine,  // the request line is longer than many servers take
};

// Many HTTP servers refuse a longer request line (8 KiB is the commonest default);
// the stand-in refuses a request head over 4 MiB.
inline constexpr std::size_t kCommonRequestLineCap = 8 * 1024;
inline constexpr std::size_t kStandInRequestHeadCap = 4 << 20;

struct WireWarning {
    WarningCode code;
    std::size_t position = 0;  // UTF-16 index in the text of the first character concerned
    std::size_t count = 0;     // Hash: characters cut; Query: "+" sent raw; Backslash, Nul, Del: how many;
                               // LongRequestLine: the line's bytes (position 0)
    std::u16string excerpt;    // Hash: the start of what is cut
};

// One send, from the first field read to the outcome.
struct SendRecord {
    SendChannel channel = SendChannel::Net;
    std::chrono::system_clock::time_point start{};
    std::chrono::milliseconds elapsed{0};
    std::u16string text;          // the page's text as read, before trimming
    bool protocol = false;        // the protocol envelope was asked for (app, clip)
    std::u16string host, port;    // net: the fields as read
    std::u16string handed_over;   // after trimming and wrapping: what the channel got
    std::size_t wire_bytes = 0;   // bytes that went out (0 when nothing did)
    SendOutcome outcome = SendOutcome::Delivered;
    SendCause cause;
    std::vector<WireWarning> warnings;
    std::string request;          // net: the request bytes
    std::optional<int> status;    // net: the final status, when a reply came
    std::string body;             // net: the reply's body bytes
    std::u16string error_report;  // what the general error report shows, for a failure that goes there

    void SetCause(SendCause new_cause);  // and the outcome it gives
};

// Stable names for scripts and logs (ChannelName is with the channels).
std::string_view OutcomeName(SendOutcome outcome);  // "delivered", "refused", ...
std::u16string_view OutcomeKorean(SendOutcome outcome);  // the send log's words
int OutcomeExitCode(SendOutcome outcome);           // lumvox-send's exit code
std::optional<SendOutcome> OutcomeFromName(std::string_view name);
std::string_view CauseName(CauseCode code);          // "connection-refused", ...
std::string_view WarningName(WarningCode code);     // "hash-cuts-text", ...
SendOutcome OutcomeOf(CauseCode code);  // as the window's send log shows it
// The outcome lumvox-send reports and scripts act on, truer than the log's where
// they differ: Unreachable only when nothing was reached, NotAcknowledged when a
// peer was reached but did not take the text, Refused for a field no request
// can carry, Failed for a local failure.
SendOutcome ScriptOutcomeOf(const SendCause& cause);
// The window's own message for the cause, where it has one whatever the channel.
std::u16string_view CauseWindowText(CauseCode code);


// The cause in words: Korean for the window's log, English for lumvox-send.
std::u16string CauseTextKorean(const SendCause& cause);
std::string CauseTextEnglish(const SendCause& cause);
std::u16string WarningTextKorean(const WireWarning& warning);
std::string WarningTextEnglish(const WireWarning& warning);

// The cause's particulars as named values, for JSON; texts are UTF-8.
using ParticularValue = std::variant<long long, std::string>;
struct Particular {
    std::string_view name;
    ParticularValue value;
};
std::vector<Particular> Particulars(const SendCause& cause);

// At most `max_chars` characters (a surrogate pair is one), with C0 controls,
// "\" and DEL written as escapes, so that a reply's body reads on one line.
std::u16string EscapedStart(std::u16string_view text, std::size_t max_chars);

}  // namespace lumvox::core
