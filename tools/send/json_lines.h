#pragma once
// The little JSON that lumvox-send reads and writes: one flat object per line.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace lumvox_send {

// Writes a JSON string literal (quotes included) for UTF-16 text; an unpaired
// surrogate is written as its \u escape so no byte is lost or invented.
std::string JsonString(std::u16string_view text);
std::string JsonString(std::string_view utf8);  // bytes that are not UTF-8 become \u00XX

using JsonValue = std::variant<std::nullptr_t, bool, double, std::u16string>;
using JsonObject = std::map<std::string, JsonValue>;

// Parses one flat object (values: strings, numbers, true/false/null); nullopt
// with `error` set when the line is not such an object.
std::optional<JsonObject> ParseFlatObject(std::string_view line, std::string& error);

// Builds `{"k":v,...}` in insertion order.
class JsonWriter {
public:
    JsonWriter& Field(std::string_view key, std::u16string_view text);
    JsonWriter& FieldUtf8(std::string_view key, std::string_view utf8);
    JsonWriter& Field(std::string_view key, long long number);
    JsonWriter& Field(std::string_view key, bool flag);
    JsonWriter& Null(std::string_view key);
    std::string Done() const { return out_ + "}"; }

private:
    JsonWriter& Key(std::string_view key);
    std::string out_ = "{";
};

}  // namespace lumvox_send
