#include "options.h"

#include <optional>
#include <string_view>

#include "core/utf.h"

namespace lumvox::standin {
namespace {

std::optional<uint16_t> ParsePort(std::u16string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if (value > 65535) return std::nullopt;
    return static_cast<uint16_t>(value);
}

}  // namespace

const char kUsage[] =
    "lumvox-standin [--port N] [--address A] [--reply sent|nosent|500|silent] [--log PATH]\n"
    "  --port N      HTTP port, 7070 by default; 0 picks a free one\n"
    "  --address A   address to listen on, 127.0.0.1 by default\n"
    "  --reply MODE  answer to each GET: sent (200 \"sent\"), nosent (200 without \"sent\"),\n"
    "                500 (status 500), silent (no answer)\n"
    "  --log PATH    append every event to PATH, one JSON object a line\n";

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
        if (name != u"--port" && name != u"--address" && name != u"--reply" && name != u"--log") {
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
            auto port = ParsePort(*value);
            if (!port) {
                parsed.error = "--port needs a number from 0 to 65535, not \"" + value_utf8 + "\"";
                return parsed;
            }
            o.port = *port;
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
