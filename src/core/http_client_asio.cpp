// The transport of the HTTP exchange. This is the only file that includes Asio,
// which is slow to compile; the request writer and the reply reader live apart.
#include "http_client.h"

#include <algorithm>
#include <asio.hpp>
#include <system_error>
#include <vector>

#include "http_reply_reader.h"
#include "http_request.h"
#include "request_url.h"
#include "utf.h"

namespace lumvox::core {
namespace {

using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(HttpFailure failure, const std::string& detail, HttpFailureFacts facts = {}) {
    throw HttpFailureError(failure, detail, std::move(facts));
}

long long Ms(Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); }

bool IsHttpScheme(std::u16string_view protocol) {
    if (protocol.size() != 4) return false;
    for (size_t i = 0; i < 4; ++i)
        if ((protocol[i] | 0x20) != u"http"[i]) return false;
    return true;
}

// The clock of one exchange: which limit a step runs under, and for how long;
// and the caller's stop, which ends it early.
struct Timing {
    Clock::time_point start;
    Clock::time_point deadline;
    const HttpLimits& limits;
    std::stop_token stop;
    std::string address;
    bool connected = false;

    struct Step {
        Clock::duration length;
        const char* limit;
        long long limit_ms;
    };

    // A step's own limit, cut short by the whole exchange's.
    Step Limit(std::chrono::milliseconds own, const char* own_name, const char* what) const {
        Clock::duration left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) TimedOut({left, "exchange", Ms(limits.exchange)}, what);
        if (left < own) return {left, "exchange", Ms(limits.exchange)};
        return {own, own_name, own.count()};
    }

    [[noreturn]] void TimedOut(const Step& step, const char* what) const {
        HttpFailureFacts facts;
        facts.limit = step.limit;
        facts.limit_value = step.limit_ms;
        facts.after_ms = Ms(Clock::now() - start);
        facts.address = address;
        Fail(HttpFailure::TimedOut, std::string("time limit reached waiting for ") + what, std::move(facts));
    }

    void ThrowIfStopped(const char* what) const {
        if (!stop.stop_requested()) return;
        HttpFailureFacts facts;
        facts.limit = connected ? "reply" : "connect";
        facts.after_ms = Ms(Clock::now() - start);
        facts.address = address;
        Fail(HttpFailure::Cancelled, std::string("cancelled waiting for ") + what, std::move(facts));
    }
};

// Runs the one pending operation on `socket` for at most the step's limit. On
// expiry or a stop the socket is closed, which completes the operation, so that
// no handler can refer to the caller's frame once this has thrown.
void RunWithin(asio::io_context& io, tcp::socket& socket, const Timing& timing, const Timing::Step& step,
               const std::error_code& result, const char* what) {
    io.restart();
    io.run_for(step.length);
    const bool stopped = timing.stop.stop_requested();
    if (result != asio::error::would_block && !stopped) return;
    std::error_code ignored;
    // Under Wine a close alone leaves a send the peer stopped taking pending,
    // and the run below would wait for it forever; a cancel ends it.
    socket.cancel(ignored);
    socket.close(ignored);
    io.restart();
    io.run();
    timing.ThrowIfStopped(what);
    timing.TimedOut(step, what);
}

std::string AddressText(const tcp::endpoint& endpoint) {
    const std::string address = endpoint.address().to_string();
    const std::string port = std::to_string(endpoint.port());
    return endpoint.address().is_v6() ? "[" + address + "]:" + port : address + ":" + port;
}

std::vector<tcp::endpoint> FindAddresses(asio::io_context& io, const ConnectTarget& target) {
    HttpFailureFacts facts;
    facts.address = target.host;
    std::error_code ec;
    if (target.ipv6) return {tcp::endpoint(asio::ip::make_address_v6(target.host), target.port)};
    auto address = asio::ip::make_address_v4(target.host, ec);
    if (!ec) return {tcp::endpoint(address, target.port)};
    // No address_configured flag: it would hide "localhost" on a machine whose
    // only IPv4 interface is the loopback.
    tcp::resolver resolver(io);
    auto results =
        resolver.resolve(tcp::v4(), target.host, std::to_string(target.port), tcp::resolver::numeric_service, ec);
    if (ec || results.empty()) {
        facts.system_text = ec ? ec.message() : "";
        Fail(HttpFailure::NoAddress, "no IPv4 address for " + target.host, facts);
    }
    std::vector<tcp::endpoint> endpoints;
    for (const auto& entry : results) endpoints.push_back(entry.endpoint());
    return endpoints;
}

class SocketSource final : public ByteSource {
public:
    SocketSource(asio::io_context& io, tcp::socket& socket, const Timing& timing)
        : io_(io), socket_(socket), timing_(timing) {}

