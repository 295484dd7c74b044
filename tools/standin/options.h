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
