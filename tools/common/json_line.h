#pragma once
// One flat JSON object on one line, members in the order they are added. Portable.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/json_string.h"

namespace lumvox::json {

// Member names are the caller's own plain ASCII; texts are spelled in `style`.
class JsonLine {
public:
    explicit JsonLine(EscapeStyle style) : style_(style) {}
    JsonLine& Text(std::string_view name, std::string_view utf8);
    JsonLine& Text(std::string_view name, std::u16string_view text);
    JsonLine& Number(std::string_view name, int64_t value);
    JsonLine& Flag(std::string_view name, bool value);
    JsonLine& Null(std::string_view name);
    JsonLine& List(std::string_view name, const std::vector<std::string>& utf8_items);
    std::string Finish() const { return out_ + "}"; }

private:
    void Name(std::string_view name);
    EscapeStyle style_;
    std::string out_ = "{";
};

}  // namespace lumvox::json
