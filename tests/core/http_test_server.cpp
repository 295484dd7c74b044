#include "http_test_server.h"

#include <asio.hpp>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace lumvox::core::test {
namespace {

using asio::ip::tcp;
using namespace std::chrono_literals;

// Bounds waits that only a broken exchange would run into; never a speed check.
constexpr auto kSafetyWait = 10s;

tcp::endpoint LoopbackEndpoint(Loopback where) {
    if (where == Loopback::V6) return {asio::ip::address_v6::loopback(), 0};
    return {asio::ip::address_v4::loopback(), 0};
}

}  // namespace

bool HasIpv6Loopback() {
    asio::io_context io;
    tcp::acceptor acceptor(io);
    std::error_code ec;
    acceptor.open(tcp::v6(), ec);
    if (!ec) acceptor.bind(LoopbackEndpoint(Loopback::V6), ec);
    return !ec;
}

std::uint16_t ClosedPort() {
    asio::io_context io;
    tcp::acceptor acceptor(io, LoopbackEndpoint(Loopback::V4));
    return acceptor.local_endpoint().port();
}

struct RawReplyServer::Impl {
    Impl(std::string reply_bytes, Then then_do, Loopback where, std::size_t cap)
        : reply(std::move(reply_bytes)), then(then_do), head_cap(cap), acceptor(io, LoopbackEndpoint(where)) {}

    void Start() {
        acceptor.async_accept(socket, [this](std::error_code ec) {
            if (ec) return;
            asio::async_read_until(socket, asio::dynamic_buffer(request, head_cap), "\r\n\r\n", [this](std::error_code ec, std::size_t) {
                request_promise.set_value(request);
                // not_found: the head passed the cap, which is answered all the same.
                if (ec && ec != asio::error::not_found) return HoldUntilClientCloses();
                asio::async_write(socket, asio::buffer(reply), [this](std::error_code ec, std::size_t) {
                    if (ec) return Closed();
                    AfterReply();
                });
            });
        });
        thread = std::thread([this] { io.run(); });
    }

    void AfterReply() {
        std::error_code ignored;
        switch (then) {
        case Then::Close: socket.shutdown(tcp::socket::shutdown_send, ignored); return HoldUntilClientCloses();
        case Then::Reset:
            socket.set_option(asio::socket_base::linger(true, 0), ignored);
            socket.close(ignored);
            return Closed();
        case Then::Hold: return HoldUntilClientCloses();
        case Then::Endless: return SendFiller();
        case Then::Trickle: return TrickleByte();
        }
    }

    // A client that never closes gets a close after the safety wait, which it
    // sees as a reply cut short rather than hanging the test.
    void HoldUntilClientCloses() {
        give_up.expires_after(kSafetyWait);
        give_up.async_wait([this](std::error_code ec) {
            std::error_code ignored;
            if (!ec) socket.close(ignored);
        });
        WaitForClose();
    }

    void WaitForClose() {
        socket.async_read_some(asio::buffer(scratch), [this](std::error_code ec, std::size_t) {
            if (ec == asio::error::operation_aborted) return;  // closed here, not by the client
            if (ec) return Closed();
            WaitForClose();
        });
    }

    void SendFiller() {
        asio::async_write(socket, asio::buffer(filler), [this](std::error_code ec, std::size_t) {
            if (ec) return Closed();
            SendFiller();
        });
    }

    void TrickleByte() {
        timer.expires_after(10ms);
        timer.async_wait([this](std::error_code) {
            asio::async_write(socket, asio::buffer(filler.data(), 1), [this](std::error_code ec, std::size_t) {
                if (ec) return Closed();
                TrickleByte();
            });
        });
    }

    void Closed() {
        if (!closed_seen) closed_promise.set_value();
        closed_seen = true;
    }

    std::string reply;
    Then then;
    std::size_t head_cap;
    asio::io_context io;
    tcp::acceptor acceptor;
    tcp::socket socket{io};
    asio::steady_timer timer{io};
    asio::steady_timer give_up{io};
    std::string request;
    std::string filler = std::string(64 * 1024, 'a');
    char scratch[4096];
    std::promise<std::string> request_promise;
    std::shared_future<std::string> request_future = request_promise.get_future().share();
    std::promise<void> closed_promise;
    std::shared_future<void> closed_future = closed_promise.get_future().share();
    bool closed_seen = false;
    std::thread thread;
};

RawReplyServer::RawReplyServer(std::string reply, Then then, Loopback where, std::size_t head_cap)
    : impl_(std::make_unique<Impl>(std::move(reply), then, where, head_cap)) {
    impl_->Start();
}

RawReplyServer::~RawReplyServer() {
    impl_->io.stop();
    impl_->thread.join();
}

std::uint16_t RawReplyServer::port() const { return impl_->acceptor.local_endpoint().port(); }

std::string RawReplyServer::Request() {
    if (impl_->request_future.wait_for(kSafetyWait) != std::future_status::ready) return {};
    return impl_->request_future.get();
}

bool RawReplyServer::WaitClientClosed() {
    return impl_->closed_future.wait_for(kSafetyWait) == std::future_status::ready;
}

