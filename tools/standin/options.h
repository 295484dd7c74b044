#pragma once
// The stand-in's command line. Portable.
#include <cstdint>
#include <string>
#include <vector>

#include "wire_text.h"

namespace lumvox::standin {

struct Options {
    std::string address = "127.0.0.1";
    uint16_t port = 7070;  // 0: the system picks a free port, reported in the log's "ready" line
    ReplyMode reply = ReplyMode::Sent;
    std::u16string log_path;  // empty: no log
    // A connection beyond this many open at once is closed unread: the cap
    // bounds the memory and sockets a flood of clients can take.
    int max_connections = 100;
    // A request head must arrive whole within this many seconds of the
    // connection, and a client must close within it once answered; a client
    // that sends a byte a second cannot hold a connection for ever.
    int idle_limit_s = 20;
    bool help = false;
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty on success
};

// `args` excludes the program name. Accepts "--name value" and "--name=value".
ParsedOptions ParseOptions(const std::vector<std::u16string>& args);

extern const char kUsage[];

}  // namespace lumvox::standin
