#pragma once
// The markup check of what a request hands over, with positions in the
// request's own text, and the window's "마크업 검사" box for it. Portable.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/markup_check.h"
#include "core/send/request.h"

namespace lumvox::core {

// Findings on HandoverOf(request); what falls on the envelope goes to the nearer edge of the text.
std::vector<MarkupFinding> CheckRequestMarkup(const SendRequest& request);

struct MarkupBox {
    std::u16string text;               // MarkupReportKo of the findings
    std::optional<std::size_t> caret;  // where the first finding stands in the request's text
};
MarkupBox MarkupBoxFor(const SendRequest& request);

}  // namespace lumvox::core
