// libFuzzer target for the speech-markup check. The first input byte picks how
// the rest becomes UTF-16 (bytes widened one by one, so the dictionary's tags
// apply, or little-endian pairs, so unpaired surrogates occur) and how a page
// would hand the text over (its channel and envelope). Findings must be in order, inside the text, with
// positions that agree with the text, and every finding must have its words;
// the protocol envelope never changes whether a text has an error, and a cap
// on the findings kept changes neither that nor their total.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/request_markup.h"

namespace lumvox::core {
namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// Lines and columns, counted the plain way, in one pass over the sorted findings.
void CheckPositions(std::u16string_view text, const std::vector<MarkupFinding>& findings) {
    std::size_t line = 1, start = 0, i = 0;
    for (const MarkupFinding& f : findings) {
        for (; i < f.offset; ++i) {
            bool crlf_tail = text[i] == u'\n' && i > 0 && text[i - 1] == u'\r';
            if (text[i] == u'\r' || (text[i] == u'\n' && !crlf_tail)) ++line;
            if (text[i] == u'\r' || text[i] == u'\n') start = i + 1;
        }
        Require(f.line == line && f.column == f.offset - start + 1);
    }
}

void CheckFindings(std::u16string_view text, const std::vector<MarkupFinding>& findings, bool exact_positions) {
    for (std::size_t k = 0; k < findings.size(); ++k) {
        const MarkupFinding& f = findings[k];
        Require(f.offset <= text.size());
        Require(k == 0 || findings[k - 1].offset <= f.offset);
        Require(f.line >= 1 && f.column >= 1);
        Require(!MessageEn(f).empty() && !MessageKo(f).empty() && CodeName(f.code) != "?");
    }
    if (exact_positions) CheckPositions(text, findings);
    Require(!MarkupReportKo(findings).empty());
}

}  // namespace
}  // namespace lumvox::core

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumvox::core;
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    ++data, --size;
    std::u16string text;
    if (mode & 1) {
        text.assign(data, data + size);
    } else {
        for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(char16_t(data[i] | data[i + 1] << 8));
    }
    const MarkupFindings all = CheckMarkup(text);
    CheckFindings(text, all, true);
    // Each channel hands the text over its own way; the net one ignores the envelope.
    SendRequest request;
    request.channel = mode & 2 ? SendChannel::App : mode & 8 ? SendChannel::Net : SendChannel::Clip;
    request.text = text;
    request.protocol = mode & 4;
    const Handover handover = HandoverOf(request);
    const MarkupFindings handed = CheckRequestMarkup(request);
    CheckFindings(text, handed, handover.text == text);
    SendRequest other_envelope = request;
    other_envelope.protocol = !request.protocol;
    Require(HasError(handed) == HasError(CheckRequestMarkup(other_envelope)));
    const std::size_t keep = mode >> 4;
    const MarkupFindings capped = CheckMarkup(text, keep);
    Require(capped.size() == std::min(all.size(), keep) && capped.size() + capped.left_out == all.size());
    Require(HasError(capped) == HasError(all));
    for (std::size_t k = 0; k < capped.size(); ++k) Require(capped[k].offset == all[k].offset && capped[k].code == all[k].code);
    return 0;
}
