#include "text_rules.h"

namespace lumvox::core {
namespace {

constexpr bool IsBlank(char16_t unit) { return unit <= u' '; }

std::u16string Wrap(std::u16string_view open, std::u16string_view text,
                    std::u16string_view close) {
    std::u16string out;
    out.reserve(open.size() + text.size() + close.size());
    out.append(open).append(text).append(close);
    return out;
}

}  // namespace

std::u16string_view TrimmedPart(std::u16string_view text) {
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) ++first;
    size_t last = text.size();
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::u16string TrimText(std::u16string_view text) { return std::u16string(TrimmedPart(text)); }

std::u16string WrapProtocolEnvelope(std::u16string_view text) {
    return Wrap(u"<lumvox>", text, u"</lumvox>");
}

std::u16string WrapNetworkEnvelope(std::u16string_view text) {
    return Wrap(u"lumvox=", text, u"=lumvox");
}

std::u16string WrapCommandEnvelope(std::u16string_view name) {
    return Wrap(u"<cmd>", name, u"</cmd>");
}

}  // namespace lumvox::core
