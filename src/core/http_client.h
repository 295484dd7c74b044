#pragma once
// One HTTP/1.1 GET over a fresh TCP connection, as the network channel sends it.
#include <chrono>
#include <optional>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/request_url.h"

namespace lumvox::core {

// Every failure of an exchange. Its text is for tests and logs; the window shows
// its own connectivity message instead.
class HttpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Why an exchange failed, so that the send log and lumvox-send can tell the cases apart.
enum class HttpFailure {
    BadUrl,         // no "://", a protocol other than http, or an empty host
    BadPort,        // the port text is not a whole decimal number 1..65535
    BadHost,        // an unreadable IPv6 literal, or a host with an unpaired surrogate
    NoAddress,      // a name the resolver can't find
    Refused,        // the peer refused the connection: nothing listens there
    ConnectFailed,  // any other failure to connect
    TimedOut,       // a time limit ran out
    Broken,         // the connection was reset or reported an error
    ClosedEarly,    // the peer closed in an orderly way before the reply was whole
    BadStatusLine,  // no readable status code
    OverLimit,      // a line, the header section or the body went over its cap
    NotSuccess,     // a final status outside 200..299
    NotUtf8,        // the body is not well-formed UTF-8
    Cancelled,      // the caller asked the exchange to stop
};

// The particulars of a failure; only those of its kind are set.
struct HttpFailureFacts {
    std::string address;        // address:port of the connection tried
    std::string limit;          // TimedOut: connect, send (the request going out), reply, exchange; OverLimit: line, header, header-lines, body;
                                // Cancelled: connect before the connection was made, reply after
    long long limit_value = 0;  // milliseconds, bytes or lines
    long long after_ms = 0;     // TimedOut, Cancelled: time since the exchange began
    int status = 0;             // NotSuccess
    std::string reason;         // NotSuccess
    std::size_t offset = 0;     // NotUtf8: first bad byte
    std::string system_text;    // the system's words, where it gave some
};

class HttpFailureError : public HttpError {
public:
    HttpFailureError(HttpFailure failure, const std::string& detail, HttpFailureFacts facts = {})
        : HttpError(detail), failure_(failure), facts_(std::move(facts)) {}
    HttpFailure failure() const noexcept { return failure_; }
    const HttpFailureFacts& facts() const noexcept { return facts_; }

private:
    HttpFailure failure_;
    HttpFailureFacts facts_;
};

// Without limits a silent or hostile peer would hold the window forever or
// exhaust memory; running out of any of them fails the exchange.
struct HttpLimits {
    std::chrono::milliseconds connect{5'000};
    std::chrono::milliseconds reply_idle{10'000};  // longest wait for the request to go out or a byte to come
    std::chrono::milliseconds exchange{30'000};    // from the start to the last byte
    std::size_t max_line = 64 * 1024;              // status, header, chunk-size or trailer line
    std::size_t max_head_bytes = 256 * 1024;       // every head, interim replies included
    std::size_t max_head_lines = 100;              // header lines of those heads; trailer lines apart
    std::size_t max_body = 16 * 1024 * 1024;
};

struct HttpReply {
    int status = 0;
    std::string body;    // raw bytes; empty for 204 and for 1xx
    std::string reason;  // the status line's reason phrase
    // A status outside 2xx that came before the connection dropped is still the
    // answer: this says how it dropped, and the body holds what came of it.
    std::string dropped = {};
    // A chunked body that ended at a chunk-size line holding no hexadecimal
    // number: that line (its first 64 bytes).
    std::optional<std::string> unreadable_chunk_size = {};
};

// Where an exchange on `parts` connects, checked as HttpGet checks it before it
// connects: throws HttpFailureError (BadUrl, BadPort, BadHost) for a URL no
// connection can be made from. Looks nothing up: a name stays a name.
struct ConnectTarget {
    std::string host;  // UTF-8; an IPv6 address without its brackets
    std::uint16_t port = 0;
    bool ipv6 = false;
};
ConnectTarget CheckedTarget(const UrlParts& parts);

// One GET exchange on the parts of `url`. Returns every final status with its
// body; throws HttpFailureError when the exchange itself fails. A stop asked for
// from another thread ends the step under way at once (a name lookup excepted)
// and closes the connection.
HttpReply HttpGet(const EncodedUrl& url, const HttpLimits& limits = {}, std::stop_token stop = {});

// The reply body decoded as strict UTF-8; throws HttpFailureError on any failure.
std::u16string HttpGetText(const EncodedUrl& url, const HttpLimits& limits = {});

}  // namespace lumvox::core
