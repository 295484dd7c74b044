#include "wire_warnings.h"

#include <algorithm>

namespace lumvox::core {
namespace {

constexpr size_t kExcerptChars = 40;

// Index in the text of a mark found at `at` in the URL, or npos when the mark
// stands outside the text (in a host typed with a "?" or "#").
size_t InText(size_t at, size_t text_begin, size_t text_size) {
    if (at == std::u16string_view::npos || at < text_begin || at - text_begin >= text_size)
        return std::u16string_view::npos;
    return at - text_begin;
}

}  // namespace

std::vector<WireWarning> NetworkWarnings(const UrlParts& parts, size_t text_begin, std::u16string_view text) {
    constexpr auto npos = std::u16string_view::npos;
    std::vector<WireWarning> warnings;
    const size_t hash = InText(parts.bookmark_at, text_begin, text.size());
    const size_t query = InText(parts.query_at, text_begin, text.size());
    // Backslashes turn into "/" up to the first "?" or "#", as the split turned them.
    const size_t stop = std::min({query, hash, text.size()});
    size_t backslashes = 0, first_backslash = npos;
    for (size_t i = 0; i < stop; ++i)
        if (text[i] == u'\\' && backslashes++ == 0) first_backslash = i;
    if (backslashes > 0) warnings.push_back({WarningCode::BackslashBecomesSlash, first_backslash, backslashes, {}});
    if (query != npos) {
        // The parameters are escaped by a rule that copies "+", so their "+" are the text's.
        const size_t raw_plus = static_cast<size_t>(std::count(parts.parameters.begin(), parts.parameters.end(), u'+'));
        warnings.push_back({WarningCode::QueryMakesParameters, query, raw_plus, {}});
    }
    // What the "#" cuts does not go out, so its U+007F do not either.
    const std::u16string_view sent = text.substr(0, std::min(hash, text.size()));
    if (const size_t first_del = sent.find(u'\x7F'); first_del != npos) {
        const size_t dels = static_cast<size_t>(std::count(sent.begin() + first_del, sent.end(), u'\x7F'));
        warnings.push_back({WarningCode::DelCharacter, first_del, dels, {}});
    }
    if (hash != npos) {
        const std::u16string_view cut = text.substr(hash);
        warnings.push_back({WarningCode::HashCutsText, hash, cut.size(), EscapedStart(cut, kExcerptChars)});
    }
    return warnings;
}

std::vector<WireWarning> RequestLineWarnings(std::string_view request) {
    const size_t line = std::min(request.find("\r\n"), request.size());
    if (line <= kCommonRequestLineCap) return {};
    return {{WarningCode::LongRequestLine, 0, line, {}}};
}

std::vector<WireWarning> NulWarnings(std::u16string_view text) {
    const size_t first = text.find(u'\0');
    if (first == std::u16string_view::npos) return {};
    const size_t count = static_cast<size_t>(std::count(text.begin(), text.end(), u'\0'));
    return {{WarningCode::NulCharacter, first, count, {}}};
}

}  // namespace lumvox::core
