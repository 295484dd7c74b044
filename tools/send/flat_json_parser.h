#pragma once
// The little JSON that lumvox-send reads: one flat object per batch line.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace lumvox::send {

using JsonValue = std::variant<std::nullptr_t, bool, double, std::u16string>;
using JsonObject = std::map<std::string, JsonValue>;

// Parses one flat object (values: strings, numbers, true/false/null); nullopt
// with `error` set when the line is not such an object.
std::optional<JsonObject> ParseFlatObject(std::string_view line, std::string& error);

}  // namespace lumvox::send
