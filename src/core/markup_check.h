#pragma once
// Finds what is wrong in a SAPI 5 XML speech-markup text before it is sent:
// tags that break parsing, tags that have no effect, values the speech API
// clips or ignores. The text is never changed.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumvox::core {

enum class Severity {
    Error,    // the speak call may fail, or the tag has no effect
    Warning,  // the tag works, but not as written (clipped, ignored, read aloud)
    Note,     // worth knowing: a tag that applies to the rest of the text
};

enum class MarkupCode {
    UnclosedTag,
    MisnestedTag,
    UnmatchedEndTag,
    StrayLessThan,
    StrayAmpersand,
    BrokenTag,
    UnquotedValue,
    MissingValue,
    RepeatedAttribute,
    MissingAttribute,
    NotANumber,
    MustBeEmpty,
    MustEnclose,
    ValueClipped,
    UnknownElement,
    UnknownAttribute,
    UnknownValue,
    LangidNotHex,
    LangidNotListed,
    MarkupNotParsed,
    SsmlElement,
    OpenToEnd,
    ForbiddenCharacter,
    UnendedComment,
    DoubleHyphenInComment,
    UnendedCdata,
    BrokenCdata,
    CdataEndInText,
    UnendedProcessingInstruction,
    UnknownDeclaration,
    MisplacedDoctype,
    UnendedDeclaration,
    SignedNumber,
    OutOfRange,
    Count  // not a code: the number of rows in the code table (markup_messages.cpp)
};

struct MarkupFinding {
    MarkupCode code;
    Severity severity;
    std::size_t offset;  // UTF-16 index into the checked text
    std::size_t line;    // 1-based; CR LF, LF and a lone CR each end a line
    std::size_t column;  // 1-based, in UTF-16 code units
    std::u16string name;   // the element or attribute as written
    std::u16string value;  // the value or the other tag concerned, as written
    // Where the other tag concerned stands, if any (other_offset is npos when none).
    std::size_t other_offset = std::u16string_view::npos;
    std::size_t other_line = 0;
    std::size_t other_column = 0;
    long long low = 0, high = 0;  // the allowed range, for ValueClipped and OutOfRange
};

// The findings kept (the first kMarkupFindingsKept by offset) and what was
// counted past them, so that a text of a million faults costs little memory.
inline constexpr std::size_t kMarkupFindingsKept = 1000;
struct MarkupFindings : std::vector<MarkupFinding> {
    std::size_t left_out = 0;     // findings past those kept, counted only
    bool error_left_out = false;  // one of them is an error
};

// Findings in the order of their offsets. Linear in the text's length; any
// sequence of code units is accepted, unpaired surrogates included. A text
// without a tag that does not begin with "<" is plain text: nothing to say.
MarkupFindings CheckMarkup(std::u16string_view text);
MarkupFindings CheckMarkup(std::u16string_view text, std::size_t keep);  // at most `keep` kept

std::string_view CodeName(MarkupCode code);          // stable, e.g. "unclosed-tag"
std::string_view SeverityName(Severity severity);     // "error", "warning", "note"
std::u16string_view SeverityNameKo(Severity severity);  // "오류", "경고", "참고"
std::string MessageEn(const MarkupFinding& finding);
std::u16string MessageKo(const MarkupFinding& finding);

bool HasError(const std::vector<MarkupFinding>& findings);
bool HasError(const MarkupFindings& findings);  // the left out included

// The window's box: one line per finding, at most 20, then "외 N건" for the
// rest, `left_out` included; "문제가 없습니다." when there is none.
std::u16string MarkupReportKo(const std::vector<MarkupFinding>& findings, std::size_t left_out = 0);
inline constexpr std::size_t kMarkupReportMaxLines = 20;

}  // namespace lumvox::core
