#include "core/http_reply_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "core/utf.h"
#include "http_reply_cases.h"

namespace lumvox::core::test {
namespace {

// Hands out `bytes` in reads of at most `step` bytes, then closes or resets.
class MemorySource final : public ByteSource {
public:
    enum class End { Close, Reset };
    MemorySource(std::string_view bytes, std::size_t step, End end) : bytes_(bytes), step_(step), end_(end) {}

    std::size_t Read(std::span<char> out) override {
        if (pos_ == bytes_.size()) {
            if (end_ == End::Reset) throw HttpFailureError(HttpFailure::Broken, "reset by peer");
            return 0;
        }
        std::size_t n = std::min({out.size(), step_, bytes_.size() - pos_});
        std::memcpy(out.data(), bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }

private:
    std::string_view bytes_;
    std::size_t step_;
    End end_;
    std::size_t pos_ = 0;
};

struct Outcome {
    HttpReply reply;
    std::optional<HttpFailure> failure;
};

Outcome Read(std::string_view bytes, const HttpLimits& limits = {}, std::size_t step = SIZE_MAX,
             MemorySource::End end = MemorySource::End::Close) {
    MemorySource source(bytes, step, end);
    try {
        return {ReadReply(source, limits), std::nullopt};
    } catch (const HttpFailureError& e) {
        return {{}, e.failure()};
    }
}

// Splits that put every boundary (line ends, CR before LF, chunk edges) across reads.
constexpr std::size_t kSteps[] = {SIZE_MAX, 1, 2, 3, 7};

TEST(HttpReplyReader, AcceptanceRules) {
    for (const auto& c : kReplyCases) {
        for (std::size_t step : kSteps) {
            SCOPED_TRACE(testing::Message() << c.name << ", reads of " << step);
            Outcome got = Read(c.reply, {}, step);
            if (c.status == 0) {
                EXPECT_EQ(got.failure, c.failure);
                continue;
            }
            ASSERT_EQ(got.failure, std::nullopt);
            EXPECT_EQ(got.reply.status, c.status);
            EXPECT_EQ(got.reply.body, c.body);
        }
    }
}

TEST(HttpReplyReader, ReplyText) {
    for (const auto& c : kReplyCases) {
        if (c.status == 0) continue;
        SCOPED_TRACE(c.name);
        HttpReply reply{c.status, std::string(c.body), {}};
        ReplyTextResult result = ReplyText(reply);
        if (const auto* text = std::get_if<std::u16string>(&result)) {
            ASSERT_TRUE(c.text.has_value()) << ToUtf8Lossy(*text);
            EXPECT_EQ(*text, *c.text);
        } else {
            const auto& e = std::get<HttpFailureError>(result);
            EXPECT_FALSE(c.text.has_value()) << e.what();
            EXPECT_EQ(e.failure(), c.failure);
        }
    }
}

// A chunked body ends at a size line that holds no number; the reply keeps
// that line, so that a body cut short by it is told from an empty one.
TEST(HttpReplyReader, KeepsTheChunkSizeLineThatEndedTheBody) {
    struct Case { std::string_view chunks, body; std::optional<std::string_view> unreadable; };
    const Case kCases[] = {
        {"4\r\nsent\r\n0\r\n\r\n", "sent", std::nullopt},
        {"zz\r\n\r\n", "", "zz"},
        {"2\r\nse\r\nzz;x=1\r\n\r\n", "se", "zz;x=1"},
        {"2\r\nse\r\n\r\n\r\n", "se", ""},
        {"2\r\nse\r\n-1\r\n\r\n", "se", "-1"},
        {"2\r\nse\r\n0x2\r\nnt\r\n0\r\n\r\n", "se", "0x2"},
        {"002\r\nse\r\n2 \r\nnt\r\n0\r\n\r\n", "sent", std::nullopt},  // leading zeros, a blank after
    };
    for (const Case& c : kCases) {
        for (std::size_t step : kSteps) {
            SCOPED_TRACE(testing::Message() << c.chunks << ", reads of " << step);
            Outcome got = Read("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + std::string(c.chunks), {}, step);
            ASSERT_EQ(got.failure, std::nullopt);
            EXPECT_EQ(got.reply.body, c.body);
            EXPECT_EQ(got.reply.unreadable_chunk_size, c.unreadable);
        }
    }
}

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

// Each cap, just met and just exceeded, with small limits.
TEST(HttpReplyReader, SizeCaps) {
    HttpLimits limits;
    limits.max_line = 32;
    limits.max_head_bytes = 96;
    limits.max_head_lines = 3;
    limits.max_body = 8;
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
    struct Case { std::string name, reply; bool fits; };
    const Case cases[] = {
        {"status line of 32", "HTTP/1.1 200 " + Repeat('a', 19) + "\r\n\r\n", true},
        {"status line of 33", "HTTP/1.1 200 " + Repeat('a', 20) + "\r\n\r\n", false},
        {"status line of 33, bare LF", "HTTP/1.1 200 " + Repeat('a', 20) + "\n\n", false},
        {"unended status line of 34", "HTTP/1.1 200 " + Repeat('a', 21), false},
        {"header line of 32", ok + "X: " + Repeat('a', 29) + "\r\n\r\n", true},
        {"header line of 33", ok + "X: " + Repeat('a', 30) + "\r\n\r\n", false},
        {"3 header lines", ok + "A: 1\r\nB: 2\r\nC: 3\r\n\r\n", true},
        {"4 header lines", ok + "A: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\n\r\n", false},
        {"4 header lines with a 100", "HTTP/1.1 100 Continue\r\nA: 1\r\nB: 2\r\n\r\n" + ok + "C: 3\r\nD: 4\r\n\r\n", false},
        {"head of 96 bytes", ok + "X: " + Repeat('a', 21) + "\r\nY: " + Repeat('a', 20) + "\r\nZ: " + Repeat('a', 21) + "\r\n\r\n", true},
        {"head of 97 bytes", ok + "X: " + Repeat('a', 21) + "\r\nY: " + Repeat('a', 21) + "\r\nZ: " + Repeat('a', 21) + "\r\n\r\n", false},
        {"head of 97 bytes with a 100", "HTTP/1.1 100 Continue\r\n\r\n" + ok + "X: " + Repeat('a', 29) + "\r\nY: " + Repeat('a', 14) + "\r\n\r\n", false},
        {"content length 8", ok + "Content-Length: 8\r\n\r\n12345678", true},
        {"content length 9", ok + "Content-Length: 9\r\n\r\n123456789", false},
        {"content length beyond 64 bits", ok + "Content-Length: 99999999999999999999999\r\n\r\n", false},
        {"8 bytes to close", "HTTP/1.0 200 OK\r\n\r\n12345678", true},
        {"9 bytes to close", "HTTP/1.0 200 OK\r\n\r\n123456789", false},
        {"chunks of 8", chunked + "4\r\nsent\r\n4\r\nsent\r\n0\r\n\r\n", true},
        {"chunks of 9", chunked + "4\r\nsent\r\n5\r\nsent!\r\n0\r\n\r\n", false},
        {"chunk size beyond 64 bits", chunked + "FFFFFFFFFFFFFFFFFFFFFFFF\r\n", false},
        {"chunk size line of 33", chunked + "1;" + Repeat('x', 31) + "\r\na\r\n0\r\n\r\n", false},
        {"3 trailer lines", chunked + "1\r\na\r\n0\r\nA: 1\r\nB: 2\r\nC: 3\r\n\r\n", true},
        {"4 trailer lines", chunked + "1\r\na\r\n0\r\nA: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\n\r\n", false},
        {"trailer line of 33", chunked + "1\r\na\r\n0\r\nX: " + Repeat('a', 30) + "\r\n\r\n", false},
    };
    for (const auto& c : cases) {
        for (std::size_t step : kSteps) {
            SCOPED_TRACE(testing::Message() << c.name << ", reads of " << step);
            Outcome got = Read(c.reply, limits, step);
            if (c.fits) {
                EXPECT_EQ(got.failure, std::nullopt);
                EXPECT_EQ(got.reply.status, 200);
            } else {
                EXPECT_EQ(got.failure, HttpFailure::OverLimit);
            }
        }
    }
}

// Header lines of `size` bytes in all, line ends included, none longer than 64 KiB.
std::string HeaderLinesOfSize(std::size_t size) {
    std::string out;
    while (size > 0) {
        std::size_t raw = std::min<std::size_t>(size, 64 * 1024 + 2);
        out += "X: " + Repeat('a', raw - 5) + "\r\n";
        size -= raw;
    }
    return out;
}

std::string ManyHeaderLines(int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += "X-" + std::to_string(i) + ": a\r\n";
    return out;
}

TEST(HttpReplyReader, DefaultCaps) {
    constexpr std::size_t KiB = 1024, MiB = 1024 * KiB;
    const std::string ok = "HTTP/1.1 200 OK\r\n";  // 17 bytes
    const std::string body = Repeat('s', 16 * MiB);
    struct Case { std::string_view name; std::string reply; bool fits; };
    const Case cases[] = {
        {"status line of 64 KiB", "HTTP/1.1 200 " + Repeat('a', 64 * KiB - 13) + "\r\n\r\n", true},
        {"status line over 64 KiB", "HTTP/1.1 200 " + Repeat('a', 64 * KiB - 12) + "\r\n\r\n", false},
        {"header line of 64 KiB", ok + "X: " + Repeat('a', 64 * KiB - 3) + "\r\n\r\n", true},
        {"header line over 64 KiB", ok + "X: " + Repeat('a', 64 * KiB - 2) + "\r\n\r\n", false},
        {"100 header lines", ok + ManyHeaderLines(100) + "\r\n", true},
        {"101 header lines", ok + ManyHeaderLines(101) + "\r\n", false},
        {"head of 256 KiB", ok + HeaderLinesOfSize(256 * KiB - 19) + "\r\n", true},
        {"head over 256 KiB", ok + HeaderLinesOfSize(256 * KiB - 18) + "\r\n", false},
        {"body of 16 MiB", ok + "Content-Length: 16777216\r\n\r\n" + body, true},
        {"body over 16 MiB", ok + "Content-Length: 16777217\r\n\r\n", false},
        {"body over 16 MiB to close", "HTTP/1.0 200 OK\r\n\r\n" + body + "s", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome got = Read(c.reply);
        if (c.fits) {
            EXPECT_EQ(got.failure, std::nullopt);
            EXPECT_EQ(got.reply.status, 200);
        } else {
            EXPECT_EQ(got.failure, HttpFailure::OverLimit);
        }
    }
}

// A reset fails the exchange wherever the reader still waits for bytes, and is
// never noticed once the reply is complete; after a final status outside 2xx
// the reply is that status, and says how the connection dropped.
TEST(HttpReplyReader, ResetConnection) {
    struct Case { std::string_view name, reply; bool whole; };
    const Case cases[] = {
        {"before the reply", "", false},
        {"inside the headers", "HTTP/1.1 200 OK\r\n", false},
        {"inside a counted body", "HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\nsent", false},
        {"inside a body read to close", "HTTP/1.0 200 OK\r\n\r\nsent", false},
        {"before the trailers end", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nsent\r\n0\r\n", false},
        {"after a counted body", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent", true},
        {"after the last chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nsent\r\n0\r\n\r\n", true},
        {"after a 204", "HTTP/1.1 204 No Content\r\n\r\n", true},
        {"inside the headers of a 431", "HTTP/1.1 431 Request Header Fields Too Large\r\n", true},
        {"inside the counted body of a 404", "HTTP/1.1 404 Not Found\r\nContent-Length: 8\r\n\r\nno", true},
        {"after an interim 100", "HTTP/1.1 100 Continue\r\n\r\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome got = Read(c.reply, {}, SIZE_MAX, MemorySource::End::Reset);
        if (c.whole) EXPECT_EQ(got.failure, std::nullopt);
        else EXPECT_EQ(got.failure, HttpFailure::Broken);
        EXPECT_EQ(!got.reply.dropped.empty(), c.whole && got.reply.status / 100 != 2) << got.reply.dropped;
    }
}

}  // namespace
}  // namespace lumvox::core::test
