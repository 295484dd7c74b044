#pragma once
// What the speech API knows of its markup: the elements, their attributes and
// the values they take, and the character classes the checker reads names by.
// Internal to the markup check.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumvox::core::markup {

constexpr char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

struct NoCaseHash {
    std::size_t operator()(std::u16string_view s) const noexcept;
};
struct NoCaseEqual {
    bool operator()(std::u16string_view a, std::u16string_view b) const noexcept { return EqualsNoCase(a, b); }
};

constexpr bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
constexpr bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
constexpr bool IsHexDigit(char16_t c) {
    return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
constexpr unsigned HexValue(char16_t c) { return IsDigit(c) ? c - u'0' : Lower(c) - u'a' + 10; }
// XML allows most letters of every script in names; the speech API reads the
// same names, so anything above ASCII counts as a name character.
constexpr bool IsNameStart(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' || c >= 0x80;
}
constexpr bool IsNameChar(char16_t c) { return IsNameStart(c) || IsDigit(c) || c == u'-' || c == u'.'; }

std::u16string_view TrimSpaces(std::u16string_view s);

struct Whole {
    long long value;
    bool has_sign;
};
// A whole number with an optional sign; huge values saturate far past any range checked.
std::optional<Whole> ParseWhole(std::u16string_view s);

// XML's Char: what a character reference may name.
constexpr bool IsXmlChar(unsigned long c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}
std::u16string CodePointName(unsigned long c);  // "U+0000"

enum class Content { Either, EnclosingOnly, EmptyOnly };
enum class ValueKind { Any, Clipped, Milliseconds, Langid, PartOfSpeech, VoiceSelector };

struct AttributeRule {
    std::u16string_view name;  // upper case, as the API's documentation writes it
    ValueKind kind = ValueKind::Any;
    long long low = 0, high = 0;
};

struct ElementRule {
    std::u16string_view name;
    Content content;
    bool applies_to_rest;  // left open, it governs the rest of the text
    std::array<AttributeRule, 2> attributes{};  // at least one is required when any exist
    int attribute_count = 0;
};

// SSML elements that testers mix in, with the SAPI 5 element that does the job.
struct SsmlElement {
    std::u16string_view name;
    std::u16string_view instead;
};

const ElementRule* FindElement(std::u16string_view name);
const SsmlElement* FindSsml(std::u16string_view name);
bool IsPartOfSpeech(std::u16string_view value);
bool IsVoiceAttribute(std::u16string_view key);
bool IsPredefinedEntity(std::u16string_view name);
// The language identifiers of the workshop's list ("한국어 : 412"), as numbers.
const std::vector<unsigned long>& ListedLangids();

}  // namespace lumvox::core::markup
