#pragma once
// Strict conversions between UTF-16 and UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace lumvox::core {

// Fails (nullopt) on an unpaired surrogate.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

// Fails (nullopt) on any ill-formed sequence: stray continuation byte, truncated
// sequence, overlong form, encoded surrogate, code point above U+10FFFF.
// A leading byte-order mark is kept as U+FEFF.
std::optional<std::u16string> Utf8ToUtf16(std::string_view bytes);

// The byte offset of the first sequence that Utf8ToUtf16 refuses; nullopt when
// the bytes are well-formed.
std::optional<size_t> FirstIllFormedUtf8(std::string_view bytes);

// Appends the strict decoding of `bytes` to `out`; false (out partly filled) on error.
bool AppendUtf8AsUtf16(std::string_view bytes, std::u16string& out);

// Lossy view for logs and test messages: unpaired surrogates become U+FFFD.
std::string ToUtf8Lossy(std::u16string_view text);

constexpr bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace lumvox::core
