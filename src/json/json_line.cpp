#include "json/json_line.h"

#include <nlohmann/json.hpp>

#include "core/utf.h"

namespace lumvox::json {
namespace {

using nlohmann::ordered_json;

// UTF-16 that has no UTF-8 form rides in the object as binary data of this
// subtype, two bytes a unit, so that the writer can still escape it exactly.
constexpr std::uint8_t kUtf16Units = 16;

ordered_json Utf16Value(std::u16string_view text) {
    if (auto utf8 = lumvox::core::Utf16ToUtf8(text)) return *utf8;
    ordered_json::binary_t::container_type bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return ordered_json::binary(std::move(bytes), kUtf16Units);
}

std::u16string Utf16Units(const ordered_json::binary_t& bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    return text;
}

void Put(const ordered_json& value, EscapeStyle style, std::string& out) {
    switch (value.type()) {
    case ordered_json::value_t::object: {
        out += '{';
        bool first = true;
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (!first) out += ',';
            first = false;
            out += JsonString(std::string_view(it.key()), style);
            out += ':';
            Put(it.value(), style, out);
        }
        out += '}';
        return;
    }
    case ordered_json::value_t::array: {
        out += '[';
        for (size_t i = 0; i < value.size(); ++i) {
            if (i) out += ',';
            Put(value[i], style, out);
        }
        out += ']';
        return;
    }
    case ordered_json::value_t::string:
        out += JsonString(std::string_view(value.get_ref<const std::string&>()), style);
        return;
    case ordered_json::value_t::binary:
        out += JsonString(Utf16Units(value.get_binary()), style);
        return;
    default:
        out += value.dump();
        return;
    }
}

}  // namespace

JsonLine::JsonLine(EscapeStyle style) : style_(style), object_(std::make_unique<ordered_json>(ordered_json::object())) {}
JsonLine::JsonLine(JsonLine&&) noexcept = default;
JsonLine& JsonLine::operator=(JsonLine&&) noexcept = default;
JsonLine::~JsonLine() = default;

JsonLine& JsonLine::Text(std::string_view name, std::string_view utf8) {
    (*object_)[std::string(name)] = std::string(utf8);
    return *this;
}

JsonLine& JsonLine::Text(std::string_view name, std::u16string_view text) {
    (*object_)[std::string(name)] = Utf16Value(text);
    return *this;
}

JsonLine& JsonLine::Number(std::string_view name, int64_t value) {
    (*object_)[std::string(name)] = value;
    return *this;
}

JsonLine& JsonLine::Flag(std::string_view name, bool value) {
    (*object_)[std::string(name)] = value;
    return *this;
}

JsonLine& JsonLine::Null(std::string_view name) {
    (*object_)[std::string(name)] = nullptr;
    return *this;
}

JsonLine& JsonLine::List(std::string_view name, const std::vector<std::string>& utf8_items) {
    (*object_)[std::string(name)] = utf8_items;
    return *this;
}

JsonLine& JsonLine::Value(std::string_view name, const ordered_json& value) {
    (*object_)[std::string(name)] = value;
    return *this;
}

std::string JsonLine::Finish() const { return WriteJson(*object_, style_); }

std::string WriteJson(const ordered_json& value, EscapeStyle style) {
    std::string out;
    Put(value, style, out);
    return out;
}

}  // namespace lumvox::json
