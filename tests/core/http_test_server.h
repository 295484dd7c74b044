#pragma once
// Loopback peers for the exchange tests, made with Asio inside the .cpp only.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lumvox::core::test {

enum class Loopback { V4, V6 };

// False on machines without the IPv6 loopback address.
bool HasIpv6Loopback();

// A port on 127.0.0.1 where nothing listens.
std::uint16_t ClosedPort();

// Serves one connection: reads the request head, sends `reply`, then does `then`.
// With a head cap it stops reading there and answers anyway, as a peer that
// refuses a head too large does.
class RawReplyServer {
public:
    enum class Then {
        Close,    // orderly close
        Reset,    // abortive close: the client sees a reset
        Hold,     // keep the connection open until the client closes it
        Endless,  // send filler bytes until the client goes away
        Trickle,  // send filler bytes one at a time, a few milliseconds apart
    };
    explicit RawReplyServer(std::string reply, Then then = Then::Close, Loopback where = Loopback::V4,
                            std::size_t head_cap = SIZE_MAX);
    ~RawReplyServer();
    RawReplyServer(const RawReplyServer&) = delete;
    RawReplyServer& operator=(const RawReplyServer&) = delete;

    std::uint16_t port() const;
    // The request head as received, once it is complete or the client gave up.
    std::string Request();
    // Waits until the client has closed the connection; false if it never does.
    bool WaitClientClosed();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Serves every connection: reads its request head and answers with the replies
// in turn, the k-th head read getting replies[k % size], then closes. It answers
// only once `together` heads wait, all of them at once: a client that sends one
// at a time never gets an answer while `together` is above 1.
class RotatingReplyServer {
public:
    explicit RotatingReplyServer(std::vector<std::string> replies, size_t together = 1);
    ~RotatingReplyServer();
    RotatingReplyServer(const RotatingReplyServer&) = delete;
    RotatingReplyServer& operator=(const RotatingReplyServer&) = delete;

    std::uint16_t port() const;
    std::vector<std::string> Requests() const;  // every request head read so far

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A listener whose accept queue is full, so that a new connection attempt
// neither completes nor is refused.
class FullBacklogListener {
public:
    FullBacklogListener();
    ~FullBacklogListener();
    FullBacklogListener(const FullBacklogListener&) = delete;
    FullBacklogListener& operator=(const FullBacklogListener&) = delete;

    std::uint16_t port() const;
    bool full() const;  // a connection attempt of its own was seen hanging

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A listener that never accepts: the system completes a connection to it,
// takes the first bytes sent and then no more, so a long request stalls
// going out and no reply ever comes.
class NeverReadingPeer {
public:
    NeverReadingPeer();
    ~NeverReadingPeer();
    NeverReadingPeer(const NeverReadingPeer&) = delete;
    NeverReadingPeer& operator=(const NeverReadingPeer&) = delete;

    std::uint16_t port() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace lumvox::core::test
