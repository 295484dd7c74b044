#include "http_reply_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "utf.h"
#include "whole_number.h"

namespace lumvox::core {
namespace {

constexpr std::size_t kReadChunk = 16 * 1024;
constexpr auto kSaturated = std::numeric_limits<std::uint64_t>::max();

[[noreturn]] void Fail(HttpFailure failure, const std::string& detail) {
    throw HttpFailureError(failure, detail);
}

[[noreturn]] void OverCap(const char* limit, std::size_t cap, const std::string& detail) {
    HttpFailureFacts facts;
    facts.limit = limit;
    facts.limit_value = static_cast<long long>(cap);
    throw HttpFailureError(HttpFailure::OverLimit, detail, std::move(facts));
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

bool EqualsNoCase(std::string_view a, std::string_view lower) {
    if (a.size() != lower.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != lower[i]) return false;
    return true;
}

bool ContainsNoCase(std::string_view haystack, std::string_view lower) {
    for (std::size_t i = 0; i + lower.size() <= haystack.size(); ++i)
        if (EqualsNoCase(haystack.substr(i, lower.size()), lower)) return true;
    return false;
}

// A status code is at most nine digits, leading zeros not counted.
constexpr std::uint64_t kMaxStatusCode = 999'999'999;

// An interim reply (100 Continue, 102 Processing, 103 Early Hints...) comes
// before the final one and is read past, as HTTP has every client do. 101
// ends HTTP on the connection, so it is the final answer here, and a failure.
bool IsInterim(int status) { return status >= 100 && status <= 199 && status != 101; }

// The status code, and the reason phrase after it into `reason`.
int StatusCode(std::string_view line, std::string& reason) {
    std::size_t space = line.find(' ');
    if (space != std::string_view::npos) {
        std::string_view rest = line.substr(space + 1);
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        std::size_t end = rest.find(' ');
        std::string_view field = rest.substr(0, end);
        if (auto code = WholeNumberIn(ReadWholeNumber(field, 0, kMaxStatusCode))) {
            reason = end == std::string_view::npos ? std::string() : std::string(Trim(rest.substr(end + 1)));
            return static_cast<int>(*code);
        }
    }
    Fail(HttpFailure::BadStatusLine, "status line without a readable code");
}

// A size too large to hold reads as the largest, so that it goes over the cap
// rather than reading as a small number.
std::optional<std::uint64_t> Size(std::string_view text, unsigned base) {
    const NumberRead read = ReadWholeNumber(text, 0, kNoHigherLimit, base);
    if (read == NumberRead(NumberProblem::OutOfRange)) return kSaturated;
    return WholeNumberIn(read);
}

// A size that can't be read counts as 0 and so ends the body; the reply keeps
// the line, which tells a body cut short by it from an empty one.
std::uint64_t ChunkSize(std::string_view line, HttpReply& reply) {
    std::string_view size = Trim(line.substr(0, line.find(';')));
    if (auto value = Size(size, 16)) return *value;
    reply.unreadable_chunk_size = std::string(line.substr(0, 64));
    return 0;
}

struct Framing {
    bool chunked = false;
    bool length_seen = false;
    std::optional<std::uint64_t> length;

    void Note(std::string_view header_line) {
        std::size_t colon = header_line.find(':');
        if (colon == std::string_view::npos) return;
        std::string_view name = Trim(header_line.substr(0, colon));
        std::string_view value = Trim(header_line.substr(colon + 1));
        if (EqualsNoCase(name, "transfer-encoding")) {
            chunked = chunked || ContainsNoCase(value, "chunked");
        } else if (EqualsNoCase(name, "content-length") && !length_seen) {
            length_seen = true;
            length = Size(value, 10);
        }
    }
};

// Buffers the source's bytes and hands them out as lines or counted runs.
class ReplyStream {
public:
    explicit ReplyStream(ByteSource& source) : source_(source) {}

    // The next line without its line end (LF, or CR LF), or nothing when the
    // peer closed first; `raw_size` gets the line's size with its line end.
    std::optional<std::string_view> NextLine(std::size_t cap, std::size_t* raw_size = nullptr) {
        while (true) {
            const char* start = buf_.get() + begin_;
            std::size_t pending = end_ - begin_;
            const void* lf = pending > scanned_ ? std::memchr(start + scanned_, '\n', pending - scanned_) : nullptr;
            if (lf) {
                std::size_t size = static_cast<const char*>(lf) - start;
                std::size_t content = size > 0 && start[size - 1] == '\r' ? size - 1 : size;
                if (content > cap) OverCap("line", cap, "line over its limit");
                begin_ += size + 1;
                scanned_ = 0;
                if (raw_size) *raw_size = size + 1;
                return std::string_view(start, content);
            }
            scanned_ = pending;
            // Even with a CR as its last byte, this line is already too long.
            if (pending > cap + 1) OverCap("line", cap, "line over its limit");
            if (!Fill()) return std::nullopt;
        }
    }

    std::string_view Line(std::size_t cap, const char* what) {
        auto line = NextLine(cap);
        if (!line) Fail(HttpFailure::ClosedEarly, std::string("connection closed before ") + what);
        return *line;
    }

    void ReadExact(std::uint64_t count, std::string& out) {
        scanned_ = 0;
        while (count > 0) {
            if (begin_ == end_ && !Fill()) Fail(HttpFailure::ClosedEarly, "connection closed inside the body");
            std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(count, end_ - begin_));
            out.append(buf_.get() + begin_, take);
            begin_ += take;
            count -= take;
        }
    }

    void ReadToClose(std::string& out, std::size_t cap) {
        scanned_ = 0;
        do {
            if (begin_ < end_) out.append(buf_.get() + begin_, end_ - begin_);
            begin_ = end_;
            if (out.size() > cap) OverCap("body", cap, "body over its limit");
        } while (Fill());
    }

private:
    bool Fill() {
        // Compacting only when the tail is short keeps many tiny reads linear.
        if (capacity_ - end_ < kReadChunk && begin_ > 0) {
            std::memmove(buf_.get(), buf_.get() + begin_, end_ - begin_);
            end_ -= begin_;
            begin_ = 0;
        }
        if (capacity_ - end_ < kReadChunk) {
            // Not zero-filled: every byte is written by the source before it is read.
            std::size_t capacity = std::max(end_ + kReadChunk, capacity_ * 2);
            auto grown = std::make_unique_for_overwrite<char[]>(capacity);
            if (end_ > 0) std::memcpy(grown.get(), buf_.get(), end_);
            buf_ = std::move(grown);
            capacity_ = capacity;
        }
        std::size_t got = source_.Read(std::span<char>(buf_.get() + end_, kReadChunk));
        if (got == 0) return false;
        if (got > kReadChunk) Fail(HttpFailure::Broken, "byte source overran its buffer");
        end_ += got;
        return true;
    }

    ByteSource& source_;
    std::unique_ptr<char[]> buf_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;    // first unread byte
    std::size_t end_ = 0;      // end of the bytes read so far
    std::size_t scanned_ = 0;  // unread bytes already searched for LF
};

void ReadChunkedBody(ReplyStream& in, const HttpLimits& limits, HttpReply& reply) {
    std::string& body = reply.body;
    while (std::uint64_t size = ChunkSize(in.Line(limits.max_line, "a chunk size"), reply)) {
        if (size > limits.max_body - body.size()) OverCap("body", limits.max_body, "body over its limit");
        in.ReadExact(size, body);
        in.Line(limits.max_line, "the end of a chunk");
    }
    // Trailers are dropped. A peer that closes after the last chunk has sent the
    // whole body, so a close here is no failure.
    std::size_t lines = 0;
    while (auto line = in.NextLine(limits.max_line)) {
        if (line->empty()) return;
        if (++lines > limits.max_head_lines) OverCap("header-lines", limits.max_head_lines, "too many trailer lines");
    }
}

}  // namespace

HttpReply ReadReply(ByteSource& source, const HttpLimits& limits) {
    ReplyStream in(source);
    std::size_t head_bytes = 0;
    std::size_t head_lines = 0;
    auto head_line = [&](const char* what) {
        std::size_t raw_size = 0;
        auto line = in.NextLine(limits.max_line, &raw_size);
        if (!line) Fail(HttpFailure::ClosedEarly, std::string("connection closed before ") + what);
        head_bytes += raw_size;
        if (head_bytes > limits.max_head_bytes) OverCap("header", limits.max_head_bytes, "header section over its limit");
        return *line;
    };

    HttpReply reply;
    Framing framing;
    bool final_status = false;
    try {
        do {
            reply.status = StatusCode(head_line("the status line"), reply.reason);
            final_status = !IsInterim(reply.status);
            framing = {};
            for (auto line = head_line("the end of the headers"); !line.empty();
                 line = head_line("the end of the headers")) {
                if (++head_lines > limits.max_head_lines)
                    OverCap("header-lines", limits.max_head_lines, "too many header lines");
                framing.Note(line);
            }
        } while (!final_status);

        // 101 and 204 carry no body.
        if (reply.status == 101 || reply.status == 204) return reply;
        if (framing.chunked) {
            ReadChunkedBody(in, limits, reply);
        } else if (framing.length) {
            if (*framing.length > limits.max_body) OverCap("body", limits.max_body, "body over its limit");
            in.ReadExact(*framing.length, reply.body);
        } else {
            in.ReadToClose(reply.body, limits.max_body);
        }
    } catch (const HttpFailureError& error) {
        // A peer that refuses a request (a 431 for a head too large) often
        // resets the connection after its answer: the status is the truer cause.
        const bool dropped = error.failure() == HttpFailure::Broken || error.failure() == HttpFailure::ClosedEarly;
        if (!dropped || !final_status || (reply.status >= 200 && reply.status <= 299)) throw;
        reply.dropped = error.what();
    }
    return reply;
}

ReplyTextResult ReplyText(const HttpReply& reply) {
    HttpFailureFacts facts;
    if (reply.status < 200 || reply.status > 299) {
        facts.status = reply.status;
        facts.reason = reply.reason;
        facts.system_text = reply.dropped;
        return HttpFailureError(HttpFailure::NotSuccess, "status " + std::to_string(reply.status), std::move(facts));
    }
    auto text = Utf8ToUtf16(reply.body);
    if (!text) {
        facts.offset = FirstIllFormedUtf8(reply.body).value_or(0);
        return HttpFailureError(HttpFailure::NotUtf8, "reply body is not well-formed UTF-8", std::move(facts));
    }
    return *std::move(text);
}

}  // namespace lumvox::core
