// The markup check of what a page hands over, with positions in the page's own text.
#include <algorithm>

#include "markup_check.h"
#include "markup_checker.h"
#include "text_rules.h"

namespace lumvox::core {

MarkupFindings CheckPageMarkup(std::u16string_view area_text, bool trims, bool protocol_envelope, std::size_t keep) {
    std::size_t begin = 0, end = area_text.size();
    if (trims) {
        while (begin < end && area_text[begin] <= 0x20) ++begin;
        while (end > begin && area_text[end - 1] <= 0x20) --end;
    }
    std::u16string_view sent = area_text.substr(begin, end - begin);
    constexpr std::size_t kOpening = 8;  // "<lumvox>"
    MarkupFindings findings =
        protocol_envelope
            ? markup::CheckEnveloped(WrapProtocolEnvelope(sent), kOpening, kOpening + sent.size(), keep)
            : CheckMarkup(sent, keep);
    if (findings.empty()) return findings;
    // Back to the page's own text; what falls on the envelope goes to its nearer edge.
    auto to_area = [&](std::size_t offset) {
        std::size_t inner = protocol_envelope ? (offset < kOpening ? 0 : offset - kOpening) : offset;
        return begin + std::min(inner, sent.size());
    };
    std::vector<std::size_t> line_starts{0};
    for (std::size_t i = 0; i < area_text.size(); ++i) {
        char16_t c = area_text[i];
        if (c == u'\n' || (c == u'\r' && !(i + 1 < area_text.size() && area_text[i + 1] == u'\n')))
            line_starts.push_back(i + 1);
    }
    auto place = [&](std::size_t offset, std::size_t& line, std::size_t& column) {
        auto it = std::upper_bound(line_starts.begin(), line_starts.end(), offset);
        line = std::size_t(it - line_starts.begin());
        column = offset - *(it - 1) + 1;
    };
    for (MarkupFinding& f : findings) {
        f.offset = to_area(f.offset);
        place(f.offset, f.line, f.column);
        if (f.other_offset != std::u16string_view::npos) {
            f.other_offset = to_area(f.other_offset);
            place(f.other_offset, f.other_line, f.other_column);
        }
    }
    return findings;
}

MarkupBox MarkupBoxForPage(int page_index, std::u16string_view area_text, bool use_protocol) {
    const bool trims = page_index != 2;
    const bool envelope = page_index != 1 && use_protocol;
    MarkupFindings findings = CheckPageMarkup(area_text, trims, envelope);
    MarkupBox box{MarkupReportKo(findings, findings.left_out), std::nullopt};
    if (!findings.empty()) box.caret = findings.front().offset;
    return box;
}

}  // namespace lumvox::core
