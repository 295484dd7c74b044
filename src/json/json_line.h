#pragma once
// One JSON object on one line, members in the order they are added. The
// object is an nlohmann::ordered_json; only its strings are spelled by
// JsonString, in the escape style each tool has always written. Portable.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "json/json_string.h"

namespace lumvox::json {

class JsonLine {
public:
    explicit JsonLine(EscapeStyle style);
    JsonLine(JsonLine&&) noexcept;
    JsonLine& operator=(JsonLine&&) noexcept;
    ~JsonLine();

    // Member names are the caller's own plain ASCII. UTF-8 that is not
    // well-formed and UTF-16 with an unpaired surrogate are kept exactly and
    // written as escapes (see JsonString).
    JsonLine& Text(std::string_view name, std::string_view utf8);
    JsonLine& Text(std::string_view name, std::u16string_view text);
    JsonLine& Number(std::string_view name, int64_t value);
    JsonLine& Flag(std::string_view name, bool value);
    JsonLine& Null(std::string_view name);
    JsonLine& List(std::string_view name, const std::vector<std::string>& utf8_items);
    // Any JSON value, nested objects and arrays included.
    JsonLine& Value(std::string_view name, const nlohmann::ordered_json& value);

    const nlohmann::ordered_json& Object() const { return *object_; }
    std::string Finish() const;

private:
    EscapeStyle style_;
    std::unique_ptr<nlohmann::ordered_json> object_;
};

// Any JSON value in `style`: the library's spelling for numbers, booleans and
// null, JsonString's for strings.
std::string WriteJson(const nlohmann::ordered_json& value, EscapeStyle style);

}  // namespace lumvox::json
