#include "json_reader.h"

#include <algorithm>
#include <set>

namespace lumvox::standin {

std::optional<JsonObject> ParseJsonObject(std::string_view line) {
    using nlohmann::json;
    // The library keeps the last of two equal names; a log line that repeats one is wrong.
    bool repeated_name = false;
    std::set<std::string> names;
    json::parser_callback_t note_names = [&](int depth, json::parse_event_t event, json& parsed) {
        if (depth == 1 && event == json::parse_event_t::key && !names.insert(parsed.get<std::string>()).second)
            repeated_name = true;
        return true;
    };
    json parsed = json::parse(line, note_names, /*allow_exceptions=*/false);
    if (parsed.is_discarded() || !parsed.is_object() || repeated_name) return std::nullopt;

    JsonObject object;
    for (auto& [name, value] : parsed.items()) {
        if (value.is_null()) object.emplace(name, nullptr);
        else if (value.is_boolean()) object.emplace(name, value.get<bool>());
        else if (value.is_number_integer()) object.emplace(name, value.get<int64_t>());
        else if (value.is_string()) object.emplace(name, value.get<std::string>());
        else if (value.is_array() && std::all_of(value.begin(), value.end(), [](const json& v) { return v.is_string(); }))
            object.emplace(name, value.get<std::vector<std::string>>());
        else if (value.is_array() && std::all_of(value.begin(), value.end(), [](const json& v) { return v.is_object(); }))
            object.emplace(name, value);
        else return std::nullopt;  // the log writes no other kind of value
    }
    return object;
}

}  // namespace lumvox::standin