    std::size_t Read(std::span<char> out) override {
        auto step = timing_.Limit(timing_.limits.reply_idle, "reply", "the rest of the reply");
        std::error_code result = asio::error::would_block;
        std::size_t got = 0;
        socket_.async_read_some(asio::buffer(out.data(), out.size()), [&](const std::error_code& ec, std::size_t n) {
            result = ec;
            got = n;
        });
        RunWithin(io_, socket_, timing_, step, result, "a reply byte");
        if (result == asio::error::eof) return 0;
        if (result) Broken("connection broke: ", result);
        return got;
    }

    [[noreturn]] static void Broken(const char* what, const std::error_code& error) {
        HttpFailureFacts facts;
        facts.system_text = error.message();
        Fail(HttpFailure::Broken, what + error.message(), std::move(facts));
    }

private:
    asio::io_context& io_;
    tcp::socket& socket_;
    const Timing& timing_;
};

HttpReply Exchange(const ConnectTarget& target, const std::string& request, Timing& timing) {
    asio::io_context io(1);
    tcp::socket socket(io);
    // A stop from another thread closes the socket on this one, in the io
    // context, which ends the step waiting on it. Declared after the socket so
    // that it is gone, and no close can be posted, before the socket goes.
    const std::stop_callback close_on_stop(timing.stop, [&io, &socket] {
        asio::post(io, [&socket] {
            std::error_code ignored;
            socket.close(ignored);
        });
    });
    auto endpoints = FindAddresses(io, target);
    timing.address = AddressText(endpoints.front());
    timing.ThrowIfStopped("a name's address");

    std::error_code result = asio::error::would_block;
    tcp::endpoint tried = endpoints.front();
    asio::async_connect(socket, endpoints, [&](const std::error_code& ec, const tcp::endpoint& last) {
        result = ec;
        tried = last;
    });
    RunWithin(io, socket, timing, timing.Limit(timing.limits.connect, "connect", "connecting"), result,
              "the connection");
    if (result) {
        HttpFailureFacts facts;
        facts.address = AddressText(endpoints.size() == 1 ? endpoints.front() : tried);
        facts.system_text = result.message();
        Fail(result == asio::error::connection_refused ? HttpFailure::Refused : HttpFailure::ConnectFailed,
             "connection failed: " + result.message(), std::move(facts));
    }
    timing.connected = true;

    result = asio::error::would_block;
    asio::async_write(socket, asio::buffer(request), [&](const std::error_code& ec, std::size_t) { result = ec; });
    RunWithin(io, socket, timing, timing.Limit(timing.limits.reply_idle, "send", "sending"), result,
              "the request to go out");
    SocketSource source(io, socket, timing);
    if (result) {
        // A peer may answer (431, 414) and reset before it has read the whole
        // request; what it answered is still waiting to be read.
        try {
            HttpReply reply = ReadReply(source, timing.limits);
            if (reply.status < 200 || reply.status > 299) {
                if (reply.dropped.empty()) reply.dropped = "sending failed: " + result.message();
                return reply;
            }
        } catch (const HttpFailureError&) {
        }
        SocketSource::Broken("sending failed: ", result);
    }
    HttpReply reply = ReadReply(source, timing.limits);
    std::error_code ignored;
    socket.shutdown(tcp::socket::shutdown_both, ignored);
    socket.close(ignored);
    return reply;
}

}  // namespace

ConnectTarget CheckedTarget(const UrlParts& parts) {
    if (!IsHttpScheme(parts.protocol)) Fail(HttpFailure::BadUrl, "not an http:// URL");
    if (parts.host.empty()) Fail(HttpFailure::BadUrl, "URL without a host");
    auto port = PortToConnect(parts);
    if (!port) Fail(HttpFailure::BadPort, "port is not a whole number from 1 to 65535");
    auto host = Utf16ToUtf8(parts.host);
    if (!host) Fail(HttpFailure::BadHost, "host with an unpaired surrogate");
    if (parts.ipv6) {
        std::error_code ec;
        (void)asio::ip::make_address_v6(*host, ec);
        HttpFailureFacts facts;
        facts.address = *host;
        if (ec) Fail(HttpFailure::BadHost, "not an IPv6 address: " + *host, facts);
    }
    return {*host, *port, parts.ipv6};
}

HttpReply HttpGet(const EncodedUrl& url, const HttpLimits& limits, std::stop_token stop) {
    const auto start = Clock::now();
    const ConnectTarget target = CheckedTarget(url.parts);
    Timing timing{start, start + limits.exchange, limits, std::move(stop), {}};
    try {
        return Exchange(target, RequestBytes(url.parts), timing);
    } catch (const std::system_error& e) {  // Asio's own, e.g. no socket left
        HttpFailureFacts facts;
        facts.system_text = e.what();
        Fail(HttpFailure::Broken, e.what(), std::move(facts));
    }
}

std::u16string HttpGetText(const EncodedUrl& url, const HttpLimits& limits) {
    ReplyTextResult text = ReplyText(HttpGet(url, limits));
    if (auto* failure = std::get_if<HttpFailureError>(&text)) throw std::move(*failure);
    return std::get<std::u16string>(std::move(text));
}

}  // namespace lumvox::core
