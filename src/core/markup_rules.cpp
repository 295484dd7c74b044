#include "markup_rules.h"

#include <algorithm>
#include <iterator>

#include "reference_texts.h"

namespace lumvox::core::markup {
namespace {

// SILENCE's MSEC lands in the speech API's unsigned 32-bit millisecond count.
constexpr long long kMaxMilliseconds = 4'294'967'295;

constexpr ElementRule kElements[] = {
    {u"sapi", Content::EnclosingOnly, false},
    {u"volume", Content::Either, true, {{{u"LEVEL", ValueKind::Clipped, 0, 100}}}, 1},
    {u"rate", Content::Either, true,
     {{{u"SPEED", ValueKind::Clipped, -10, 10}, {u"ABSSPEED", ValueKind::Clipped, -10, 10}}}, 2},
    {u"pitch", Content::Either, true,
     {{{u"MIDDLE", ValueKind::Clipped, -10, 10}, {u"ABSMIDDLE", ValueKind::Clipped, -10, 10}}}, 2},
    {u"emph", Content::EnclosingOnly, false},
    {u"spell", Content::EnclosingOnly, false},
    {u"silence", Content::EmptyOnly, false, {{{u"MSEC", ValueKind::Milliseconds, 0, kMaxMilliseconds}}}, 1},
    {u"bookmark", Content::EmptyOnly, false, {{{u"MARK"}}}, 1},
    {u"pron", Content::Either, false, {{{u"SYM"}}}, 1},
    {u"partofsp", Content::EnclosingOnly, false, {{{u"PART", ValueKind::PartOfSpeech}}}, 1},
    {u"context", Content::EnclosingOnly, false, {{{u"ID"}}}, 1},
    {u"voice", Content::Either, true,
     {{{u"REQUIRED", ValueKind::VoiceSelector}, {u"OPTIONAL", ValueKind::VoiceSelector}}}, 2},
    {u"lang", Content::Either, true, {{{u"LANGID", ValueKind::Langid}}}, 1},
    // The workshop's own envelopes around a text and a command.
    {u"lumvox", Content::EnclosingOnly, false},
    {u"cmd", Content::EnclosingOnly, false},
};

constexpr SsmlElement kSsmlElements[] = {
    {u"speak", u"sapi"},   {u"prosody", u"volume>, <rate>, <pitch"},
    {u"break", u"silence"}, {u"say-as", u"context"},
    {u"emphasis", u"emph"}, {u"phoneme", u"pron"},
    {u"mark", u"bookmark"}, {u"audio", u""},
    {u"p", u""},            {u"s", u""},
    {u"sub", u""},          {u"lexicon", u""},
    {u"meta", u""},         {u"metadata", u""},
    {u"desc", u""},
};

constexpr std::u16string_view kPartsOfSpeech[] = {u"Unknown", u"Noun",     u"Verb",
                                                  u"Modifier", u"Function", u"Interjection"};
constexpr std::u16string_view kVoiceAttributes[] = {u"Age",    u"Gender", u"Language",
                                                    u"Name",   u"Vendor", u"VendorPreferred"};
constexpr std::u16string_view kEntities[] = {u"amp", u"lt", u"gt", u"quot", u"apos"};

template <class Range>
bool AnyNoCase(const Range& names, std::u16string_view name) {
    return std::any_of(std::begin(names), std::end(names), [&](std::u16string_view n) { return EqualsNoCase(n, name); });
}

}  // namespace

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::size_t NoCaseHash::operator()(std::u16string_view s) const noexcept {
    std::size_t h = 1469598103934665603ull;
    for (char16_t c : s) h = (h ^ Lower(c)) * 1099511628211ull;
    return h;
}

std::u16string_view TrimSpaces(std::u16string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::optional<Whole> ParseWhole(std::u16string_view s) {
    s = TrimSpaces(s);
    bool negative = false, has_sign = false;
    if (!s.empty() && (s.front() == u'+' || s.front() == u'-')) {
        negative = s.front() == u'-';
        has_sign = true;
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    long long value = 0;
    for (char16_t c : s) {
        if (!IsDigit(c)) return std::nullopt;
        value = std::min(value * 10 + (c - u'0'), 10'000'000'000'000LL);
    }
    return Whole{negative ? -value : value, has_sign};
}

std::u16string CodePointName(unsigned long c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::u16string digits;
    for (; c || digits.size() < 4; c >>= 4) digits.insert(digits.begin(), char16_t(kHex[c & 15]));
    return u"U+" + digits;
}

const ElementRule* FindElement(std::u16string_view name) {
    for (const ElementRule& e : kElements)
        if (EqualsNoCase(e.name, name)) return &e;
    return nullptr;
}

const SsmlElement* FindSsml(std::u16string_view name) {
    for (const SsmlElement& e : kSsmlElements)
        if (EqualsNoCase(e.name, name)) return &e;
    return nullptr;
}

bool IsPartOfSpeech(std::u16string_view value) { return AnyNoCase(kPartsOfSpeech, value); }
bool IsVoiceAttribute(std::u16string_view key) { return AnyNoCase(kVoiceAttributes, key); }
// Entity names are case-sensitive in XML: "&AMP;" is no entity.
bool IsPredefinedEntity(std::u16string_view name) {
    return std::find(std::begin(kEntities), std::end(kEntities), name) != std::end(kEntities);
}

const std::vector<unsigned long>& ListedLangids() {
    static const std::vector<unsigned long> ids = [] {
        std::vector<unsigned long> out;
        for (std::u16string_view entry : kLanguageIds) {
            unsigned long id = 0;
            for (char16_t c : entry.substr(entry.rfind(u' ') + 1)) id = id * 16 + HexValue(c);
            out.push_back(id);
        }
        return out;
    }();
    return ids;
}

}  // namespace lumvox::core::markup
