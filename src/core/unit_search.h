#pragma once
// Finding the next of a few code units in UTF-16 text, eight units a step
// where SSE2 is there (every x86-64): the markup check skips plain text so.
#include <bit>
#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumvox::core {

// The first position in [from, to) that holds a, b or c; `to` when none does.
// Needs from <= to <= text.size().
inline std::size_t FindFirstOfUnits(std::u16string_view text, std::size_t from, std::size_t to, char16_t a,
                                    char16_t b, char16_t c) {
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi16(static_cast<short>(a)), vb = _mm_set1_epi16(static_cast<short>(b)),
                  vc = _mm_set1_epi16(static_cast<short>(c));
    for (; to - from >= 8; from += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi16(units, va),
                                          _mm_or_si128(_mm_cmpeq_epi16(units, vb), _mm_cmpeq_epi16(units, vc)));
        if (const int mask = _mm_movemask_epi8(hits))
            return from + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask))) / 2;
    }
#endif
    for (; from < to; ++from) {
        const char16_t unit = text[from];
        if (unit == a || unit == b || unit == c) return from;
    }
    return to;
}

}  // namespace lumvox::core
