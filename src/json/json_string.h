#pragma once
// JSON string literals for the tools' one-line outputs. Portable.
#include <string>
#include <string_view>

namespace lumvox::json {

// Two spellings of the same JSON. Scripts and logs already read one or the
// other, so each tool keeps the one it has always written.
enum class EscapeStyle {
    LowerHex,            // \n \r \t; any other control as \u001f
    ShortFormsUpperHex,  // \b \f \n \r \t; any other control as \u001F
};

// A JSON string literal, quotes included. Only '"', '\' and controls are
// escaped; all other text is written as UTF-8. What has no UTF-8 form is
// escaped rather than lost: an unpaired surrogate as \ud800, and in bytes that
// are not well-formed UTF-8, every byte above 0x7F as \u00XX.
std::string JsonString(std::u16string_view text, EscapeStyle style);
std::string JsonString(std::string_view utf8, EscapeStyle style);

}  // namespace lumvox::json
