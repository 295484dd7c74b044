#pragma once
// Markup findings as the JSON array that lumvox-send's --json and the
// stand-in's log carry. Portable.
#include <vector>

#include <nlohmann/json.hpp>

#include "core/markup_check.h"

namespace lumvox::json {

// [{"line":1,"column":16,"severity":"warning","code":"value-clipped","message":"..."}, ...]
nlohmann::ordered_json FindingsJson(const std::vector<lumvox::core::MarkupFinding>& findings);

}  // namespace lumvox::json
