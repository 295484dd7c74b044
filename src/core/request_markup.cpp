#include "core/request_markup.h"

#include <algorithm>
#include <vector>

#include "core/markup_checker.h"

namespace lumvox::core {

MarkupFindings CheckRequestMarkup(const SendRequest& request, std::size_t keep) {
    const std::u16string_view text = request.text;
    const Handover handover = HandoverOf(request);
    const bool enveloped = request.protocol && ChannelOf(request.channel).takes_protocol;
    MarkupFindings findings =
        enveloped ? markup::CheckEnveloped(handover.text, handover.lead, handover.lead + handover.text_length, keep)
                  : CheckMarkup(handover.text, keep);
    if (findings.empty()) return findings;
    auto to_text = [&](std::size_t offset) {
        const std::size_t inner = offset < handover.lead ? 0 : offset - handover.lead;
        return handover.text_begin + std::min(inner, handover.text_length);
    };
    std::vector<std::size_t> line_starts{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\n' || (c == u'\r' && !(i + 1 < text.size() && text[i + 1] == u'\n'))) line_starts.push_back(i + 1);
    }
    auto place = [&](std::size_t offset, std::size_t& line, std::size_t& column) {
        auto it = std::upper_bound(line_starts.begin(), line_starts.end(), offset);
        line = static_cast<std::size_t>(it - line_starts.begin());
        column = offset - *(it - 1) + 1;
    };
    for (MarkupFinding& f : findings) {
        f.offset = to_text(f.offset);
        place(f.offset, f.line, f.column);
        if (f.other_offset != std::u16string_view::npos) {
            f.other_offset = to_text(f.other_offset);
            place(f.other_offset, f.other_line, f.other_column);
        }
    }
    return findings;
}

MarkupBox MarkupBoxFor(const SendRequest& request) {
    const MarkupFindings findings = CheckRequestMarkup(request);
    MarkupBox box{MarkupReportKo(findings, findings.left_out), std::nullopt};
    if (!findings.empty()) box.caret = findings.front().offset;
    return box;
}

}  // namespace lumvox::core
