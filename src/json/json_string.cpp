#include "json/json_string.h"

#include "core/utf.h"

namespace lumvox::json {
namespace {

void PutHexEscape(unsigned unit, EscapeStyle style, std::string& out) {
    std::string_view digits = style == EscapeStyle::LowerHex ? "0123456789abcdef" : "0123456789ABCDEF";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(unit >> shift) & 0xF];
}

// The two-character escape for `c`, or empty when it has none in this style.
std::string_view ShortEscape(char c, EscapeStyle style) {
    bool all_short_forms = style == EscapeStyle::ShortFormsUpperHex;
    switch (c) {
    case '"': return "\\\"";
    case '\\': return "\\\\";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    case '\b': return all_short_forms ? "\\b" : "";
    case '\f': return all_short_forms ? "\\f" : "";
    default: return "";
    }
}

void PutAscii(char c, EscapeStyle style, std::string& out) {
    if (auto escape = ShortEscape(c, style); !escape.empty()) out += escape;
    else if (static_cast<unsigned char>(c) < 0x20) PutHexEscape(static_cast<unsigned char>(c), style, out);
    else out += c;
}

}  // namespace

std::string JsonString(std::u16string_view text, EscapeStyle style) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        bool paired = lumvox::core::IsHighSurrogate(unit) && i + 1 < text.size() &&
                      lumvox::core::IsLowSurrogate(text[i + 1]);
        size_t length = paired ? 2 : 1;
        if (unit < 0x80) PutAscii(static_cast<char>(unit), style, out);
        else if (auto utf8 = lumvox::core::Utf16ToUtf8(text.substr(i, length))) out += *utf8;
        else PutHexEscape(unit, style, out);  // an unpaired surrogate: no UTF-8 form
        i += length - 1;
    }
    return out + "\"";
}

std::string JsonString(std::string_view utf8, EscapeStyle style) {
    // Text that is not UTF-8 is written byte for byte, each byte as the code
    // point of its value, so that a reader gets back exactly the bytes given.
    bool well_formed = lumvox::core::Utf8ToUtf16(utf8).has_value();
    std::string out = "\"";
    for (char c : utf8) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) PutAscii(c, style, out);
        else if (well_formed) out += c;
        else PutHexEscape(byte, style, out);
    }
    return out + "\"";
}

}  // namespace lumvox::json
