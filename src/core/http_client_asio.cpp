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

[[noreturn]] void Fail(HttpFailure failure, const std::string& detail) {
    throw HttpFailureError(failure, detail);
}

bool IsHttpScheme(std::u16string_view url) {
    size_t end = url.find(u"://");
    if (end != 4) return false;
    for (size_t i = 0; i < 4; ++i)
        if ((url[i] | 0x20) != u"http"[i]) return false;
    return true;
}

// The time a step may take: its own limit, cut short by the whole exchange's.
Clock::duration StepLimit(Clock::duration own, Clock::time_point deadline, const char* what) {
    Clock::duration left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) Fail(HttpFailure::TimedOut, std::string("exchange limit reached before ") + what);
    return std::min(own, left);
}

// Runs the one pending operation on `socket` for at most `limit`. On expiry the
// socket is closed, which completes the operation, so that no handler can refer
// to the caller's frame once this has thrown.
void RunWithin(asio::io_context& io, tcp::socket& socket, Clock::duration limit, const std::error_code& result,
               const char* what) {
    io.restart();
    io.run_for(limit);
    if (result != asio::error::would_block) return;
    std::error_code ignored;
    socket.close(ignored);
    io.restart();
    io.run();
    Fail(HttpFailure::TimedOut, std::string("time limit reached waiting for ") + what);
}

std::vector<tcp::endpoint> FindAddresses(asio::io_context& io, const UrlParts& parts, std::uint16_t port) {
    auto host = Utf16ToUtf8(parts.host);
    if (!host) Fail(HttpFailure::NoAddress, "host with an unpaired surrogate");
    std::error_code ec;
    if (parts.ipv6) {
        auto address = asio::ip::make_address_v6(*host, ec);
        if (ec) Fail(HttpFailure::NoAddress, "not an IPv6 address: " + *host);
        return {tcp::endpoint(address, port)};
    }
    auto address = asio::ip::make_address_v4(*host, ec);
    if (!ec) return {tcp::endpoint(address, port)};
    // No address_configured flag: it would hide "localhost" on a machine whose
    // only IPv4 interface is the loopback.
    tcp::resolver resolver(io);
    auto results = resolver.resolve(tcp::v4(), *host, std::to_string(port), tcp::resolver::numeric_service, ec);
    if (ec || results.empty()) Fail(HttpFailure::NoAddress, "no IPv4 address for " + *host);
    std::vector<tcp::endpoint> endpoints;
    for (const auto& entry : results) endpoints.push_back(entry.endpoint());
    return endpoints;
}

class SocketSource final : public ByteSource {
public:
    SocketSource(asio::io_context& io, tcp::socket& socket, const HttpLimits& limits, Clock::time_point deadline)
        : io_(io), socket_(socket), limits_(limits), deadline_(deadline) {}

    std::size_t Read(std::span<char> out) override {
        auto limit = StepLimit(limits_.reply_idle, deadline_, "the rest of the reply");
        std::error_code result = asio::error::would_block;
        std::size_t got = 0;
        socket_.async_read_some(asio::buffer(out.data(), out.size()), [&](const std::error_code& ec, std::size_t n) {
            result = ec;
            got = n;
        });
        RunWithin(io_, socket_, limit, result, "a reply byte");
        if (result == asio::error::eof) return 0;
        if (result) Fail(HttpFailure::Broken, "connection broke: " + result.message());
        return got;
    }

private:
    asio::io_context& io_;
    tcp::socket& socket_;
    const HttpLimits& limits_;
    Clock::time_point deadline_;
};

HttpReply Exchange(const UrlParts& parts, std::uint16_t port, const std::string& request, const HttpLimits& limits,
                   Clock::time_point deadline) {
    asio::io_context io(1);
    tcp::socket socket(io);
    auto endpoints = FindAddresses(io, parts, port);

    std::error_code result = asio::error::would_block;
    asio::async_connect(socket, endpoints, [&](const std::error_code& ec, const tcp::endpoint&) { result = ec; });
    RunWithin(io, socket, StepLimit(limits.connect, deadline, "connecting"), result, "the connection");
    if (result) Fail(HttpFailure::ConnectFailed, "connection failed: " + result.message());

    result = asio::error::would_block;
    asio::async_write(socket, asio::buffer(request), [&](const std::error_code& ec, std::size_t) { result = ec; });
    RunWithin(io, socket, StepLimit(limits.reply_idle, deadline, "sending"), result, "the request to go out");
    if (result) Fail(HttpFailure::Broken, "sending failed: " + result.message());

    SocketSource source(io, socket, limits, deadline);
    HttpReply reply = ReadReply(source, limits);
    std::error_code ignored;
    socket.shutdown(tcp::socket::shutdown_both, ignored);
    socket.close(ignored);
    return reply;
}

}  // namespace

HttpReply HttpGet(std::u16string_view encoded_url, const HttpLimits& limits) {
    const auto deadline = Clock::now() + limits.exchange;
    if (!IsHttpScheme(encoded_url)) Fail(HttpFailure::BadUrl, "not an http:// URL");
    UrlParts parts = SplitRequestUrl(encoded_url);
    if (parts.host.empty()) Fail(HttpFailure::BadUrl, "URL without a host");
    auto port = PortToConnect(encoded_url, parts);
    if (!port) Fail(HttpFailure::BadPort, "port is not a whole number from 1 to 65535");
    std::string request = WriteGetRequest(RequestTarget(parts), HostHeaderValue(parts));
    try {
        return Exchange(parts, *port, request, limits, deadline);
    } catch (const std::system_error& e) {  // Asio's own, e.g. no socket left
        Fail(HttpFailure::Broken, e.what());
    }
}

std::u16string HttpGetText(std::u16string_view encoded_url, const HttpLimits& limits) {
    return ReplyText(HttpGet(encoded_url, limits));
}

std::u16string HttpGetText(std::u16string_view encoded_url) { return HttpGetText(encoded_url, HttpLimits{}); }

}  // namespace lumvox::core
