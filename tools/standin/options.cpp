#include "options.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string_view>

#include "core/utf.h"
#include "core/whole_number.h"

namespace lumvox::standin {
namespace {

std::optional<int> ParseCount(std::u16string_view text, int low, int high) {
    if (auto value = lumvox::core::WholeNumberIn(lumvox::core::ReadWholeNumber(text, low, high)))
        return static_cast<int>(*value);
    return std::nullopt;
}

constexpr std::u16string_view kValued[] = {u"--port", u"--address", u"--reply", u"--log", u"--max-connections",
                                           u"--idle-limit"};

}  // namespace

const char kUsage[] =
    "lumvox-standin [--port N] [--address A] [--reply sent|nosent|500|silent] [--log PATH]\n"
    "               [--max-connections N] [--idle-limit S]\n"
    "  --port N      HTTP port, 7070 by default; 0 picks a free one\n"
    "  --address A   address to listen on, 127.0.0.1 by default\n"
    "  --reply MODE  answer to each GET: sent (200 \"sent\"), nosent (200 without \"sent\"),\n"
    "                500 (status 500), silent (no answer)\n"
    "  --log PATH    append every event to PATH, one JSON object a line\n"
    "  --max-connections N  connections open at once, 100 by default (1 to 10000);\n"
    "                a connection beyond them is closed at once and logged\n"
    "  --idle-limit S  seconds for a request head to arrive whole, 20 by default\n"
    "                (1 to 3600); a slower one is dropped and logged. An answered\n"
    "                client that has not closed within it is closed too\n";

ParsedOptions ParseOptions(const std::vector<std::u16string>& args) {
    ParsedOptions parsed;
    Options& o = parsed.options;
    for (size_t i = 0; i < args.size(); ++i) {
        std::u16string_view arg = args[i];
        std::u16string_view name = arg;
        std::optional<std::u16string_view> value;
        if (size_t eq = arg.find(u'='); arg.starts_with(u"--") && eq != std::u16string_view::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        std::string shown = lumvox::core::ToUtf8Lossy(name);
        if (name == u"--help" || name == u"-h" || name == u"/?") {
            o.help = true;
            continue;
        }
        if (std::find(std::begin(kValued), std::end(kValued), name) == std::end(kValued)) {
            parsed.error = "unknown option " + lumvox::core::ToUtf8Lossy(arg);
            return parsed;
        }
        if (!value) {
            if (i + 1 == args.size()) {
                parsed.error = shown + " needs a value";
                return parsed;
            }
            value = args[++i];
        }
        std::string value_utf8 = lumvox::core::ToUtf8Lossy(*value);
        if (name == u"--port") {
            auto port = ParseCount(*value, 0, 65535);
            if (!port) {
                parsed.error = "--port needs a number from 0 to 65535, not \"" + value_utf8 + "\"";
                return parsed;
            }
            o.port = static_cast<uint16_t>(*port);
        } else if (name == u"--address") {
            if (value->empty()) {
                parsed.error = "--address needs an address";
                return parsed;
            }
            o.address = value_utf8;
        } else if (name == u"--reply") {
            auto mode = ParseReplyMode(value_utf8);
            if (!mode) {
                parsed.error = "--reply needs sent, nosent, 500 or silent, not \"" + value_utf8 + "\"";
                return parsed;
            }
            o.reply = *mode;
        } else if (name == u"--max-connections") {
            auto count = ParseCount(*value, 1, 10000);
            if (!count) {
                parsed.error = "--max-connections needs a number from 1 to 10000, not \"" + value_utf8 + "\"";
                return parsed;
            }
            o.max_connections = *count;
        } else if (name == u"--idle-limit") {
            auto seconds = ParseCount(*value, 1, 3600);
            if (!seconds) {
                parsed.error = "--idle-limit needs a number of seconds from 1 to 3600, not \"" + value_utf8 + "\"";
                return parsed;
            }
            o.idle_limit_s = *seconds;
        } else {
            if (value->empty()) {
                parsed.error = "--log needs a path";
                return parsed;
            }
            o.log_path = *value;
        }
    }
    return parsed;
}

}  // namespace lumvox::standin
