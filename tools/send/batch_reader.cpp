#include "batch_reader.h"

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

}  // namespace

std::optional<BatchCase> ReadBatchCase(std::string_view line, std::string& error) {
    json object;
    try {
        object = json::parse(line);
    } catch (const json::exception& e) {
        // A syntax error, or a number past what a double holds. The library's
        // text says where and what; only its "[json.exception...] " tag is left out.
        std::string what = e.what();
        auto tag_end = what.find("] ");
        error = tag_end == std::string::npos ? what : what.substr(tag_end + 2);
        return std::nullopt;
    }
    if (!object.is_object()) {
        error = "a case must be one JSON object";
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
        error = "\"channel\" must be \"app\", \"net\" or \"clip\"";
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
    }
    if (expect) {
        auto expected = OutcomeFromName(lumvox::core::ToUtf8Lossy(*expect));
        if (!expected) {
            error = "\"expect\" must be delivered, refused, unreachable, not-acknowledged or failed";
            return std::nullopt;
        }
        batch.expected = *expected;
    }
    return batch;
}

}  // namespace lumvox::send
