#pragma once
// lumvox-send's command line.
#include <optional>
#include <string>
#include <vector>

#include "core/send/channel.h"

namespace lumvox::send {

using lumvox::core::SendChannel;
// The window's default port, where a destination names none.
inline constexpr std::u16string_view kDefaultPort = u"7070";

enum class TextSource { Argument, File, Stdin };

struct SendOptions {
    std::optional<SendChannel> channel;
    std::u16string host;            // --net HOST[:PORT], as the destination field would hold it
    std::u16string port{kDefaultPort};
    bool protocol = false;
    bool dry_run = false;
    bool json = false;
    bool check = false;   // print the text's markup findings and send nothing
    bool strict = false;  // a markup error or a wire warning stops the send (exit 7)
    bool help = false;
    bool version = false;  // --version: print the version and send nothing
    TextSource source = TextSource::Argument;
    std::u16string text;  // the text, or the path for --file
    std::optional<std::u16string> batch_file;
    std::optional<size_t> repeat;  // --repeat N: the same send N times
    int concurrency = 1;           // --concurrency C: network sends at once
    std::optional<unsigned> codepage;  // --codepage N: a --file without a byte-order mark is in N
};

inline constexpr size_t kMaxRepeat = 10'000'000;
inline constexpr int kMaxConcurrency = 64;

struct ParsedArgs {
    std::optional<SendOptions> options;
    std::string error;  // set when options is empty
};

ParsedArgs ParseSendArgs(const std::vector<std::u16string>& args);

// "HOST", "HOST:PORT", "[V6]" or "[V6]:PORT"; a bare IPv6 text stays whole as
// the host (and then fails like the window's destination field would).
void SplitDestination(std::u16string_view destination, std::u16string& host, std::u16string& port);

extern const char kUsage[];

}  // namespace lumvox::send
