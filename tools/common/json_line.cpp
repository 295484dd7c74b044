#include "common/json_line.h"

namespace lumvox::json {

void JsonLine::Name(std::string_view name) {
    if (out_.size() > 1) out_ += ',';
    out_ += JsonString(name, style_);
    out_ += ':';
}

JsonLine& JsonLine::Text(std::string_view name, std::string_view utf8) {
    Name(name);
    out_ += JsonString(utf8, style_);
    return *this;
}

JsonLine& JsonLine::Text(std::string_view name, std::u16string_view text) {
    Name(name);
    out_ += JsonString(text, style_);
    return *this;
}

JsonLine& JsonLine::Number(std::string_view name, int64_t value) {
    Name(name);
    out_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::Flag(std::string_view name, bool value) {
    Name(name);
    out_ += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::Null(std::string_view name) {
    Name(name);
    out_ += "null";
    return *this;
}

JsonLine& JsonLine::List(std::string_view name, const std::vector<std::string>& utf8_items) {
    Name(name);
    out_ += '[';
    for (size_t i = 0; i < utf8_items.size(); ++i) {
        if (i) out_ += ',';
        out_ += JsonString(utf8_items[i], style_);
    }
    out_ += ']';
    return *this;
}

}  // namespace lumvox::json
