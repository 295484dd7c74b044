#pragma once
// Reads back the stand-in's log lines: JSON objects whose values are strings,
// integers, booleans, null, lists of strings, or lists of objects (kept whole).
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

namespace lumvox::standin {

using JsonValue = std::variant<std::nullptr_t, bool, int64_t, std::string, std::vector<std::string>, nlohmann::json>;
using JsonObject = std::map<std::string, JsonValue, std::less<>>;

// nullopt unless `line` is exactly one such object (surrounding blanks allowed).
std::optional<JsonObject> ParseJsonObject(std::string_view line);

// The member's value when it has that type; nullopt when missing or of another type.
template <class T>
std::optional<T> Member(const JsonObject& object, std::string_view name) {
    auto it = object.find(name);
    if (it == object.end()) return std::nullopt;
    if (const T* value = std::get_if<T>(&it->second)) return *value;
    return std::nullopt;
}

}  // namespace lumvox::standin
