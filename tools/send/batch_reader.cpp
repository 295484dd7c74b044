#include "batch_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_set>

#include <nlohmann/json.hpp>

#include "core/utf.h"

namespace lumvox::send {
namespace {

using nlohmann::json;

// A member that must be a string when present: nullopt when absent, an error when of another kind.
bool StringMember(const json& object, const char* name, std::optional<std::u16string>& out, std::string& error) {
    auto it = object.find(name);
    if (it == object.end()) return true;
    if (!it->is_string()) {
        error = std::string("\"") + name + "\" must be a string";
        return false;
    }
    // The library refuses ill-formed UTF-8 and unpaired \u escapes, so this always converts.
    out = lumvox::core::Utf8ToUtf16(it->get_ref<const std::string&>());
    return out.has_value();
}

// The members a case is made of. Any other member is the line's own business
// (a saved line's outcome, time, findings...) and is never looked at.
constexpr std::string_view kCaseMembers[] = {"text", "channel", "destination", "protocol", "expect"};

bool IsCaseMember(std::string_view name) {
    return std::find(std::begin(kCaseMembers), std::end(kCaseMembers), name) != std::end(kCaseMembers);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the JSON number (by the grammar) that starts at `at`; 0 when none does.
size_t NumberLength(std::string_view s, size_t at) {
    size_t i = at;
    auto digits = [&] {
        const size_t from = i;
        while (i < s.size() && IsDigit(s[i])) ++i;
        return i > from;
    };
    if (i < s.size() && s[i] == '-') ++i;
    if (i >= s.size() || !IsDigit(s[i])) return 0;
    if (s[i] == '0') ++i;
    else digits();
    if (i + 1 < s.size() && s[i] == '.' && IsDigit(s[i + 1])) {
        ++i;
        digits();
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        const size_t mantissa_end = i;
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (!digits()) i = mantissa_end;
    }
    return i - at;
}

// The library refuses a number past what a double holds, wherever it stands,
// so a saved line's member that nobody reads would reject the case. No case
// member is a number: such a number becomes 0, padded with spaces so that
// every error position stays where it was.
std::string WithoutOverflowingNumbers(std::string_view line) {
    std::string text(line);
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; i += text[i] == '\\' ? 2 : 1) {}
            ++i;
        } else if (c == '-' || IsDigit(c)) {
            const size_t length = std::max<size_t>(NumberLength(text, i), 1);
            if (!std::isfinite(std::strtod(text.substr(i, length).c_str(), nullptr)))
                text.replace(i, length, "0" + std::string(length - 1, ' '));
            i += length;
        } else {
            ++i;
        }
    }
    return text;
}

}  // namespace

// "\"app\", \"net\" or \"clip\"": every channel's name.
static std::string ChannelNames() {
    const auto channels = lumvox::core::AllChannels();
    std::string names;
    for (size_t i = 0; i < channels.size(); ++i) {
        if (i > 0) names += i + 1 == channels.size() ? " or " : ", ";
        names += "\"" + std::string(channels[i]->name) + "\"";
    }
    return names;
}

std::optional<BatchCase> ReadBatchCase(std::string_view line, std::string& error) {
    json object;
    // The library keeps the last of two members of one name; a case that names
    // its text (or channel...) twice is ambiguous, so the first repeat is kept to refuse it.
    std::unordered_set<std::string> seen;
    std::optional<std::string> repeated;
    auto watch_members = [&](int depth, json::parse_event_t event, json& parsed) {
        if (event == json::parse_event_t::key && depth == 1 && !repeated) {
            const std::string& name = parsed.get_ref<const std::string&>();
            if (IsCaseMember(name) && !seen.insert(name).second) repeated = name;
        }
        return true;
    };
    try {
        object = json::parse(WithoutOverflowingNumbers(line), watch_members);
    } catch (const json::exception& e) {
        // A syntax error: the library's text says where and what; only its
        // "[json.exception...] " tag is left out.
        std::string what = e.what();
        auto tag_end = what.find("] ");
        error = tag_end == std::string::npos ? what : what.substr(tag_end + 2);
        return std::nullopt;
    }
    if (!object.is_object()) {
        error = "a case must be one JSON object";
        return std::nullopt;
    }
    if (repeated) {
        error = "\"" + *repeated + "\" is given twice";
        return std::nullopt;
    }
    std::optional<std::u16string> channel, text, destination, expect;
    if (!StringMember(object, "channel", channel, error) || !StringMember(object, "text", text, error) ||
        !StringMember(object, "destination", destination, error) || !StringMember(object, "expect", expect, error))
        return std::nullopt;

    BatchCase batch;
    lumvox::core::SendRequest& input = batch.input;
    input.port = kDefaultPort;
    const auto named = channel ? lumvox::core::ChannelFromName(lumvox::core::ToUtf8Lossy(*channel)) : std::nullopt;
    if (!named) {
        error = "\"channel\" must be " + ChannelNames();
        return std::nullopt;
    }
    input.channel = *named;
    if (!text) {
        error = "\"text\" must be a string";
        return std::nullopt;
    }
    input.text = std::move(*text);
    if (destination) SplitDestination(*destination, input.host, input.port);
    if (auto it = object.find("protocol"); it != object.end()) {
        if (!it->is_boolean()) {
            error = "\"protocol\" must be true or false";
            return std::nullopt;
        }
        input.protocol = it->get<bool>();
        // Refused as the single send refuses --net with --protocol.
        if (input.protocol && !lumvox::core::ChannelOf(input.channel).takes_protocol) {
            error = "\"protocol\": true: " + std::string(kNetTakesNoProtocol);
            return std::nullopt;
        }
    }
    if (expect) {
        auto expected = OutcomeFromName(lumvox::core::ToUtf8Lossy(*expect));
        if (!expected) {
            error = "\"expect\" must be " + OutcomeNames();
            return std::nullopt;
        }
        batch.expected = *expected;
    }
    return batch;
}

}  // namespace lumvox::send
