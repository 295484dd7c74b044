#include "markup_check.h"

#include <algorithm>
#include <array>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "reference_texts.h"
#include "text_rules.h"
#include "utf.h"

namespace lumvox::core {
namespace {

constexpr std::size_t kNone = std::u16string_view::npos;
// Names and values are quoted in messages; a fuzzed megabyte-long name is cut.
constexpr std::size_t kQuotedMax = 40;

constexpr char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

struct NoCaseHash {
    std::size_t operator()(std::u16string_view s) const noexcept {
        std::size_t h = 1469598103934665603ull;
        for (char16_t c : s) h = (h ^ Lower(c)) * 1099511628211ull;
        return h;
    }
};
struct NoCaseEqual {
    bool operator()(std::u16string_view a, std::u16string_view b) const noexcept { return EqualsNoCase(a, b); }
};

constexpr bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
constexpr bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
constexpr bool IsHexDigit(char16_t c) {
    return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
// XML allows most letters of every script in names; the speech API reads the
// same names, so anything above ASCII counts as a name character.
constexpr bool IsNameStart(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' || c >= 0x80;
}
constexpr bool IsNameChar(char16_t c) { return IsNameStart(c) || IsDigit(c) || c == u'-' || c == u'.'; }

std::u16string_view TrimSpaces(std::u16string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::u16string Quoted(std::u16string_view s) {
    if (s.size() <= kQuotedMax) return std::u16string(s);
    std::u16string cut(s.substr(0, kQuotedMax));
    if (IsHighSurrogate(cut.back())) cut.pop_back();
    return cut + u"…";
}

// A whole number with an optional sign; huge values saturate.
std::optional<long> ParseWhole(std::u16string_view s, bool sign_allowed) {
    s = TrimSpaces(s);
    bool negative = false;
    if (sign_allowed && !s.empty() && (s.front() == u'+' || s.front() == u'-')) {
        negative = s.front() == u'-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    long value = 0;
    for (char16_t c : s) {
        if (!IsDigit(c)) return std::nullopt;
        value = std::min(value * 10 + (c - u'0'), 1'000'000'000L);
    }
    return negative ? -value : value;
}

// --- What the speech API knows -------------------------------------------

enum class Content { Either, EnclosingOnly, EmptyOnly };
enum class ValueKind { Any, Clipped, Milliseconds, Langid, PartOfSpeech, VoiceSelector };

struct AttributeRule {
    std::u16string_view name;  // upper case, as the API's documentation writes it
    ValueKind kind = ValueKind::Any;
    int low = 0, high = 0;
};

struct ElementRule {
    std::u16string_view name;
    Content content;
    bool applies_to_rest;  // left open, it governs the rest of the text
    std::array<AttributeRule, 2> attributes{};  // at least one is required when any exist
    int attribute_count = 0;
};

constexpr ElementRule kElements[] = {
    {u"sapi", Content::EnclosingOnly, false},
    {u"volume", Content::Either, true, {{{u"LEVEL", ValueKind::Clipped, 0, 100}}}, 1},
    {u"rate", Content::Either, true,
     {{{u"SPEED", ValueKind::Clipped, -10, 10}, {u"ABSSPEED", ValueKind::Clipped, -10, 10}}}, 2},
    {u"pitch", Content::Either, true,
     {{{u"MIDDLE", ValueKind::Clipped, -10, 10}, {u"ABSMIDDLE", ValueKind::Clipped, -10, 10}}}, 2},
    {u"emph", Content::EnclosingOnly, false},
    {u"spell", Content::EnclosingOnly, false},
    {u"silence", Content::EmptyOnly, false, {{{u"MSEC", ValueKind::Milliseconds}}}, 1},
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

// SSML elements that testers mix in, with the SAPI 5 element that does the job.
struct SsmlElement {
    std::u16string_view name;
    std::u16string_view instead;
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

// The language identifiers of the workshop's list ("한국어 : 412"), as numbers.
const std::vector<unsigned long>& ListedLangids() {
    static const std::vector<unsigned long> ids = [] {
        std::vector<unsigned long> out;
        for (std::u16string_view entry : kLanguageIds) {
            unsigned long id = 0;
            for (char16_t c : entry.substr(entry.rfind(u' ') + 1))
                id = id * 16 + (IsDigit(c) ? c - u'0' : Lower(c) - u'a' + 10);
            out.push_back(id);
        }
        return out;
    }();
    return ids;
}

// --- Positions --------------------------------------------------------------

// Line and column of offsets asked for in increasing order, in one pass.
class LineCursor {
public:
    explicit LineCursor(std::u16string_view text) : text_(text) {}
    void MoveTo(std::size_t offset) {
        if (offset < pos_) pos_ = line_start_ = 0, line_ = 1;
        for (; pos_ < offset && pos_ < text_.size(); ++pos_) {
            char16_t c = text_[pos_];
            if (c == u'\r' || (c == u'\n' && !(pos_ > 0 && text_[pos_ - 1] == u'\r'))) ++line_;
            if (c == u'\r' || c == u'\n') line_start_ = pos_ + 1;
        }
    }
    std::size_t line() const { return line_; }
    std::size_t column(std::size_t offset) const { return offset - line_start_ + 1; }

private:
    std::u16string_view text_;
    std::size_t pos_ = 0, line_start_ = 0, line_ = 1;
};

// --- The checker ------------------------------------------------------------

struct Attribute {
    std::u16string_view name;
    std::size_t name_offset;
    std::u16string_view value;
    std::size_t value_offset = 0;
    bool has_value = false;
    bool quoted = false;
    bool broken = false;  // its quote never closes; the broken tag says so
};

struct OpenElement {
    std::u16string_view name;
    std::size_t offset, line, column;
    const ElementRule* rule;
    bool closed = false;
    bool reported = false;  // its start tag already has an error that says it all
};

class Checker {
public:
    explicit Checker(std::u16string_view text) : t_(text), n_(text.size()), cursor_(text) {}

    std::vector<MarkupFinding> Run() {
        std::size_t i = 0;
        while (i < n_) {
            char16_t c = t_[i];
            if (c == u'<') i = LessThan(i);
            else if (c == u'&') i = Ampersand(i, n_);
            else ++i;
        }
        // Plain text is spoken as it stands: "AT&T" or "1 < 2" there is no fault.
        if (!saw_tag_ && t_.front() != u'<') return {};
        FinishOpenElements();
        std::stable_sort(out_.begin(), out_.end(),
                         [](const MarkupFinding& a, const MarkupFinding& b) { return a.offset < b.offset; });
        LineCursor positions(t_);
        for (MarkupFinding& f : out_) {
            positions.MoveTo(f.offset);
            f.line = positions.line();
            f.column = positions.column(f.offset);
        }
        return std::move(out_);
    }

private:
    MarkupFinding& Add(MarkupCode code, Severity severity, std::size_t offset, std::u16string_view name,
                       std::u16string_view value = {}) {
        out_.push_back({code, severity, offset, 0, 0, Quoted(name), Quoted(value)});
        return out_.back();
    }

    void SawTag(std::size_t offset) {
        if (saw_tag_) return;
        saw_tag_ = true;
        if (t_.front() != u'<') Add(MarkupCode::MarkupNotParsed, Severity::Warning, offset, u"");
    }

    std::u16string_view ReadName(std::size_t& p) const {
        std::size_t start = p;
        while (p < n_ && IsNameChar(t_[p])) ++p;
        return t_.substr(start, p - start);
    }

    void SkipSpaces(std::size_t& p) const {
        while (p < n_ && IsSpace(t_[p])) ++p;
    }

    std::size_t LessThan(std::size_t i) {
        if (i + 1 < n_) {
            char16_t next = t_[i + 1];
            if (next == u'/') return EndTag(i);
            if (next == u'!' || next == u'?') return Declaration(i);
            if (IsNameStart(next)) return StartTag(i);
        }
        Add(MarkupCode::StrayLessThan, Severity::Error, i, u"");
        return i + 1;
    }

    // Comments, CDATA sections, processing instructions and declarations are
    // skipped whole; one without its end swallows the rest of the text.
    std::size_t Declaration(std::size_t i) {
        SawTag(i);
        std::u16string_view rest = t_.substr(i);
        std::u16string_view close = rest.starts_with(u"<!--")        ? u"-->"
                                    : rest.starts_with(u"<![CDATA[") ? u"]]>"
                                    : rest[1] == u'?'                ? u"?>"
                                                                     : u">";
        std::size_t from = i + (close == u">" ? 2 : 4);
        std::size_t end = t_.find(close, std::min(from, n_));
        if (end == std::u16string_view::npos) {
            Add(MarkupCode::BrokenTag, Severity::Error, i, rest.substr(0, std::min<std::size_t>(rest.size(), 4)));
            return n_;
        }
        return end + close.size();
    }

    std::size_t EndTag(std::size_t i) {
        SawTag(i);
        std::size_t p = i + 2;
        std::u16string_view name = ReadName(p);
        SkipSpaces(p);
        if (p < n_ && t_[p] == u'>') {
            ++p;
        } else {
            Add(MarkupCode::BrokenTag, Severity::Error, p, std::u16string(u"/") + std::u16string(name));
        }
        if (!name.empty()) Close(i, name);
        return std::max(p, i + 2);
    }

    void Close(std::size_t offset, std::u16string_view name) {
        auto it = open_by_name_.find(name);
        if (it == open_by_name_.end() || it->second.empty()) {
            Add(MarkupCode::UnmatchedEndTag, Severity::Error, offset, name);
            return;
        }
        std::size_t index = it->second.back();
        it->second.pop_back();
        if (index != stack_.size() - 1) {
            const OpenElement& inner = stack_.back();
            MarkupFinding& f = Add(MarkupCode::MisnestedTag, Severity::Error, offset, name, inner.name);
            f.other_offset = inner.offset;
            f.other_line = inner.line;
            f.other_column = inner.column;
        }
        // Closed out of order, it is marked and leaves the stack once it is on top.
        stack_[index].closed = true;
        while (!stack_.empty() && stack_.back().closed) stack_.pop_back();
    }

    std::size_t StartTag(std::size_t i) {
        SawTag(i);
        std::size_t p = i + 1;
        std::u16string_view name = ReadName(p);
        attributes_.clear();
        bool self_closing = false;
        std::size_t broken_at = kNone;
        while (true) {
            SkipSpaces(p);
            if (p >= n_ || t_[p] == u'<') {  // no ">": the tag ends where the next one begins
                if (broken_at == kNone) broken_at = p;
                break;
            }
            char16_t c = t_[p];
            if (c == u'>') {
                ++p;
                break;
            }
            if (c == u'/' && p + 1 < n_ && t_[p + 1] == u'>') {
                self_closing = true;
                p += 2;
                break;
            }
            if (!IsNameStart(c)) {  // skip the stray word, so one slip gives one finding
                if (broken_at == kNone) broken_at = p;
                do ++p;
                while (p < n_ && !IsSpace(t_[p]) && t_[p] != u'>' && t_[p] != u'<' && t_[p] != u'/');
                continue;
            }
            Attribute a{ReadName(p), 0, {}};
            a.name_offset = p - a.name.size();
            std::size_t before_equals = p;
            SkipSpaces(p);
            if (p < n_ && t_[p] == u'=') {
                ++p;
                SkipSpaces(p);
                a.has_value = true;
                a.value_offset = p;
                if (p < n_ && (t_[p] == u'"' || t_[p] == u'\'')) {
                    char16_t quote = t_[p];
                    std::size_t q = p + 1;
                    while (q < n_ && t_[q] != quote && t_[q] != u'<') ++q;
                    if (q < n_ && t_[q] == quote) {
                        a.quoted = true;
                        a.value_offset = p + 1;
                        a.value = t_.substr(p + 1, q - p - 1);
                        p = q + 1;
                    } else {  // the quote is never closed: the tag breaks at it
                        if (broken_at == kNone) broken_at = p;
                        a.broken = true;
                        p = q;
                    }
                } else {
                    std::size_t q = p;
                    while (q < n_ && !IsSpace(t_[q]) && t_[q] != u'>' && t_[q] != u'<' &&
                           !(t_[q] == u'/' && q + 1 < n_ && t_[q + 1] == u'>'))
                        ++q;
                    a.value = t_.substr(p, q - p);
                    p = q;
                }
            } else {
                p = before_equals;
            }
            attributes_.push_back(a);
        }
        const ElementRule* rule = CheckStartTag(i, name, self_closing);
        CheckAttributes(rule, name);
        if (broken_at != kNone) Add(MarkupCode::BrokenTag, Severity::Error, broken_at, name);
        if (!self_closing) {
            cursor_.MoveTo(i);
            bool reported = rule && rule->content == Content::EmptyOnly;
            stack_.push_back({name, i, cursor_.line(), cursor_.column(i), rule, false, reported});
            open_by_name_[name].push_back(stack_.size() - 1);
        }
        return p;
    }

    const ElementRule* CheckStartTag(std::size_t i, std::u16string_view name, bool self_closing) {
        const ElementRule* rule = FindElement(name);
        if (!rule) {
            if (const SsmlElement* ssml = FindSsml(name))
                Add(MarkupCode::SsmlElement, Severity::Warning, i, name, ssml->instead);
            else
                Add(MarkupCode::UnknownElement, Severity::Warning, i, name);
            return nullptr;
        }
        if (self_closing && rule->content == Content::EnclosingOnly)
            Add(MarkupCode::MustEnclose, Severity::Error, i, name);
        if (!self_closing && rule->content == Content::EmptyOnly)
            Add(MarkupCode::MustBeEmpty, Severity::Error, i, name);
        if (rule->attribute_count > 0) {
            bool present = std::any_of(attributes_.begin(), attributes_.end(), [&](const Attribute& a) {
                return std::any_of(rule->attributes.begin(), rule->attributes.begin() + rule->attribute_count,
                                   [&](const AttributeRule& s) { return EqualsNoCase(s.name, a.name); });
            });
            if (!present) {
                std::u16string wanted(rule->attributes[0].name);
                if (rule->attribute_count > 1) wanted += u"|" + std::u16string(rule->attributes[1].name);
                Add(MarkupCode::MissingAttribute, Severity::Error, i, name, wanted);
            }
        }
        return rule;
    }

    void CheckAttributes(const ElementRule* rule, std::u16string_view element) {
        // A set only for long attribute lists: most tags have one or two.
        constexpr std::size_t kShortList = 8;
        const bool use_set = attributes_.size() > kShortList;
        if (use_set) seen_.clear();
        for (std::size_t k = 0; k < attributes_.size(); ++k) {
            const Attribute& a = attributes_[k];
            bool repeated = use_set ? !seen_.insert(a.name).second
                                    : std::any_of(attributes_.begin(), attributes_.begin() + k,
                                                  [&](const Attribute& b) { return EqualsNoCase(a.name, b.name); });
            if (repeated) {
                Add(MarkupCode::RepeatedAttribute, Severity::Error, a.name_offset, a.name);
                continue;
            }
            if (a.broken) continue;
            if (!a.has_value) {
                Add(MarkupCode::MissingValue, Severity::Error, a.name_offset, a.name);
                continue;
            }
            if (!a.quoted) {
                Add(MarkupCode::UnquotedValue, Severity::Error, a.value_offset, a.name, a.value);
                continue;
            }
            for (std::size_t q = 0; q < a.value.size(); ++q)
                if (a.value[q] == u'&') q = Ampersand(a.value_offset + q, a.value_offset + a.value.size()) - 1 - a.value_offset;
            if (!rule) continue;
            const AttributeRule* known = nullptr;
            for (int k = 0; k < rule->attribute_count; ++k)
                if (EqualsNoCase(rule->attributes[k].name, a.name)) known = &rule->attributes[k];
            if (!known) {
                Add(MarkupCode::UnknownAttribute, Severity::Warning, a.name_offset, a.name, element);
                continue;
            }
            CheckValue(*known, a);
        }
    }

    void CheckValue(const AttributeRule& rule, const Attribute& a) {
        switch (rule.kind) {
        case ValueKind::Any:
            return;
        case ValueKind::Clipped: {
            auto v = ParseWhole(a.value, true);
            if (!v) {
                Add(MarkupCode::NotANumber, Severity::Error, a.value_offset, a.name, a.value);
            } else if (*v < rule.low || *v > rule.high) {
                MarkupFinding& f = Add(MarkupCode::ValueClipped, Severity::Warning, a.value_offset, a.name, a.value);
                f.low = rule.low;
                f.high = rule.high;
            }
            return;
        }
        case ValueKind::Milliseconds:
            if (!ParseWhole(a.value, false)) Add(MarkupCode::NotANumber, Severity::Error, a.value_offset, a.name, a.value);
            return;
        case ValueKind::Langid: {
            std::u16string_view v = TrimSpaces(a.value);
            if (v.empty() || !std::all_of(v.begin(), v.end(), IsHexDigit)) {
                Add(MarkupCode::LangidNotHex, Severity::Warning, a.value_offset, a.name, a.value);
                return;
            }
            unsigned long id = 0;
            for (char16_t c : v) id = std::min(id * 16 + (IsDigit(c) ? c - u'0' : Lower(c) - u'a' + 10), 0xFFFFFul);
            const auto& listed = ListedLangids();
            if (std::find(listed.begin(), listed.end(), id) == listed.end())
                Add(MarkupCode::LangidNotListed, Severity::Warning, a.value_offset, a.name, a.value);
            return;
        }
        case ValueKind::PartOfSpeech: {
            std::u16string_view v = TrimSpaces(a.value);
            if (std::none_of(std::begin(kPartsOfSpeech), std::end(kPartsOfSpeech),
                             [&](std::u16string_view p) { return EqualsNoCase(p, v); }))
                Add(MarkupCode::UnknownValue, Severity::Warning, a.value_offset, a.name, a.value);
            return;
        }
        case ValueKind::VoiceSelector: {
            // "Gender=Female;Age!=Child": each part names a voice attribute.
            std::size_t start = 0;
            while (start <= a.value.size()) {
                std::size_t end = std::min(a.value.find(u';', start), a.value.size());
                std::u16string_view part = a.value.substr(start, end - start);
                std::u16string_view key = TrimSpaces(part.substr(0, part.find(u'=')));
                if (!key.empty() && key.back() == u'!') key = TrimSpaces(key.substr(0, key.size() - 1));
                if (!TrimSpaces(part).empty() &&
                    std::none_of(std::begin(kVoiceAttributes), std::end(kVoiceAttributes),
                                 [&](std::u16string_view k) { return EqualsNoCase(k, key); }))
                    Add(MarkupCode::UnknownValue, Severity::Warning, a.value_offset + start, a.name, TrimSpaces(part));
                start = end + 1;
            }
            return;
        }
        }
    }

    // "&" must begin one of XML's five entities or a character reference.
    // Returns the offset after the reference, or after the "&" when it is stray.
    std::size_t Ampersand(std::size_t i, std::size_t limit) {
        std::size_t p = i + 1;
        if (p < limit && t_[p] == u'#') {
            ++p;
            bool hex = p < limit && t_[p] == u'x';
            if (hex) ++p;
            std::size_t digits = p;
            while (p < limit && (hex ? IsHexDigit(t_[p]) : IsDigit(t_[p]))) ++p;
            if (p > digits && p < limit && t_[p] == u';') return p + 1;
        } else {
            std::size_t start = p;
            while (p < limit && IsNameChar(t_[p])) ++p;
            std::u16string_view name = t_.substr(start, p - start);
            if (p < limit && t_[p] == u';' &&
                std::find(std::begin(kEntities), std::end(kEntities), name) != std::end(kEntities))
                return p + 1;
        }
        std::size_t shown = std::min(p + (p < limit && t_[p] == u';'), limit);
        Add(MarkupCode::StrayAmpersand, Severity::Error, i, u"", t_.substr(i, shown - i));
        return i + 1;
    }

    void FinishOpenElements() {
        for (const OpenElement& e : stack_) {
            if (e.closed || e.reported) continue;
            bool to_end = e.rule && e.rule->applies_to_rest;
            Add(to_end ? MarkupCode::OpenToEnd : MarkupCode::UnclosedTag, to_end ? Severity::Note : Severity::Error,
                e.offset, e.name);
        }
    }

    std::u16string_view t_;
    std::size_t n_;
    LineCursor cursor_;
    std::vector<MarkupFinding> out_;
    std::vector<OpenElement> stack_;
    std::unordered_map<std::u16string_view, std::vector<std::size_t>, NoCaseHash, NoCaseEqual> open_by_name_;
    std::vector<Attribute> attributes_;
    std::unordered_set<std::u16string_view, NoCaseHash, NoCaseEqual> seen_;
    bool saw_tag_ = false;
};

// --- Messages ---------------------------------------------------------------

std::string U8(std::u16string_view s) { return ToUtf8Lossy(s); }

std::string Position(std::size_t line, std::size_t column) {
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::u16string U16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string PositionKo(std::size_t line, std::size_t column) {
    return U16(std::to_string(line)) + u"줄 " + U16(std::to_string(column)) + u"칸";
}

// "SPEED|ABSSPEED" as "SPEED or ABSSPEED".
template <class S>
S Alternatives(std::u16string_view list, const S& joiner) {
    S out;
    std::size_t bar = list.find(u'|');
    auto piece = [](std::u16string_view p) {
        if constexpr (std::is_same_v<S, std::string>) return U8(p);
        else return std::u16string(p);
    };
    out += piece(list.substr(0, bar));
    if (bar != std::u16string_view::npos) out += joiner + piece(list.substr(bar + 1));
    return out;
}

bool ClippedByApi(const MarkupFinding& f) { return EqualsNoCase(f.name, u"LEVEL"); }

}  // namespace

std::vector<MarkupFinding> CheckMarkup(std::u16string_view text) {
    if (text.empty()) return {};
    return Checker(text).Run();
}

std::string_view CodeName(MarkupCode code) {
    switch (code) {
    case MarkupCode::UnclosedTag: return "unclosed-tag";
    case MarkupCode::MisnestedTag: return "misnested-tag";
    case MarkupCode::UnmatchedEndTag: return "unmatched-end-tag";
    case MarkupCode::StrayLessThan: return "stray-less-than";
    case MarkupCode::StrayAmpersand: return "stray-ampersand";
    case MarkupCode::BrokenTag: return "broken-tag";
    case MarkupCode::UnquotedValue: return "unquoted-value";
    case MarkupCode::MissingValue: return "missing-value";
    case MarkupCode::RepeatedAttribute: return "repeated-attribute";
    case MarkupCode::MissingAttribute: return "missing-attribute";
    case MarkupCode::NotANumber: return "not-a-number";
    case MarkupCode::MustBeEmpty: return "must-be-empty";
    case MarkupCode::MustEnclose: return "must-enclose";
    case MarkupCode::ValueClipped: return "value-clipped";
    case MarkupCode::UnknownElement: return "unknown-element";
    case MarkupCode::UnknownAttribute: return "unknown-attribute";
    case MarkupCode::UnknownValue: return "unknown-value";
    case MarkupCode::LangidNotHex: return "langid-not-hex";
    case MarkupCode::LangidNotListed: return "langid-not-listed";
    case MarkupCode::MarkupNotParsed: return "markup-not-parsed";
    case MarkupCode::SsmlElement: return "ssml-element";
    case MarkupCode::OpenToEnd: return "open-to-end";
    }
    return "?";
}

std::string_view SeverityName(Severity severity) {
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: return "note";
    }
    return "?";
}

std::u16string_view SeverityNameKo(Severity severity) {
    switch (severity) {
    case Severity::Error: return u"오류";
    case Severity::Warning: return u"경고";
    case Severity::Note: return u"참고";
    }
    return u"?";
}

std::string MessageEn(const MarkupFinding& f) {
    const std::string name = U8(f.name), value = U8(f.value);
    switch (f.code) {
    case MarkupCode::UnclosedTag: return "<" + name + "> is never closed";
    case MarkupCode::MisnestedTag:
        return "</" + name + "> closes <" + name + "> while <" + value + "> opened inside it (" +
               Position(f.other_line, f.other_column) + ") is still open";
    case MarkupCode::UnmatchedEndTag: return "</" + name + "> has no open <" + name + "> to close";
    case MarkupCode::StrayLessThan: return "\"<\" does not begin a tag; write &lt;";
    case MarkupCode::StrayAmpersand:
        return "\"" + value + "\" is not &amp;, &lt;, &gt;, &quot;, &apos; or a character reference; write &amp; for \"&\"";
    case MarkupCode::BrokenTag:
        return "the tag <" + name + "> breaks here: name=\"value\", \"/>\" or \">\" should follow";
    case MarkupCode::UnquotedValue: return "the value of " + name + " is not in quotes: " + name + "=\"" + value + "\"";
    case MarkupCode::MissingValue: return "attribute " + name + " has no value: " + name + "=\"...\"";
    case MarkupCode::RepeatedAttribute: return "attribute " + name + " is given more than once";
    case MarkupCode::MissingAttribute:
        return "<" + name + "> needs the attribute " + Alternatives<std::string>(f.value, " or ");
    case MarkupCode::NotANumber: return name + "=\"" + value + "\" is not a whole number";
    case MarkupCode::MustBeEmpty: return "<" + name + "> cannot enclose text; write <" + name + " .../>";
    case MarkupCode::MustEnclose: return "<" + name + "/> is empty; <" + name + "> must enclose text";
    case MarkupCode::ValueClipped:
        return name + "=\"" + value + "\" is outside " + std::to_string(f.low) + ".." + std::to_string(f.high) +
               (ClippedByApi(f) ? "; the speech API clips it" : "; the speech engine may clip it");
    case MarkupCode::UnknownElement: return "<" + name + "> is not a SAPI 5 element; the engine may ignore it";
    case MarkupCode::UnknownAttribute: return "<" + value + "> has no attribute " + name + "; it is ignored";
    case MarkupCode::UnknownValue:
        if (EqualsNoCase(f.name, u"PART"))
            return name + "=\"" + value + "\" is not one of Unknown, Noun, Verb, Modifier, Function, Interjection";
        return "\"" + value + "\" in " + name +
               " names no voice attribute (Age, Gender, Language, Name, Vendor, VendorPreferred)";
    case MarkupCode::LangidNotHex: return name + "=\"" + value + "\" is not hexadecimal (412, 409, ... without 0x)";
    case MarkupCode::LangidNotListed: return name + "=\"" + value + "\" is not in the workshop's language list";
    case MarkupCode::MarkupNotParsed:
        return "the text does not begin with \"<\": the speech program may read the tags aloud";
    case MarkupCode::SsmlElement:
        return "<" + name + "> is SSML, not SAPI 5 XML" + (value.empty() ? "" : "; use <" + value + ">");
    case MarkupCode::OpenToEnd: return "<" + name + "> is not closed: it applies to the rest of the text";
    }
    return "?";
}

std::u16string MessageKo(const MarkupFinding& f) {
    const std::u16string& name = f.name;
    const std::u16string& value = f.value;
    switch (f.code) {
    case MarkupCode::UnclosedTag: return u"<" + name + u"> 태그가 닫히지 않았습니다.";
    case MarkupCode::MisnestedTag:
        return u"</" + name + u">가 <" + name + u"> 태그를 닫지만 그 안에서 연 <" + value + u"> 태그(" +
               PositionKo(f.other_line, f.other_column) + u")가 아직 열려 있습니다.";
    case MarkupCode::UnmatchedEndTag: return u"</" + name + u">로 닫을 <" + name + u"> 태그가 열려 있지 않습니다.";
    case MarkupCode::StrayLessThan: return u"\"<\" 문자가 태그를 시작하지 않습니다. &lt;로 쓰세요.";
    case MarkupCode::StrayAmpersand:
        return u"\"" + value + u"\" 문자열은 &amp;, &lt; 같은 참조가 아닙니다. \"&\" 문자는 &amp;로 쓰세요.";
    case MarkupCode::BrokenTag:
        return u"<" + name + u"> 태그가 여기서 깨집니다. 이름=\"값\", \"/>\" 또는 \">\"가 와야 합니다.";
    case MarkupCode::UnquotedValue: return name + u" 속성의 값이 따옴표 안에 있지 않습니다: " + name + u"=\"" + value + u"\"";
    case MarkupCode::MissingValue: return name + u" 속성에 값이 없습니다: " + name + u"=\"...\"";
    case MarkupCode::RepeatedAttribute: return name + u" 속성이 두 번 이상 쓰였습니다.";
    case MarkupCode::MissingAttribute:
        return u"<" + name + u"> 태그에는 " + Alternatives<std::u16string>(value, u" 또는 ") + u" 속성이 필요합니다.";
    case MarkupCode::NotANumber: return name + u"=\"" + value + u"\" 값이 정수가 아닙니다.";
    case MarkupCode::MustBeEmpty:
        return u"<" + name + u"> 태그는 텍스트를 감쌀 수 없습니다. <" + name + u" .../>로 쓰세요.";
    case MarkupCode::MustEnclose: return u"<" + name + u"/> 태그가 비어 있습니다. 텍스트를 감싸야 합니다.";
    case MarkupCode::ValueClipped:
        return name + u"=\"" + value + u"\" 값이 " + U16(std::to_string(f.low)) + u".." + U16(std::to_string(f.high)) +
               (ClippedByApi(f) ? u" 범위를 벗어나 잘립니다." : u" 범위를 벗어나 음성 엔진이 자를 수 있습니다.");
    case MarkupCode::UnknownElement: return u"<" + name + u"> 태그는 SAPI 5 태그가 아닙니다. 무시될 수 있습니다.";
    case MarkupCode::UnknownAttribute: return u"<" + value + u"> 태그에는 " + name + u" 속성이 없습니다. 무시됩니다.";
    case MarkupCode::UnknownValue:
        if (EqualsNoCase(f.name, u"PART"))
            return name + u"=\"" + value + u"\" 값은 Unknown, Noun, Verb, Modifier, Function, Interjection 중 하나가 아닙니다.";
        return name + u" 속성의 \"" + value +
               u"\" 부분은 목소리 속성(Age, Gender, Language, Name, Vendor, VendorPreferred)이 아닙니다.";
    case MarkupCode::LangidNotHex: return name + u"=\"" + value + u"\" 값이 16진수가 아닙니다 (412, 409처럼 0x 없이).";
    case MarkupCode::LangidNotListed: return name + u"=\"" + value + u"\" 값이 언어 목록에 없습니다.";
    case MarkupCode::MarkupNotParsed:
        return u"텍스트가 \"<\"로 시작하지 않아 태그를 소리 내어 읽을 수 있습니다.";
    case MarkupCode::SsmlElement:
        return u"<" + name + u"> 태그는 SSML입니다. SAPI 5 XML이 아닙니다." +
               (value.empty() ? u"" : u" <" + value + u"> 태그를 쓰세요.");
    case MarkupCode::OpenToEnd: return u"<" + name + u"> 태그가 닫히지 않아 텍스트 끝까지 적용됩니다.";
    }
    return u"?";
}

bool HasError(const std::vector<MarkupFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const MarkupFinding& f) { return f.severity == Severity::Error; });
}

std::u16string MarkupReportKo(const std::vector<MarkupFinding>& findings) {
    if (findings.empty()) return u"문제가 없습니다.";
    std::u16string out;
    std::size_t shown = std::min(findings.size(), kMarkupReportMaxLines);
    for (std::size_t k = 0; k < shown; ++k) {
        const MarkupFinding& f = findings[k];
        if (k) out += u"\r\n";
        out += U16(std::to_string(f.line)) + u":" + U16(std::to_string(f.column)) + u" " +
               std::u16string(SeverityNameKo(f.severity)) + u": " + MessageKo(f);
    }
    if (findings.size() > shown) out += u"\r\n외 " + U16(std::to_string(findings.size() - shown)) + u"건";
    return out;
}

}  // namespace lumvox::core
