#include "common/markup_json.h"

namespace lumvox::json {

nlohmann::ordered_json FindingsJson(const std::vector<lumvox::core::MarkupFinding>& findings) {
    auto array = nlohmann::ordered_json::array();
    for (const auto& f : findings) {
        nlohmann::ordered_json item;
        item["line"] = f.line;
        item["column"] = f.column;
        item["severity"] = std::string(lumvox::core::SeverityName(f.severity));
        item["code"] = std::string(lumvox::core::CodeName(f.code));
        item["message"] = lumvox::core::MessageEn(f);
        array.push_back(std::move(item));
    }
    return array;
}

}  // namespace lumvox::json
