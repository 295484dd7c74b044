#pragma once
// The checker as the page-level check needs it. Internal to the markup check.
#include <cstddef>
#include <string_view>

#include "markup_check.h"

namespace lumvox::core::markup {

// `text` is the protocol envelope around the checked text at [inner_begin, inner_end).
MarkupFindings CheckEnveloped(std::u16string_view text, std::size_t inner_begin, std::size_t inner_end,
                              std::size_t keep);

}  // namespace lumvox::core::markup
