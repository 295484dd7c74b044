#pragma once
// The bytes of the network channel's GET request, and the port it connects to.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/request_url.h"

namespace lumvox::core {

// Request line and the four fixed headers, in their order, then the empty line.
// Each character above U+007F goes out as "?", a surrogate pair being one character.
std::string WriteGetRequest(std::u16string_view target, std::u16string_view host_header);

// The request of the split URL: WriteGetRequest of its target and Host value.
std::string RequestBytes(const UrlParts& parts);

// A whole number from 1 to 65535 by the rule of whole_number.h, or nothing.
std::optional<std::uint16_t> ParsePortNumber(std::u16string_view text);

// 80 when the URL names no port; otherwise its port text read by ParsePortNumber.
// A ":" followed by nothing names an empty port, which is not a number.
std::optional<std::uint16_t> PortToConnect(const UrlParts& parts);

}  // namespace lumvox::core
