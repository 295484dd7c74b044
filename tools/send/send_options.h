#pragma once
// lumvox-send's command line.
#include <optional>
#include <string>
#include <string_view>
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
// The largest file or standard input --dry-run (which holds the text, its
// request and their printed bytes at once, tens of times the input) and
// --check take; a larger one is refused before it is decoded, so memory stays
// bounded whatever the input.
inline constexpr size_t kMaxDryRunInput = 4 << 20;
inline constexpr size_t kMaxCheckInput = 64 << 20;
inline constexpr int kMaxConcurrency = 64;

struct ParsedArgs {
    std::optional<SendOptions> options;
    std::string error;  // set when options is empty
};

ParsedArgs ParseSendArgs(const std::vector<std::u16string>& args);

// "HOST", "HOST:PORT", "[V6]" or "[V6]:PORT"; a bare IPv6 text stays whole as
// the host (and then fails like the window's destination field would).
void SplitDestination(std::u16string_view destination, std::u16string& host, std::u16string& port);

// The destination "HOST[:PORT]" that SplitDestination reads back as `host` and
// `port`: as it was given, with the default port only where none was given and
// the host can carry one ("::1" stays "::1", "h:1:2" stays "h:1:2").
std::u16string DestinationAsGiven(std::u16string_view host, std::u16string_view port);

inline constexpr std::string_view kNetTakesNoProtocol =
    "--protocol applies to --app and --clip; the network always uses its own envelope";

extern const char kUsage[];
// After "--codepage N: ", for a number that names no code page here.
inline constexpr std::string_view kNoSuchCodePage = "this system has no such code page";

}  // namespace lumvox::send
