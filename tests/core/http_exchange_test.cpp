// HttpGetText against peers on the loopback that answer raw bytes.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <stop_token>

#include "core/http_client.h"
#include "core/http_reply_reader.h"
#include "core/request_url.h"
#include "core/text_rules.h"
#include "core/utf.h"
#include "http_reply_cases.h"
#include "http_test_server.h"

namespace lumvox::core::test {
namespace {

using namespace std::chrono_literals;
using Then = RawReplyServer::Then;

std::u16string Port(std::uint16_t port) {
    std::string digits = std::to_string(port);
    return {digits.begin(), digits.end()};
}

// The URL the second page builds and encodes for `text`.
std::u16string UrlFor(std::u16string_view host, std::u16string_view port, std::u16string_view text = u"hi") {
    auto encoded = EncodeRequestUrl(u"http://" + std::u16string(host) + u":" + std::u16string(port) + u"/" +
                                    WrapNetworkEnvelope(text));
    return std::get<std::u16string>(encoded);
}

std::u16string UrlFor(const RawReplyServer& server) { return UrlFor(u"127.0.0.1", Port(server.port())); }

std::string RequestFor(std::string_view target, std::string_view host) {
    return "GET " + std::string(target) + " HTTP/1.1\r\n" +
           "Content-Type: application/x-www-form-urlencoded\r\n"
           "Host: " + std::string(host) + "\r\n" +
           "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
           "\r\n";
}

// The text, or the failure, of one call.
struct Outcome {
    std::optional<std::u16string> text;
    std::optional<HttpFailure> failure;
    std::string detail;
};

Outcome GetText(std::u16string_view url, const HttpLimits& limits = {}) {
    try {
        return {HttpGetText(ReadEncodedUrl(url), limits), std::nullopt, {}};
    } catch (const HttpFailureError& e) {
        return {std::nullopt, e.failure(), e.what()};
    }
}

TEST(HttpExchange, ExactRequestOfTheExample) {
    RawReplyServer server("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent");
    std::u16string url = UrlFor(u"127.0.0.1", Port(server.port()), u"안녕 하세요");
    EXPECT_EQ(HttpGetText(ReadEncodedUrl(url)), u"sent");
    std::string host = "127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(server.Request(),
              "GET /lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox HTTP/1.1\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Host: " + host + "\r\n"
              "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
              "\r\n");
}

TEST(HttpExchange, RepliesOverLoopback) {
    for (const auto& c : kReplyCases) {
        SCOPED_TRACE(c.name);
        RawReplyServer server(std::string(c.reply));
        Outcome got = GetText(UrlFor(server));
        if (c.text) {
            ASSERT_TRUE(got.text.has_value()) << got.failure.value() << ": " << got.detail;
            EXPECT_EQ(*got.text, *c.text);
        } else {
            EXPECT_EQ(got.failure, c.failure) << got.detail;
        }
        EXPECT_EQ(server.Request(), RequestFor("/lumvox=hi=lumvox", "127.0.0.1:" + std::to_string(server.port())));
    }
}

// Host names, IPv6 and the request's Host header for each kind of destination.
TEST(HttpExchange, Destinations) {
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent";
    {
        RawReplyServer server(reply);
        EXPECT_EQ(GetText(UrlFor(u"localhost", Port(server.port()))).text, u"sent");
        EXPECT_EQ(server.Request(), RequestFor("/lumvox=hi=lumvox", "localhost:" + std::to_string(server.port())));
    }
    if (!HasIpv6Loopback()) GTEST_SKIP() << "this machine has no IPv6 loopback (::1); the IPv6 exchange is untested";
    RawReplyServer server(reply, Then::Close, Loopback::V6);
    Outcome got = GetText(UrlFor(u"[::1]", Port(server.port())));
    EXPECT_EQ(got.text, u"sent") << got.detail;
    EXPECT_EQ(server.Request(), RequestFor("/lumvox=hi=lumvox", "[::1]:" + std::to_string(server.port())));
}

// Failures found before a connection is tried.
TEST(HttpExchange, UnusableUrls) {
    struct Case { std::u16string_view url; HttpFailure failure; };
    const Case cases[] = {
        {u"http://127.0.0.1:0/lumvox=hi=lumvox", HttpFailure::BadPort},
        {u"http://127.0.0.1:65536/lumvox=hi=lumvox", HttpFailure::BadPort},
        {u"http://127.0.0.1:x/lumvox=hi=lumvox", HttpFailure::BadPort},
        {u"http://127.0.0.1:/lumvox=hi=lumvox", HttpFailure::BadPort},
        {u"http://127.0.0.1:-80/lumvox=hi=lumvox", HttpFailure::BadPort},
        {u"http://[::1]:1e3/lumvox=hi=lumvox", HttpFailure::BadPort},
        {u"http://[::1x]:7070/lumvox=hi=lumvox", HttpFailure::BadHost},
        {u"http://[127.0.0.1]:7070/lumvox=hi=lumvox", HttpFailure::BadHost},
        {u"http://:7070/lumvox=hi=lumvox", HttpFailure::BadUrl},
        {u"https://127.0.0.1:7070/lumvox=hi=lumvox", HttpFailure::BadUrl},
        {u"127.0.0.1:7070/lumvox=hi=lumvox", HttpFailure::BadUrl},
    };
    for (auto [url, failure] : cases) EXPECT_EQ(GetText(url).failure, failure) << ToUtf8Lossy(url);
}

TEST(HttpExchange, ConnectionNotMade) {
    EXPECT_EQ(GetText(UrlFor(u"127.0.0.1", Port(ClosedPort()))).failure, HttpFailure::Refused);

    FullBacklogListener listener;
    ASSERT_TRUE(listener.full()) << "could not fill the listener's accept queue";
    HttpLimits limits;
    limits.connect = 300ms;
    Outcome got = GetText(UrlFor(u"127.0.0.1", Port(listener.port())), limits);
    EXPECT_EQ(got.failure, HttpFailure::TimedOut) << got.detail;
}

// Peers that never finish: each limit ends the exchange, and the connection is closed.
TEST(HttpExchange, LimitsReached) {
    HttpLimits short_waits;
    short_waits.reply_idle = 300ms;
    HttpLimits short_exchange;
    short_exchange.exchange = 500ms;
    HttpLimits only_exchange = short_exchange;
    only_exchange.reply_idle = 24h;  // the exchange's limit must cut a single wait short
    struct Case { std::string_view name, reply; Then then; const HttpLimits& limits; HttpFailure failure; };
    const HttpLimits defaults;
    const Case cases[] = {
        {"silent peer", "", Then::Hold, short_waits, HttpFailure::TimedOut},
        {"silent inside the body", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nsent", Then::Hold, short_waits,
         HttpFailure::TimedOut},
        {"silent peer, exchange limit", "HTTP/1.1 200 OK\r\n", Then::Hold, only_exchange, HttpFailure::TimedOut},
        {"trickling peer", "HTTP/1.0 200 OK\r\n\r\n", Then::Trickle, short_exchange, HttpFailure::TimedOut},
        {"endless body", "HTTP/1.0 200 OK\r\n\r\n", Then::Endless, defaults, HttpFailure::OverLimit},
        {"endless chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7fffffff\r\n", Then::Endless, defaults,
         HttpFailure::OverLimit},
        {"endless header line", "HTTP/1.1 200 OK\r\nX-Long: ", Then::Endless, defaults, HttpFailure::OverLimit},
        {"endless status line", "HTTP/1.1 200 ", Then::Endless, defaults, HttpFailure::OverLimit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RawReplyServer server(std::string(c.reply), c.then);
        Outcome got = GetText(UrlFor(server), c.limits);
        EXPECT_EQ(got.failure, c.failure) << got.detail;
        EXPECT_TRUE(server.WaitClientClosed());
    }
}

// The failure of an exchange run on a thread of its own and asked to stop, from
// this thread, once `waiting` has returned; none if it ended otherwise.
std::optional<HttpFailureError> StoppedExchange(std::u16string_view url, const std::function<void()>& waiting) {
    std::stop_source stop;
    auto exchange = std::async(std::launch::async, [&] { HttpGet(ReadEncodedUrl(url), {}, stop.get_token()); });
    waiting();
    stop.request_stop();
    try {
        exchange.get();
    } catch (const HttpFailureError& e) {
        return e;
    }
    return std::nullopt;
}

// A stop ends the step that waits, well before its limit (seconds by default,
// after which the failure would be a time-out), and the connection is closed.
TEST(HttpExchange, StopEndsTheWaitingStepAndClosesTheConnection) {
    RawReplyServer silent("", Then::Hold);
    auto got = StoppedExchange(UrlFor(silent), [&] { ASSERT_FALSE(silent.Request().empty()); });
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->failure(), HttpFailure::Cancelled) << got->what();
    EXPECT_EQ(got->facts().limit, "reply") << "the request had gone out";
    EXPECT_TRUE(silent.WaitClientClosed());

    FullBacklogListener listener;
    ASSERT_TRUE(listener.full()) << "could not fill the listener's accept queue";
    got = StoppedExchange(UrlFor(u"127.0.0.1", Port(listener.port())), [] {});
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->failure(), HttpFailure::Cancelled) << got->what();
    EXPECT_EQ(got->facts().limit, "connect");

