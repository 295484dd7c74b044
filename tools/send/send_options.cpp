#include "send_options.h"

#include <algorithm>

#include "core/utf.h"
#include "core/whole_number.h"

namespace lumvox::send {

const char kUsage[] =
    "Usage:\n"
    "  lumvox-send --app  [--protocol] [--dry-run] [--strict] [--json] (TEXT | --file PATH [--codepage N] | -)\n"
    "  lumvox-send --net HOST[:PORT]   [--dry-run] [--strict] [--json] (TEXT | --file PATH [--codepage N] | -)\n"
    "  lumvox-send --clip [--protocol] [--dry-run] [--strict] [--json] (TEXT | --file PATH [--codepage N] | -)\n"
    "  lumvox-send --batch FILE [--dry-run] [--strict] [--json]\n"
    "  lumvox-send (--app | --net HOST[:PORT] | --clip) --repeat N [--concurrency C] [--strict] [--json] ...\n"
    "  lumvox-send --check [--app | --net HOST[:PORT] | --clip] [--protocol] [--json] (TEXT | --file PATH [--codepage N] | -)\n"
    "\n"
    "Hands one text to the speech program exactly as the workshop's pages do:\n"
    "  --app         copy-data message to the window titled \"Lumvox\" (Windows only)\n"
    "  --net H[:P]   one HTTP GET to H, port P (default 7070); delivered when the reply says \"sent\"\n"
    "  --clip        the clipboard as one Unicode text (Windows only)\n"
    "  --protocol    wrap the text in <lumvox>...</lumvox> (--app and --clip)\n"
    "  --file PATH   read the text from a file (byte-order mark, else well-formed UTF-8,\n"
    "                else the code page: the ANSI code page on Windows, 949 on Linux)\n"
    "  --codepage N  with --file: a file without a byte-order mark is in code page N\n"
    "                (949 Korean, 1252, 932, 65001...); bytes N does not define are warned of\n"
    "  -             read the text from standard input as UTF-8 (a byte-order mark is dropped)\n"
    "  --dry-run     send nothing; print exactly what would go out\n"
    "  --strict      send nothing when a wire warning is found (a \"#\", \"?\", backslash, NUL,\n"
    "                U+007F, a request line over 8192 bytes) or the markup has an error (exit 7);\n"
    "                in --batch, for each case\n"
    "  --json        standard output is one JSON object per send (a dry run's bytes inside it);\n"
    "                with --check, the findings; with --batch, only the result lines\n"
    "  --repeat N    send the same text N times; print counts by outcome and latency\n"
    "                percentiles (p50, p95, p99, max)\n"
    "  --concurrency C  with --net: C sends at once (1 to 64); copy-data and the\n"
    "                clipboard send one at a time\n"
    "  --check       print the text's SAPI 5 XML markup findings (as the channel would send it) and\n"
    "                send nothing; exit 7 when one is an error\n"
    "  --batch FILE  run one JSON case per line: {\"text\":..., \"channel\":\"app|net|clip\",\n"
    "                \"destination\":\"HOST[:PORT]\", \"protocol\":false, \"expect\":\"delivered\"};\n"
    "                a --json result line or a saved send log line is such a case\n"
    "  --version     print lumvox-send's version and exit\n"
    "\n"
    "Exit codes:\n"
    "  0 delivered (--batch: every case as expected)\n"
    "  1 --batch: a case not as expected\n"
    "  2 usage\n"
    "  3 refused: an empty text or a host or port no request can carry\n"
    "  4 unreachable: no address, connection refused or not made in time, no \"Lumvox\" window\n"
    "  5 not-acknowledged: reached but not taken: a status other than 2xx, a reply without\n"
    "    \"sent\" or not UTF-8, over a cap, cut short or too slow, copy-data not confirmed\n"
    "  6 failed: clipboard, file, standard input or system failure\n"
    "  7 markup-error (--check, --strict) or warned: --strict found a wire warning\n"
    "  8 standard output or standard error could not be written\n"
    "Each failure names its exact cause on standard error (and in --json: cause, causeText).\n"
    "\n"
    "Examples:\n"
    "  lumvox-send --net 127.0.0.1 \"안녕 하세요\"\n"
    "  lumvox-send --app --protocol --file greeting.txt\n"
    "  echo '<emph>hi</emph>' | lumvox-send --clip -\n"
    "  lumvox-send --net [::1]:7070 --dry-run \"a+b?c\"\n"
    "  lumvox-send --batch cases.jsonl\n"
    "  lumvox-send --check --app --file tagged.txt\n";

void SplitDestination(std::u16string_view destination, std::u16string& host, std::u16string& port) {
    size_t colon = std::u16string_view::npos;
    if (!destination.empty() && destination.front() == u'[') {
        size_t close = destination.find(u']');
        if (close != destination.npos && close + 1 < destination.size() && destination[close + 1] == u':')
            colon = close + 1;
    } else if (destination.find(u':') == destination.rfind(u':')) {
        colon = destination.find(u':');
    }
    host = destination.substr(0, colon);
    if (colon != destination.npos) port = destination.substr(colon + 1);
}

std::u16string DestinationAsGiven(std::u16string_view host, std::u16string_view port) {
    const std::u16string joined = std::u16string(host) + u":" + std::u16string(port);
    std::u16string split_host, split_port;
    SplitDestination(joined, split_host, split_port);
    if (split_host == host && split_port == port) return joined;
    // The host holds a ":" of its own ("::1", "h:1:2"), so the port it got is
    // the default nobody wrote, and writing it after the host would change the host.
    return std::u16string(host);
}

namespace {

ParsedArgs Error(std::string message) { return {std::nullopt, std::move(message)}; }

std::optional<size_t> WholeNumber(const std::u16string* text, size_t low, size_t high) {
    if (!text) return std::nullopt;
    return lumvox::core::WholeNumberIn(lumvox::core::ReadWholeNumber(*text, low, high));
}

using lumvox::core::ChannelRow;

// The channel whose option `arg` is: "--" and the channel's name.
const ChannelRow* ChannelOption(std::u16string_view arg) {
    for (const ChannelRow* row : lumvox::core::AllChannels())
        if (arg.size() == row->name.size() + 2 && arg.starts_with(u"--") &&
            std::equal(row->name.begin(), row->name.end(), arg.begin() + 2))
            return row;
    return nullptr;
}

// "--app, --net or --clip": every channel's option, with the syntax of its
// destination where asked.
std::string ChannelOptions(bool with_destination) {
    const auto channels = lumvox::core::AllChannels();
    std::string out;
    for (size_t i = 0; i < channels.size(); ++i) {
        if (i > 0) out += i + 1 == channels.size() ? " or " : ", ";
        out += "--" + std::string(channels[i]->name);
        if (with_destination && channels[i]->to_destination) out += " HOST[:PORT]";
    }
    return out;
}

bool SetChannel(SendOptions& options, SendChannel channel) {
    if (options.channel) return false;
    options.channel = channel;
    return true;
}

}  // namespace

ParsedArgs ParseSendArgs(const std::vector<std::u16string>& args) {
    SendOptions options;
    // --help and --version print and exit whatever else is given, however wrong.
    for (const std::u16string& arg : args) {
        if (arg == u"--") break;
        options.help = options.help || arg == u"--help" || arg == u"-h";
        options.version = options.version || arg == u"--version";
    }
    if (options.help || options.version) return {options, ""};
    bool have_text = false;
    bool options_ended = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        auto next = [&]() -> const std::u16string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
        auto take_text = [&](TextSource source, std::u16string text) {
            if (have_text) return false;
            have_text = true;
            options.source = source;
            options.text = std::move(text);
            return true;
        };
        if (options_ended || arg.empty() || arg[0] != u'-' || arg == u"-") {
            bool ok = arg == u"-" && !options_ended ? take_text(TextSource::Stdin, u"") : take_text(TextSource::Argument, arg);
            if (!ok) return Error("more than one text given");
        } else if (arg == u"--") {
            options_ended = true;
        } else if (arg == u"--help" || arg == u"-h") {
            options.help = true;
        } else if (arg == u"--version") {
            options.version = true;
        } else if (const ChannelRow* channel = ChannelOption(arg)) {
            if (!SetChannel(options, channel->channel)) return Error("choose one channel: " + ChannelOptions(false));
            if (channel->to_destination) {
                const std::u16string* destination = next();
                if (!destination) return Error("--" + std::string(channel->name) + " needs HOST[:PORT]");
                SplitDestination(*destination, options.host, options.port);
            }
        } else if (arg == u"--protocol") {
            options.protocol = true;
        } else if (arg == u"--dry-run") {
            options.dry_run = true;
        } else if (arg == u"--json") {
            options.json = true;
        } else if (arg == u"--check") {
            options.check = true;
        } else if (arg == u"--strict") {
            options.strict = true;
        } else if (arg == u"--file") {
            const std::u16string* path = next();
            if (!path) return Error("--file needs a path");
            if (!take_text(TextSource::File, *path)) return Error("more than one text given");
        } else if (arg == u"--repeat") {
            options.repeat = WholeNumber(next(), 1, kMaxRepeat);
            if (!options.repeat) return Error("--repeat needs a number of sends from 1 to " + std::to_string(kMaxRepeat));
        } else if (arg == u"--concurrency") {
            auto count = WholeNumber(next(), 1, kMaxConcurrency);
            if (!count) return Error("--concurrency needs a number from 1 to " + std::to_string(kMaxConcurrency));
            options.concurrency = static_cast<int>(*count);
        } else if (arg == u"--codepage") {
            // A number no code page has is still a number: say so, not that one is missing.
            const std::u16string* number = next();
            const auto read = lumvox::core::ReadWholeNumber(number ? std::u16string_view(*number) : u"", 1, 65535);
            if (const auto* code_page = std::get_if<std::uint64_t>(&read)) options.codepage = static_cast<unsigned>(*code_page);
            else if (std::get<lumvox::core::NumberProblem>(read) == lumvox::core::NumberProblem::OutOfRange)
                return Error("--codepage " + lumvox::core::ToUtf8Lossy(*number) + ": " + std::string(kNoSuchCodePage));
            else return Error("--codepage needs a code page number, such as 949");
        } else if (arg == u"--batch") {
            const std::u16string* path = next();
            if (!path) return Error("--batch needs a file");
            if (options.batch_file) return Error("give one --batch file");
            options.batch_file = *path;
        } else {
            return Error("unknown option " + lumvox::core::ToUtf8Lossy(arg));
        }
    }
    if (options.help || options.version) return {options, ""};
    if (options.codepage && options.source != TextSource::File) return Error("--codepage applies to --file");
    if (options.batch_file) {
        if (options.channel || have_text || options.protocol)
            return Error("--batch takes its channels, texts and --protocol from the file");
        if (options.repeat || options.concurrency != 1) return Error("--repeat and --concurrency do not apply to --batch");
        if (options.check) return Error("--check takes one text, not --batch");
        return {options, ""};
    }
    if (options.check) {
        if (options.repeat || options.dry_run || options.concurrency != 1)
            return Error("--check sends nothing: it does not go with --repeat, --concurrency or --dry-run");
        if (options.strict) return Error("--strict stops a send; --check sends nothing and exits 7 on an error anyway");
        if (options.protocol && options.channel && !ChannelOf(*options.channel).takes_protocol)
            return Error(std::string(kNetTakesNoProtocol));
        if (!have_text) return Error("give the text, --file PATH or - for standard input");
        return {options, ""};
    }
    if (options.concurrency != 1 && !options.repeat) return Error("--concurrency goes with --repeat");
    if (options.repeat && options.dry_run) return Error("--repeat sends: it does not go with --dry-run");
    if (options.concurrency != 1 && !(options.channel && ChannelOf(*options.channel).to_destination))
        return Error("--concurrency applies to --net; copy-data and the clipboard send one at a time");
    if (!options.channel) return Error("choose a channel: " + ChannelOptions(true));
    if (options.protocol && !ChannelOf(*options.channel).takes_protocol)
        return Error(std::string(kNetTakesNoProtocol));
    if (!have_text) return Error("give the text, --file PATH or - for standard input");
    return {options, ""};
}

}  // namespace lumvox::send
