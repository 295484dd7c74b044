#pragma once
// The portable halves of the host facts: how an address and a version-table key are written.
#include <array>
#include <cstdint>
#include <string>

namespace lumvox::core {

// Four bytes in network order as dotted decimal without leading zeros: "10.0.0.5".
std::u16string DottedQuad(const std::array<uint8_t, 4>& bytes);

// The string-table key of one translation entry: language then code page, each as
// four upper-case hex digits ("040904E4").
std::u16string VersionTableKey(uint16_t language, uint16_t code_page);

// A Translation entry as stored: language in the low half, code page in the high half.
std::u16string VersionTableKey(uint32_t translation_entry);

}  // namespace lumvox::core
