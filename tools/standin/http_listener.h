#pragma once
// Network receive mode: a listener on its own thread that reads each request
// head, reports it and answers as the current reply mode says. Every
// connection is bounded: a cap on how many are open, a time for the head to
// arrive whole, a cap on its size. Asio stays in the .cpp, its one
// translation unit.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "wire_text.h"

namespace lumvox::standin {

struct HttpArrival {
    std::string peer;  // address:port of the client
    std::string head;  // request line and headers, up to and including the empty line
    ReplyMode reply;   // the mode this request is answered with
};

struct HttpRefusal {
    std::string peer;
    Refusal reason;
    std::string detail;   // plain words
    size_t received = 0;  // bytes read before the connection was ended
    std::string start;    // the first of them (RefusalStart)
};

struct ConnectionLimits {
    int max_connections = 100;
    std::chrono::milliseconds idle_limit{20'000};
};

class HttpListener {
public:
    // Every callback runs on the listener's thread.
    HttpListener(std::function<ReplyMode()> reply_mode, std::function<void(HttpArrival)> on_arrival,
                 std::function<void(HttpRefusal)> on_refusal, ConnectionLimits limits);
    ~HttpListener();
    HttpListener(const HttpListener&) = delete;
    HttpListener& operator=(const HttpListener&) = delete;

    struct Started {
        int port = 0;       // the port bound (the chosen one when 0 was asked for)
        std::string error;  // empty on success
    };
    // Binds, listens and starts the thread.
    Started Start(const std::string& address, uint16_t port);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace lumvox::standin
