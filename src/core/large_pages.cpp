#include "large_pages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace lumvox::core {

bool PreferLargePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes < kLargePageHintMin) return false;
    constexpr std::uintptr_t kLarge = 2u << 20;  // x86-64's and arm64's (4 KiB granule) large page
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kLarge - 1) & ~(kLarge - 1);
    const std::uintptr_t end = (start + bytes) & ~(kLarge - 1);
    if (end <= first) return false;
    return madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE) == 0;
#else
    // Windows gives large pages only to accounts holding the lock-pages right, and
    // only as locked memory: not for a text the user opens.
    return false;
#endif
}

}  // namespace lumvox::core
