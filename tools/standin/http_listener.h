#pragma once
// Network receive mode: a listener on its own thread that reads each request
// head, reports it and answers as the current reply mode says. Asio stays in
// the .cpp, its one translation unit.
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

class HttpListener {
public:
    // Both callbacks run on the listener's thread.
    HttpListener(std::function<ReplyMode()> reply_mode, std::function<void(HttpArrival)> on_arrival);
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
