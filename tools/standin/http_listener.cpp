#include "http_listener.h"

#include <asio.hpp>

#include <algorithm>
#include <thread>

namespace lumvox::standin {
namespace {

using asio::ip::tcp;

constexpr size_t kReadChunk = 16 << 10;

std::string PeerOf(const tcp::socket& socket) {
    asio::error_code ec;
    tcp::endpoint peer = socket.remote_endpoint(ec);
    if (ec) return "?";
    std::string address = peer.address().to_string();
    if (peer.address().is_v6()) address = "[" + address + "]";
    return address + ":" + std::to_string(peer.port());
}

std::string Seconds(std::chrono::milliseconds span) {
    auto ms = span.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

}  // namespace

struct HttpListener::Impl {
    std::function<ReplyMode()> reply_mode;
    std::function<void(HttpArrival)> on_arrival;
    std::function<void(HttpRefusal)> on_refusal;
    ConnectionLimits limits;
    int open_connections = 0;  // touched only on the listener's thread
    asio::io_context io;       // declared before the acceptor: outlives it
    tcp::acceptor acceptor{io};
    std::thread worker;

    class Session : public std::enable_shared_from_this<Session> {
    public:
        Session(Impl& owner, tcp::socket socket)
            : owner_(owner), socket_(std::move(socket)), timer_(socket_.get_executor()), peer_(PeerOf(socket_)) {
            ++owner_.open_connections;
        }

        void Start() {
            ArmTimer([](Session& self) {
                self.Refuse(Refusal::Idle, "no whole request head within " + Seconds(self.owner_.limits.idle_limit));
            });
            ReadHead();
        }

    private:
        void ReadHead() {
            size_t old = received_.size();
            // Grown by hand: left to itself the buffer would double past the head cap.
            if (received_.capacity() < old + kReadChunk)
                received_.reserve(std::min(std::max(received_.capacity() * 2, old + kReadChunk), kMaxRequestHead + kReadChunk));
            received_.resize(old + kReadChunk);
            filled_ = old;
            reading_head_ = true;
            socket_.async_read_some(asio::buffer(received_.data() + old, kReadChunk),
                                    [self = shared_from_this(), old](asio::error_code ec, size_t n) {
                                        self->OnRead(ec, old, n);
                                    });
        }

        void OnRead(asio::error_code ec, size_t old, size_t n) {
            reading_head_ = false;
            filled_ = old + n;
            received_.resize(filled_);
            if (ended_) return;
            if (ec) {
                if (received_.empty()) return End();  // a connection that said nothing: nothing to report
                return Refuse(Refusal::ClosedEarly, "the client closed before its request head was whole");
            }
            HeadReading reading = ReadRequestHead(received_, old);
            switch (reading.state) {
            case HeadReading::State::Whole:
                timer_.cancel();
                return Answer(received_.substr(0, reading.head_size));
            case HeadReading::State::Malformed:
                timer_.cancel();
                return Refuse(Refusal::Malformed, std::move(reading.problem));
            case HeadReading::State::TooLarge:
                return Refuse(Refusal::TooLarge, "the request head passed " + std::to_string(kMaxRequestHead) + " bytes");
            case HeadReading::State::NeedMore:
                return ReadHead();
            }
        }

        void Answer(std::string head) {
            ReplyMode mode = owner_.reply_mode();
            bool is_get = ParseRequestHead(head).method == "GET";
            // Reported before answering, so a client that has its reply finds the event reported.
            owner_.on_arrival({peer_, std::move(head), mode});
            received_ = {};
            filled_ = 0;
            if (!is_get) return Write(MethodNotAllowedReply());
            if (mode == ReplyMode::Silent) return Drain();  // held open until the client gives up
            Write(ReplyFor(mode));
        }

        // Reported first, then answered where the reason has an answer, else closed.
        void Refuse(Refusal reason, std::string detail) {
            timer_.cancel();
            std::string_view received(received_.data(), filled_);
            owner_.on_refusal({peer_, reason, std::move(detail), filled_, RefusalStart(received)});
            // A read still under way writes into the buffer until it completes.
            if (!reading_head_) received_ = {};
            std::string reply = RefusalReply(reason);
            if (reply.empty()) return End();
            Write(std::move(reply));
        }

        void Write(std::string bytes) {
            reply_ = std::move(bytes);
            asio::async_write(socket_, asio::buffer(reply_), [self = shared_from_this()](asio::error_code ec, size_t) {
                if (ec || self->ended_) return self->End();
                asio::error_code ignored;
                self->socket_.shutdown(tcp::socket::shutdown_send, ignored);
                // An answered client that never closes would hold its connection for ever.
                self->ArmTimer([](Session& s) { s.End(); });
                self->Drain();
            });
        }

        // Reads until the client closes, so that closing never resets a reply
        // that the client has not read yet.
        void Drain() {
            socket_.async_read_some(asio::buffer(scratch_), [self = shared_from_this()](asio::error_code ec, size_t) {
                if (ec || self->ended_) return self->End();
                self->Drain();
            });
        }

        template <class OnExpiry>
        void ArmTimer(OnExpiry on_expiry) {
            timer_.expires_after(owner_.limits.idle_limit);
            timer_.async_wait([self = shared_from_this(), on_expiry](asio::error_code ec) {
                if (!ec && !self->ended_) on_expiry(*self);
            });
        }

        // Counted out once, as soon as the connection ends, so that a new client
        // finds its place free by the time the end is reported.
        void End() {
            if (ended_) return;
            ended_ = true;
            --owner_.open_connections;
            asio::error_code ignored;
            timer_.cancel();
            socket_.close(ignored);
        }

        Impl& owner_;
        tcp::socket socket_;
        asio::steady_timer timer_;
        std::string peer_;
        bool ended_ = false;
        std::string received_;  // the head so far, and room for the read under way
        size_t filled_ = 0;     // how much of received_ has arrived
        bool reading_head_ = false;
        std::string reply_;
        char scratch_[4096];
    };

    void Accept() {
        acceptor.async_accept([this](asio::error_code ec, tcp::socket socket) {
            if (!ec) {
                if (open_connections >= limits.max_connections) {
                    on_refusal({PeerOf(socket), Refusal::Connections,
                                std::to_string(open_connections) + " connections were already open", 0, {}});
                    asio::error_code ignored;
                    socket.close(ignored);
                } else {
                    std::make_shared<Session>(*this, std::move(socket))->Start();
                }
            }
            if (acceptor.is_open()) Accept();
        });
    }

    ~Impl() {
        io.stop();
        if (worker.joinable()) worker.join();
    }
};

HttpListener::HttpListener(std::function<ReplyMode()> reply_mode, std::function<void(HttpArrival)> on_arrival,
                           std::function<void(HttpRefusal)> on_refusal, ConnectionLimits limits)
    : impl_(std::make_unique<Impl>()) {
    impl_->reply_mode = std::move(reply_mode);
    impl_->on_arrival = std::move(on_arrival);
    impl_->on_refusal = std::move(on_refusal);
    impl_->limits = limits;
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
