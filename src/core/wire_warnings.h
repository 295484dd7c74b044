#pragma once
// What the wire does to a text that a tester may not expect, found before the
// send and never changing what is sent. Portable.
#include <string_view>
#include <vector>

#include "request_url.h"
#include "send_outcome.h"

namespace lumvox::core {

// For the network: `parts` is the split that built the encoded URL, of a raw
// URL whose message text starts at `text_begin`. Finds the "#" that cuts the
// text (and the closing "=lumvox"), the "?" that starts the parameters, where
// "+" travels raw, the backslashes that go out as "/", and the U+007F that go
// out raw.
std::vector<WireWarning> NetworkWarnings(const UrlParts& parts, size_t text_begin, std::u16string_view text);

// A request whose first line is longer than many servers take.
std::vector<WireWarning> RequestLineWarnings(std::string_view request);

// For copy-data and the clipboard: a U+0000, where most receivers stop reading.
std::vector<WireWarning> NulWarnings(std::u16string_view text);

}  // namespace lumvox::core
