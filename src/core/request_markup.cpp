#include "core/request_markup.h"

#include <algorithm>
#include <vector>

#include "core/markup_checker.h"
#include "core/unit_search.h"

namespace lumvox::core {
namespace {

// Line and column in `text` of every position the findings name. The positions
// are taken in increasing order, so the text is read once, and only as far as
// the last of them: no table of line starts is built.
void PlaceInText(std::u16string_view text, MarkupFindings& findings) {
    struct Position {
        std::size_t offset;
        std::size_t* line;
        std::size_t* column;
    };
    std::vector<Position> positions;
    positions.reserve(findings.size() * 2);
    for (MarkupFinding& f : findings) {
        positions.push_back({f.offset, &f.line, &f.column});
        if (f.other_offset != std::u16string_view::npos)
            positions.push_back({f.other_offset, &f.other_line, &f.other_column});
    }
    std::sort(positions.begin(), positions.end(),
              [](const Position& a, const Position& b) { return a.offset < b.offset; });
    std::size_t line = 1, line_start = 0, scanned = 0;
    for (const Position& at : positions) {
        // CR LF, LF and a lone CR each end a line; the next starts after them.
        while ((scanned = FindFirstOfUnits(text, scanned, at.offset, u'\r', u'\n', u'\n')) < at.offset) {
            const bool ends_line = text[scanned] == u'\n' || scanned + 1 == text.size() || text[scanned + 1] != u'\n';
            ++scanned;
            if (ends_line) ++line, line_start = scanned;
        }
        *at.line = line;
        *at.column = at.offset - line_start + 1;
    }
}

}  // namespace

MarkupFindings CheckHandoverMarkup(SendChannel channel, std::u16string_view text, bool protocol, std::size_t keep) {
    const HandoverParts parts = HandoverPartsOf(channel, text, protocol);
    // Only an envelope needs a text of its own; otherwise the kept part is read in place.
    std::size_t lead = 0;
    MarkupFindings findings;
    if (parts.enveloped) {
        const Handover handover = HandoverOf(parts);
        lead = handover.lead;
        findings = markup::CheckEnveloped(handover.text, lead, lead + parts.kept.size(), keep);
    } else {
        findings = CheckMarkup(parts.kept, keep);
    }
    if (findings.empty()) return findings;
    auto to_text = [&](std::size_t offset) {
        const std::size_t inner = offset < lead ? 0 : offset - lead;
        return parts.text_begin + std::min(inner, parts.kept.size());
    };
    for (MarkupFinding& f : findings) {
        f.offset = to_text(f.offset);
        if (f.other_offset != std::u16string_view::npos) f.other_offset = to_text(f.other_offset);
    }
    PlaceInText(text, findings);
    return findings;
}

MarkupFindings CheckRequestMarkup(const SendRequest& request, std::size_t keep) {
    return CheckHandoverMarkup(request.channel, request.text, request.protocol, keep);
}

MarkupBox MarkupBoxFor(const SendRequest& request) {
    const MarkupFindings findings = CheckRequestMarkup(request);
    MarkupBox box{MarkupReportKo(findings, findings.left_out), std::nullopt};
    if (!findings.empty()) box.caret = findings.front().offset;
    return box;
}

}  // namespace lumvox::core
