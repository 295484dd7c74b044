#pragma once
// Big outputs written into fresh memory pay for every page the first time it is
// touched: one fault and one cleared page per 4 KiB, which on some machines costs
// more than producing the text. Where the system offers large pages on request
// (Linux's transparent huge pages in "madvise" mode), asking for them over such a
// buffer turns hundreds of faults into one per 2 MiB.
#include <cstddef>

namespace lumvox::core {

// Below this, a buffer holds no whole large page worth the call.
inline constexpr std::size_t kLargePageHintMin = 4u << 20;

// Asks for large pages over the whole large pages inside [data, data + bytes), when
// bytes is at least kLargePageHintMin and nothing there has been written yet (pages
// already touched keep their size). A hint: where the system has none, or refuses,
// nothing changes. Returns whether the system took it.
bool PreferLargePages(void* data, std::size_t bytes);

}  // namespace lumvox::core
