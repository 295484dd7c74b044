#pragma once
// The markup check of what a request hands over, with positions in the
// request's own text, and the window's "마크업 검사" box for it. Portable.
#include <cstddef>
#include <optional>
#include <string>

#include "core/markup_check.h"
#include "core/send/request.h"

namespace lumvox::core {

// Findings on HandoverOf(request), the first `keep` kept and the rest counted;
// what falls on the envelope goes to the nearer edge of the text. The protocol
// envelope never turns a text's verdict: only its own tags' findings differ.
MarkupFindings CheckRequestMarkup(const SendRequest& request, std::size_t keep = kMarkupFindingsKept);
// The same for `text` as `channel` would hand it over, without a request of its own.
MarkupFindings CheckHandoverMarkup(SendChannel channel, std::u16string_view text, bool protocol,
                                   std::size_t keep = kMarkupFindingsKept);

struct MarkupBox {
    std::u16string text;               // MarkupReportKo of the findings, the left out counted
    std::optional<std::size_t> caret;  // where the first finding stands in the request's text
};
MarkupBox MarkupBoxFor(const SendRequest& request);

}  // namespace lumvox::core