    std::stop_source stopped;
    stopped.request_stop();
    RawReplyServer unused("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent");
    try {
        HttpGet(ReadEncodedUrl(UrlFor(unused)), {}, stopped.get_token());
        ADD_FAILURE() << "an exchange stopped before its start went ahead";
    } catch (const HttpFailureError& e) {
        EXPECT_EQ(e.failure(), HttpFailure::Cancelled) << e.what();
    }
}

// The connection is closed by the exchange itself on every path, not by the peer.
TEST(HttpExchange, ClosesTheConnection) {
    struct Case { std::string_view name, reply; bool delivered; };
    const Case cases[] = {
        {"success", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent", true},
        {"204", "HTTP/1.1 204 No Content\r\n\r\n", true},
        {"101", "HTTP/1.1 101 Switching Protocols\r\n\r\n", false},
        {"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nsent", false},
        {"no status code", "HTTP/1.1 OK\r\n\r\n", false},
        {"not UTF-8", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nsent\xE9", false},
        {"reply longer than its length", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nsent", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RawReplyServer server(std::string(c.reply), Then::Hold);
        Outcome got = GetText(UrlFor(server));
        EXPECT_EQ(got.text.has_value(), c.delivered) << got.detail;
        EXPECT_TRUE(server.WaitClientClosed());
    }
}

TEST(HttpExchange, ResetByPeer) {
    RawReplyServer server("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nsent", Then::Reset);
    Outcome got = GetText(UrlFor(server));
#ifdef _WIN32
    // Wine hands a reset to the program as an orderly close: the exchange still
    // fails, for a body cut short. (The reader's own tests classify resets.)
    EXPECT_TRUE(got.failure == HttpFailure::Broken || got.failure == HttpFailure::ClosedEarly) << got.detail;
#else
    EXPECT_EQ(got.failure, HttpFailure::Broken) << got.detail;
#endif
}

// A peer that refuses a request often answers and resets the connection
// before it has read the whole request: its status is the answer, whether the
// reset cut the sending short or the reply.
TEST(HttpExchange, AStatusAnsweredBeforeTheConnectionDropsIsTheAnswer) {
    struct Case { std::string_view name, reply; std::size_t head_cap; std::size_t text_size; int status; };
    const Case cases[] = {
        {"431 after reading 64 KiB of a 9 MB request",
         "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Length: 9\r\n\r\ntoo large", 64 * 1024, 9'000'000,
         431},
        {"404 whose body the reset cuts", "HTTP/1.1 404 Not Found\r\nContent-Length: 100\r\n\r\nshort", SIZE_MAX, 2,
         404},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RawReplyServer server(std::string(c.reply), Then::Reset, Loopback::V4, c.head_cap);
        const std::u16string url = UrlFor(u"127.0.0.1", Port(server.port()), std::u16string(c.text_size, u'a'));
        try {
            HttpReply reply = HttpGet(ReadEncodedUrl(url));
            EXPECT_EQ(reply.status, c.status);
            EXPECT_FALSE(reply.dropped.empty());
            const ReplyTextResult text = ReplyText(reply);
            const auto* failure = std::get_if<HttpFailureError>(&text);
            ASSERT_NE(failure, nullptr);
            EXPECT_EQ(failure->failure(), HttpFailure::NotSuccess);
            EXPECT_EQ(failure->facts().system_text, reply.dropped);
        } catch (const HttpFailureError& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

}  // namespace
}  // namespace lumvox::core::test