struct RotatingReplyServer::Impl {
    struct Connection {
        explicit Connection(asio::io_context& io) : socket(io) {}
        tcp::socket socket;
        std::string head;
        std::string reply;
        char scratch[512];
    };

    Impl(std::vector<std::string> reply_list, size_t together_count)
        : replies(std::move(reply_list)), together(std::max<size_t>(together_count, 1)),
          acceptor(io, LoopbackEndpoint(Loopback::V4)) {}

    void Accept() {
        auto connection = std::make_shared<Connection>(io);
        acceptor.async_accept(connection->socket, [this, connection](std::error_code ec) {
            if (ec) return;
            ReadHead(connection);
            Accept();
        });
    }

    void ReadHead(const std::shared_ptr<Connection>& c) {
        asio::async_read_until(c->socket, asio::dynamic_buffer(c->head), "\r\n\r\n",
                               [this, c](std::error_code ec, std::size_t) {
                                   if (ec) return;
                                   {
                                       std::lock_guard lock(mutex);
                                       requests.push_back(c->head);
                                   }
                                   c->reply = replies[read++ % replies.size()];
                                   waiting.push_back(c);
                                   if (waiting.size() < together) return;
                                   for (auto& w : waiting) Answer(w);
                                   waiting.clear();
                               });
    }

    void Answer(const std::shared_ptr<Connection>& c) {
        asio::async_write(c->socket, asio::buffer(c->reply), [this, c](std::error_code ec, std::size_t) {
            if (ec) return;
            std::error_code ignored;
            c->socket.shutdown(tcp::socket::shutdown_send, ignored);
            Drain(c);
        });
    }

    // Until the client closes, so that closing never resets an unread reply.
    void Drain(const std::shared_ptr<Connection>& c) {
        c->socket.async_read_some(asio::buffer(c->scratch), [this, c](std::error_code ec, std::size_t) {
            if (!ec) Drain(c);
        });
    }

    std::vector<std::string> replies;
    size_t together;
    asio::io_context io;
    tcp::acceptor acceptor;
    size_t read = 0;
    std::vector<std::shared_ptr<Connection>> waiting;
    mutable std::mutex mutex;
    std::vector<std::string> requests;
    std::thread thread;
};

RotatingReplyServer::RotatingReplyServer(std::vector<std::string> replies, size_t together)
    : impl_(std::make_unique<Impl>(std::move(replies), together)) {
    impl_->Accept();
    impl_->thread = std::thread([impl = impl_.get()] { impl->io.run(); });
}

RotatingReplyServer::~RotatingReplyServer() {
    impl_->io.stop();
    impl_->thread.join();
}

std::uint16_t RotatingReplyServer::port() const { return impl_->acceptor.local_endpoint().port(); }

std::vector<std::string> RotatingReplyServer::Requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

struct FullBacklogListener::Impl {
    asio::io_context io;
    tcp::acceptor acceptor{io};
    std::vector<std::unique_ptr<tcp::socket>> fillers;
    bool full = false;
};

FullBacklogListener::FullBacklogListener() : impl_(std::make_unique<Impl>()) {
    tcp::endpoint endpoint = LoopbackEndpoint(Loopback::V4);
    impl_->acceptor.open(endpoint.protocol());
    impl_->acceptor.bind(endpoint);
    impl_->acceptor.listen(0);
    endpoint = impl_->acceptor.local_endpoint();
    // Queue connections that are never accepted until one of them hangs.
    for (int i = 0; i < 16 && !impl_->full; ++i) {
        auto& socket = *impl_->fillers.emplace_back(std::make_unique<tcp::socket>(impl_->io));
        auto done = std::make_shared<bool>(false);
        socket.async_connect(endpoint, [done](std::error_code) { *done = true; });
        impl_->io.restart();
        impl_->io.run_for(500ms);
        impl_->full = !*done;
    }
}

FullBacklogListener::~FullBacklogListener() {
    std::error_code ignored;
    for (auto& socket : impl_->fillers) socket->close(ignored);
    impl_->io.restart();
    impl_->io.run();
}

std::uint16_t FullBacklogListener::port() const { return impl_->acceptor.local_endpoint().port(); }

bool FullBacklogListener::full() const { return impl_->full; }

struct NeverReadingPeer::Impl {
    asio::io_context io;
    tcp::acceptor acceptor{io};
};

NeverReadingPeer::NeverReadingPeer() : impl_(std::make_unique<Impl>()) {
    tcp::endpoint endpoint = LoopbackEndpoint(Loopback::V4);
    impl_->acceptor.open(endpoint.protocol());
    // A small window fills at once; an accepted socket inherits it.
    impl_->acceptor.set_option(asio::socket_base::receive_buffer_size(4096));
    impl_->acceptor.bind(endpoint);
    impl_->acceptor.listen();
}

NeverReadingPeer::~NeverReadingPeer() = default;

std::uint16_t NeverReadingPeer::port() const { return impl_->acceptor.local_endpoint().port(); }

}  // namespace lumvox::core::test
