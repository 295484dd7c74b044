#pragma once
// The findings' table, as the checker needs it. Internal to the markup check.
#include "markup_check.h"

namespace lumvox::core::markup {

Severity SeverityOf(MarkupCode code);

}  // namespace lumvox::core::markup
