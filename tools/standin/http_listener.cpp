#include "http_listener.h"

#include <asio.hpp>

#include <thread>

namespace lumvox::standin {
namespace {

using asio::ip::tcp;

// A head this long is no request the workshop makes; the cap bounds memory.
constexpr size_t kMaxHead = 4 << 20;
constexpr size_t kReadChunk = 16 << 10;

std::string PeerOf(const tcp::socket& socket) {
    asio::error_code ec;
    tcp::endpoint peer = socket.remote_endpoint(ec);
    if (ec) return "?";
    std::string address = peer.address().to_string();
    if (peer.address().is_v6()) address = "[" + address + "]";
    return address + ":" + std::to_string(peer.port());
}

}  // namespace

struct HttpListener::Impl {
    std::function<ReplyMode()> reply_mode;
    std::function<void(HttpArrival)> on_arrival;
    asio::io_context io;  // declared before the acceptor: outlives it
    tcp::acceptor acceptor{io};
    std::thread worker;

    class Session : public std::enable_shared_from_this<Session> {
    public:
        Session(Impl& owner, tcp::socket socket) : owner_(owner), socket_(std::move(socket)) {}
        void ReadHead() {
            size_t old = received_.size();
            received_.resize(old + kReadChunk);
            socket_.async_read_some(asio::buffer(received_.data() + old, kReadChunk),
                                    [self = shared_from_this(), old](asio::error_code ec, size_t n) {
                                        self->OnRead(ec, old, n);
                                    });
        }

    private:
        void OnRead(asio::error_code ec, size_t old, size_t n) {
            received_.resize(old + n);
            if (ec) return;  // closed before a whole head arrived: nothing to show
            // The blank line may straddle two reads.
            size_t from = old < 3 ? 0 : old - 3;
            if (auto end = FindHeadEnd(std::string_view(received_).substr(from))) {
                Answer(received_.substr(0, from + *end));
            } else if (received_.size() > kMaxHead) {
                Write(HeadTooLargeReply());
            } else {
                ReadHead();
            }
        }

        void Answer(std::string head) {
            ReplyMode mode = owner_.reply_mode();
            bool is_get = ParseRequestHead(head).method == "GET";
            // Reported before answering, so a client that has its reply finds the event reported.
            owner_.on_arrival({PeerOf(socket_), std::move(head), mode});
            if (!is_get) return Write(MethodNotAllowedReply());
            if (mode == ReplyMode::Silent) return Drain();  // held open until the client gives up
            Write(ReplyFor(mode));
        }

        void Write(std::string bytes) {
            reply_ = std::move(bytes);
            asio::async_write(socket_, asio::buffer(reply_), [self = shared_from_this()](asio::error_code ec, size_t) {
                if (ec) return;
                asio::error_code ignored;
                self->socket_.shutdown(tcp::socket::shutdown_send, ignored);
                self->Drain();
            });
        }

        // Reads until the client closes, so that closing never resets a reply
        // that the client has not read yet.
        void Drain() {
            socket_.async_read_some(asio::buffer(scratch_), [self = shared_from_this()](asio::error_code ec, size_t) {
                if (!ec) self->Drain();
            });
        }

        Impl& owner_;
        tcp::socket socket_;
        std::string received_;
        std::string reply_;
        char scratch_[4096];
    };

    void Accept() {
        acceptor.async_accept([this](asio::error_code ec, tcp::socket socket) {
            if (!ec) std::make_shared<Session>(*this, std::move(socket))->ReadHead();
            if (acceptor.is_open()) Accept();
        });
    }

    ~Impl() {
        io.stop();
        if (worker.joinable()) worker.join();
    }
};

HttpListener::HttpListener(std::function<ReplyMode()> reply_mode, std::function<void(HttpArrival)> on_arrival)
    : impl_(std::make_unique<Impl>()) {
    impl_->reply_mode = std::move(reply_mode);
    impl_->on_arrival = std::move(on_arrival);
}

HttpListener::~HttpListener() = default;

HttpListener::Started HttpListener::Start(const std::string& address, uint16_t port) {
    asio::error_code ec;
    asio::ip::address ip = asio::ip::make_address(address, ec);
    if (ec) return {port, "\"" + address + "\" is not an IP address"};
    tcp::endpoint endpoint(ip, port);
    // No SO_REUSEADDR: on Windows it would let a second listener share the port.
    impl_->acceptor.open(endpoint.protocol(), ec);
    if (!ec) impl_->acceptor.bind(endpoint, ec);
    if (!ec) impl_->acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        asio::error_code ignored;
        impl_->acceptor.close(ignored);
        return {port, ec.message()};
    }
    int bound = impl_->acceptor.local_endpoint(ec).port();
    impl_->Accept();
    impl_->worker = std::thread([impl = impl_.get()] { impl->io.run(); });
    return {bound, {}};
}

}  // namespace lumvox::standin
