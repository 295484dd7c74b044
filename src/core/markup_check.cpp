#include "markup_check.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "markup_checker.h"
#include "markup_messages.h"
#include "markup_rules.h"
#include "unit_search.h"
#include "utf.h"

namespace lumvox::core {
namespace {

using namespace markup;

constexpr std::size_t kNone = std::u16string_view::npos;
// Names and values are quoted in messages; a fuzzed megabyte-long name is cut.
constexpr std::size_t kQuotedMax = 40;

std::u16string Quoted(std::u16string_view s) {
    if (s.size() <= kQuotedMax) return std::u16string(s);
    std::u16string cut(s.substr(0, kQuotedMax));
    if (IsHighSurrogate(cut.back())) cut.pop_back();
    return cut + u"…";
}

// --- Positions --------------------------------------------------------------

// Line and column of offsets asked for in increasing order, in one pass.
class LineCursor {
public:
    explicit LineCursor(std::u16string_view text) : text_(text) {}
    void MoveTo(std::size_t offset) {
        if (offset < pos_) pos_ = line_start_ = 0, line_ = 1;
        const std::size_t to = std::min(offset, text_.size());
        // Only CR and LF move the line: the units between them are skipped over.
        while ((pos_ = FindFirstOfUnits(text_, pos_, to, u'\r', u'\n', u'\n')) < to) {
            if (text_[pos_] == u'\r' || !(pos_ > 0 && text_[pos_ - 1] == u'\r')) ++line_;
            line_start_ = ++pos_;
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
    bool holds = false;     // text, a reference, CDATA or an element stands inside it
    bool envelope = false;  // the protocol envelope around the checked text
};

// What some findings carry beyond their name and value.
struct Particulars {
    const OpenElement* other = nullptr;  // the other tag concerned
    long long low = 0, high = 0;
};

// Where the checked text stands inside the protocol envelope, when it is wrapped.
struct Envelope {
    std::size_t inner_begin, inner_end;
};

// Where the first tag (or comment, declaration...) begins, npos when none.
std::size_t FirstTag(std::u16string_view t) {
    for (std::size_t i = t.find(u'<'); i != std::u16string_view::npos && i + 1 < t.size(); i = t.find(u'<', i + 1)) {
        char16_t next = t[i + 1];
        if (next == u'/' || next == u'!' || next == u'?' || IsNameStart(next)) return i;
    }
    return std::u16string_view::npos;
}

// Plain text is spoken as it stands: "AT&T" or "1 < 2" there is no fault.
bool IsPlainText(std::u16string_view t) { return (t.empty() || t.front() != u'<') && FirstTag(t) == kNone; }

class Checker {
public:
    Checker(std::u16string_view text, std::optional<Envelope> envelope, std::size_t keep)
        : t_(text), n_(text.size()), envelope_(envelope), keep_(keep), cursor_(text) {}

    MarkupFindings Run() {
        std::u16string_view spoken = t_;
        if (envelope_) spoken = t_.substr(envelope_->inner_begin, envelope_->inner_end - envelope_->inner_begin);
        if (IsPlainText(spoken)) return {};
        if (t_.front() != u'<') Add(MarkupCode::MarkupNotParsed, FirstTag(t_), u"");
        std::size_t i = 0;
        while (i < n_) {
            char16_t c = t_[i];
            if (c == u'<') {
                i = LessThan(i);
                continue;
            }
            if (!stack_.empty()) stack_.back().holds = true;
            if (c == u'&') i = Ampersand(i, n_);
            else if (c == u']' && t_.substr(i, 3) == u"]]>") i = CdataEndInText(i);
            // The plain text up to the next "<", "&" or "]" does no more than that.
            else i = FindFirstOfUnits(t_, i + 1, n_, u'<', u'&', u']');
        }
        FinishOpenElements();
        std::sort(kept_.begin(), kept_.end(), EarlierFinding);
        MarkupFindings out;
        out.reserve(kept_.size());
        LineCursor positions(t_);
        for (Kept& k : kept_) {
            positions.MoveTo(k.finding.offset);
            k.finding.line = positions.line();
            k.finding.column = positions.column(k.finding.offset);
            out.push_back(std::move(k.finding));
        }
        out.left_out = left_out_;
        out.error_left_out = error_left_out_;
        return out;
    }

private:
    struct Kept {
        std::size_t order;  // findings at one offset keep the order they were found in
        MarkupFinding finding;
    };
    static bool EarlierFinding(const Kept& a, const Kept& b) {
        return a.finding.offset != b.finding.offset ? a.finding.offset < b.finding.offset : a.order < b.order;
    }

    // Once keep_ findings are kept they form a heap whose top is the last of
    // them by offset; a finding past them is only counted, nothing of it built.
    void Add(MarkupCode code, std::size_t offset, std::u16string_view name, std::u16string_view value = {},
             const Particulars& more = {}) {
        const Severity severity = SeverityOf(code);
        const std::size_t order = added_++;
        if (kept_.size() == keep_) {
            if (keep_ == 0 || offset >= kept_.front().finding.offset) {
                ++left_out_;
                error_left_out_ |= severity == Severity::Error;
                return;
            }
            std::pop_heap(kept_.begin(), kept_.end(), EarlierFinding);
            ++left_out_;
            error_left_out_ |= kept_.back().finding.severity == Severity::Error;
            kept_.pop_back();
        }
        MarkupFinding f{code, severity, offset, 0, 0, Quoted(name), Quoted(value)};
        if (more.other) {
            f.other_offset = more.other->offset;
            f.other_line = more.other->line;
            f.other_column = more.other->column;
        }
        f.low = more.low;
        f.high = more.high;
        kept_.push_back({order, std::move(f)});
        if (kept_.size() == keep_) {
            if (heaped_) std::push_heap(kept_.begin(), kept_.end(), EarlierFinding);
            else std::make_heap(kept_.begin(), kept_.end(), EarlierFinding);
            heaped_ = true;
        }
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
        if (!stack_.empty()) stack_.back().holds = true;  // a "<" meant as text
        Add(MarkupCode::StrayLessThan, i, u"");
        return i + 1;
    }

    // Comments, CDATA sections, processing instructions and the DOCTYPE are
    // skipped whole; one without its end swallows the rest of the text.
    std::size_t Declaration(std::size_t i) {
        std::u16string_view rest = t_.substr(i);
        if (rest.starts_with(u"<!--")) return Comment(i);
        if (rest.starts_with(u"<![CDATA[")) return Cdata(i);
        if (rest[1] == u'?') {
            std::size_t end = t_.find(u"?>", i + 2);
            if (end == kNone) return Unended(MarkupCode::UnendedProcessingInstruction, i);
            return end + 2;
        }
        std::size_t end = t_.find(u'>', i + 2);
        if (rest.starts_with(u"<![")) {  // meant as a CDATA section: it holds text
            if (!stack_.empty()) stack_.back().holds = true;
            Add(MarkupCode::BrokenCdata, i, u"", rest.substr(0, std::min<std::size_t>(rest.size(), 9)));
            return end == kNone ? n_ : end + 1;
        }
        if (rest.starts_with(u"<!DOCTYPE")) return Doctype(i);
        std::size_t p = i + 2;
        Add(MarkupCode::UnknownDeclaration, i, ReadName(p));
        return end == kNone ? n_ : end + 1;
    }

    std::size_t Unended(MarkupCode code, std::size_t i) {
        Add(code, i, u"");
        return n_;
    }

    // "--" may not stand inside a comment, nor "-" just before its "-->".
    std::size_t Comment(std::size_t i) {
        std::size_t end = t_.find(u"-->", i + 4);
        if (end == kNone) return Unended(MarkupCode::UnendedComment, i);
        std::size_t hyphens = t_.substr(0, end + 1).find(u"--", i + 4);
        if (hyphens != kNone) Add(MarkupCode::DoubleHyphenInComment, hyphens, u"");
        return end + 3;
    }

    std::size_t Cdata(std::size_t i) {
        std::size_t end = t_.find(u"]]>", i + 9);
        if (end == kNone) return Unended(MarkupCode::UnendedCdata, i);
        if (end > i + 9 && !stack_.empty()) stack_.back().holds = true;
        return end + 3;
    }

    std::size_t CdataEndInText(std::size_t i) {
        Add(MarkupCode::CdataEndInText, i, u"");
        return i + 3;
    }

    // Only before the first element, once; its internal subset in "[...]" may hold ">".
    std::size_t Doctype(std::size_t i) {
        if (element_seen_ || doctype_seen_) Add(MarkupCode::MisplacedDoctype, i, u"DOCTYPE");
        doctype_seen_ = true;
        std::size_t end = t_.find_first_of(u"[>", i + 9);
        if (end != kNone && t_[end] == u'[') {
            end = t_.find(u']', end);
            if (end != kNone) end = t_.find(u'>', end);
        }
        if (end == kNone) return Unended(MarkupCode::UnendedDeclaration, i);
        return end + 1;
    }

    std::size_t EndTag(std::size_t i) {
        std::size_t p = i + 2;
        std::u16string_view name = ReadName(p);
        SkipSpaces(p);
        if (p < n_ && t_[p] == u'>') {
            ++p;
        } else {
            Add(MarkupCode::BrokenTag, p, std::u16string(u"/") + std::u16string(name));
        }
        if (envelope_ && i == envelope_->inner_end) CloseEnvelope();
        else if (!name.empty()) Close(i, name);
        return std::max(p, i + 2);
    }

    void Close(std::size_t offset, std::u16string_view name) {
        auto it = open_by_name_.find(name);
        if (it == open_by_name_.end() || it->second.empty()) {
            Add(MarkupCode::UnmatchedEndTag, offset, name);
            return;
        }
        std::size_t index = it->second.back();
        it->second.pop_back();
        if (index != stack_.size() - 1) {
            const OpenElement& inner = stack_.back();
            Add(MarkupCode::MisnestedTag, offset, name, inner.name, {.other = &inner});
        }
        JudgeContent(stack_[index]);
        // Closed out of order, it is marked and leaves the stack once it is on top.
        stack_[index].closed = true;
        while (!stack_.empty() && stack_.back().closed) stack_.pop_back();
    }

    // The envelope's own tags pair only with each other, never with the text's.
    // An element the text leaves open inside it is found as left open, as in
    // the text alone, and never as crossed by an end tag the user did not write.
    void CloseEnvelope() {
        stack_[0].closed = true;
        while (!stack_.empty() && stack_.back().closed) stack_.pop_back();
    }

    // An element is empty by what it holds, whichever way it is written.
    void JudgeContent(const OpenElement& e) {
        if (!e.rule || e.envelope) return;
        if (e.holds && e.rule->content == Content::EmptyOnly) Add(MarkupCode::MustBeEmpty, e.offset, e.name);
        if (!e.holds && e.rule->content == Content::EnclosingOnly) Add(MarkupCode::MustEnclose, e.offset, e.name);
    }

    std::size_t StartTag(std::size_t i) {
        if (!stack_.empty()) stack_.back().holds = true;
        const bool envelope = envelope_ && i == 0;
        if (!envelope) element_seen_ = true;
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
                    while (q < n_ && t_[q] != quote && (t_[q] != u'<' || LessThanInValue(q, quote))) ++q;
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
        if (broken_at != kNone) Add(MarkupCode::BrokenTag, broken_at, name);
        if (!self_closing) {
            cursor_.MoveTo(i);
            stack_.push_back({name, i, cursor_.line(), cursor_.column(i), rule, false, false, envelope});
            if (!envelope) open_by_name_[name].push_back(stack_.size() - 1);
        }
        return p;
    }

    // A "<" inside a quoted value that its closing quote soon follows (no "<",
    // ">" or "=" between, so no other tag begins there) stands in the value,
    // where XML forbids it; otherwise the quote was never closed and the tag
    // breaks at the "<".
    bool LessThanInValue(std::size_t less_than, char16_t quote) {
        std::size_t q = less_than + 1;
        while (q < n_ && t_[q] != quote && t_[q] != u'<' && t_[q] != u'>' && t_[q] != u'=') ++q;
        if (q >= n_ || t_[q] != quote) return false;
        Add(MarkupCode::StrayLessThan, less_than, u"");
        return true;
    }

    const ElementRule* CheckStartTag(std::size_t i, std::u16string_view name, bool self_closing) {
        const ElementRule* rule = FindElement(name);
        if (!rule) {
            if (const SsmlElement* ssml = FindSsml(name))
                Add(MarkupCode::SsmlElement, i, name, ssml->instead);
            else
                Add(MarkupCode::UnknownElement, i, name);
            return nullptr;
        }
        if (self_closing && rule->content == Content::EnclosingOnly)
            Add(MarkupCode::MustEnclose, i, name);
        if (rule->attribute_count > 0) {
            bool present = std::any_of(attributes_.begin(), attributes_.end(), [&](const Attribute& a) {
                return std::any_of(rule->attributes.begin(), rule->attributes.begin() + rule->attribute_count,
                                   [&](const AttributeRule& s) { return EqualsNoCase(s.name, a.name); });
            });
            if (!present) {
                std::u16string wanted(rule->attributes[0].name);
                if (rule->attribute_count > 1) wanted += u"|" + std::u16string(rule->attributes[1].name);
                Add(MarkupCode::MissingAttribute, i, name, wanted);
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
                Add(MarkupCode::RepeatedAttribute, a.name_offset, a.name);
                continue;
            }
            if (a.broken) continue;
            if (!a.has_value) {
                Add(MarkupCode::MissingValue, a.name_offset, a.name);
                continue;
            }
            if (!a.quoted) {
                Add(MarkupCode::UnquotedValue, a.value_offset, a.name, a.value);
                continue;
            }
            for (std::size_t q = 0; q < a.value.size(); ++q)
                if (a.value[q] == u'&') q = Ampersand(a.value_offset + q, a.value_offset + a.value.size()) - 1 - a.value_offset;
            if (!rule) continue;
            const AttributeRule* known = nullptr;
            for (int k = 0; k < rule->attribute_count; ++k)
                if (EqualsNoCase(rule->attributes[k].name, a.name)) known = &rule->attributes[k];
            if (!known) {
                Add(MarkupCode::UnknownAttribute, a.name_offset, a.name, element);
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
            auto v = ParseWhole(a.value);
            if (!v) Add(MarkupCode::NotANumber, a.value_offset, a.name, a.value);
            else if (v->value < rule.low || v->value > rule.high)
                Add(MarkupCode::ValueClipped, a.value_offset, a.name, a.value, {.low = rule.low, .high = rule.high});
            return;
        }
        case ValueKind::Milliseconds:
        {
            auto v = ParseWhole(a.value);
            if (!v) Add(MarkupCode::NotANumber, a.value_offset, a.name, a.value);
            else if (v->has_sign) Add(MarkupCode::SignedNumber, a.value_offset, a.name, a.value);
            else if (v->value > rule.high)
                Add(MarkupCode::OutOfRange, a.value_offset, a.name, a.value, {.low = rule.low, .high = rule.high});
            return;
        }
        case ValueKind::Langid: {
            std::u16string_view v = TrimSpaces(a.value);
            if (v.empty() || !std::all_of(v.begin(), v.end(), IsHexDigit)) {
                Add(MarkupCode::LangidNotHex, a.value_offset, a.name, a.value);
                return;
            }
            unsigned long id = 0;
            for (char16_t c : v) id = std::min(id * 16 + HexValue(c), 0xFFFFFul);
            const auto& listed = ListedLangids();
            if (std::find(listed.begin(), listed.end(), id) == listed.end())
                Add(MarkupCode::LangidNotListed, a.value_offset, a.name, a.value);
            return;
        }
        case ValueKind::PartOfSpeech: {
            std::u16string_view v = TrimSpaces(a.value);
            if (!IsPartOfSpeech(v))
                Add(MarkupCode::UnknownValue, a.value_offset, a.name, a.value);
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
                if (!TrimSpaces(part).empty() && !IsVoiceAttribute(key))
                    Add(MarkupCode::UnknownValue, a.value_offset + start, a.name, TrimSpaces(part));
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
            unsigned long code = 0;
            for (; p < limit && (hex ? IsHexDigit(t_[p]) : IsDigit(t_[p])); ++p)
                code = std::min(code * (hex ? 16 : 10) + HexValue(t_[p]), 0x110000ul);
            if (p > digits && p < limit && t_[p] == u';') {
                if (!IsXmlChar(code))
                    Add(MarkupCode::ForbiddenCharacter, i, code <= 0x10FFFF ? CodePointName(code) : u"",
                        t_.substr(i, p + 1 - i));
                return p + 1;
            }
        } else {
            std::size_t start = p;
            while (p < limit && IsNameChar(t_[p])) ++p;
            std::u16string_view name = t_.substr(start, p - start);
            if (p < limit && t_[p] == u';' && IsPredefinedEntity(name)) return p + 1;
        }
        std::size_t shown = std::min(p + (p < limit && t_[p] == u';'), limit);
        Add(MarkupCode::StrayAmpersand, i, u"", t_.substr(i, shown - i));
        return i + 1;
    }

    void FinishOpenElements() {
        for (const OpenElement& e : stack_) {
            if (e.closed) continue;
            if (e.holds && e.rule && e.rule->content == Content::EmptyOnly) {  // that says it all
                Add(MarkupCode::MustBeEmpty, e.offset, e.name);
                continue;
            }
            bool to_end = e.rule && e.rule->applies_to_rest;
            Add(to_end ? MarkupCode::OpenToEnd : MarkupCode::UnclosedTag, e.offset, e.name);
        }
    }

    std::u16string_view t_;
    std::size_t n_;
    std::optional<Envelope> envelope_;
    std::size_t keep_;
    LineCursor cursor_;
    std::vector<Kept> kept_;
    bool heaped_ = false;
    std::size_t added_ = 0, left_out_ = 0;
    bool error_left_out_ = false;
    std::vector<OpenElement> stack_;
    std::unordered_map<std::u16string_view, std::vector<std::size_t>, NoCaseHash, NoCaseEqual> open_by_name_;
    std::vector<Attribute> attributes_;
    std::unordered_set<std::u16string_view, NoCaseHash, NoCaseEqual> seen_;
    bool element_seen_ = false, doctype_seen_ = false;
};

}  // namespace

MarkupFindings CheckMarkup(std::u16string_view text, std::size_t keep) {
    if (text.empty()) return {};
    return Checker(text, std::nullopt, keep).Run();
}

MarkupFindings CheckMarkup(std::u16string_view text) { return CheckMarkup(text, kNone); }

namespace markup {
MarkupFindings CheckEnveloped(std::u16string_view text, std::size_t inner_begin, std::size_t inner_end,
                              std::size_t keep) {
    return Checker(text, Envelope{inner_begin, inner_end}, keep).Run();
}
}  // namespace markup

bool HasError(const std::vector<MarkupFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const MarkupFinding& f) { return f.severity == Severity::Error; });
}

bool HasError(const MarkupFindings& findings) {
    return findings.error_left_out || HasError(static_cast<const std::vector<MarkupFinding>&>(findings));
}

}  // namespace lumvox::core
