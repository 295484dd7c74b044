#include "host_facts.h"

namespace lumvox::core {
namespace {

void AppendHex4(std::u16string& out, uint16_t value) {
    constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

}  // namespace

std::u16string DottedQuad(const std::array<uint8_t, 4>& bytes) {
    std::u16string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i) out += u'.';
        for (char c : std::to_string(bytes[i])) out += static_cast<char16_t>(c);
    }
    return out;
}

std::u16string VersionTableKey(uint16_t language, uint16_t code_page) {
    std::u16string key;
    AppendHex4(key, language);
    AppendHex4(key, code_page);
    return key;
}

std::u16string VersionTableKey(uint32_t translation_entry) {
    return VersionTableKey(static_cast<uint16_t>(translation_entry & 0xFFFF),
                           static_cast<uint16_t>(translation_entry >> 16));
}

}  // namespace lumvox::core
