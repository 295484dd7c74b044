#pragma once
// What this machine charges for fresh memory, printed beside the benchmarks whose
// figures depend on it: writing 150 MiB (the UTF-16 text of a 100 MiB file) into
// memory just mapped, writing it again, and the first write once more with large
// pages asked for (Linux's transparent huge pages; THP mode printed). The
// first-touch cost differs by tens of times between machines, and with their load.
#include <sys/mman.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace lumvox::bench {

struct FirstTouch {
    double fresh_ms = 0, rewrite_ms = 0, fresh_large_ms = 0;
    long fresh_faults = 0, fresh_large_faults = 0;
};

inline long MinorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// One fresh write (and, unless large, one rewrite) of `bytes` into a new mapping.
inline void TouchOnce(std::size_t bytes, bool large, double& fresh_ms, double* rewrite_ms, long& faults) {
    using Clock = std::chrono::steady_clock;
    constexpr std::size_t kLarge = 2u << 20;
    void* raw = mmap(nullptr, bytes + kLarge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return;
    auto* at = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(raw) + kLarge - 1) & ~std::uintptr_t(kLarge - 1));
#ifdef MADV_HUGEPAGE
    if (large) madvise(at, bytes, MADV_HUGEPAGE);
#endif
    const long before = MinorFaults();
    const auto start = Clock::now();
    std::memset(at, 1, bytes);
    const auto written = Clock::now();
    faults = MinorFaults() - before;
    if (rewrite_ms) std::memset(at, 2, bytes);
    const auto rewritten = Clock::now();
    asm volatile("" : : "r"(at) : "memory");  // the writes are the point: keep them
    fresh_ms = std::chrono::duration<double, std::milli>(written - start).count();
    if (rewrite_ms) *rewrite_ms = std::chrono::duration<double, std::milli>(rewritten - written).count();
    munmap(raw, bytes + kLarge);
}

inline FirstTouch MeasureFirstTouch(std::size_t bytes = 150u << 20) {
    FirstTouch t;
    TouchOnce(bytes, false, t.fresh_ms, &t.rewrite_ms, t.fresh_faults);
    TouchOnce(bytes, true, t.fresh_large_ms, nullptr, t.fresh_large_faults);
    return t;
}

inline std::string LargePageMode() {
    std::string mode;
    std::getline(std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled"), mode);
    return mode.empty() ? "none" : mode;
}

inline void PrintFirstTouch(const FirstTouch& t) {
    std::printf("first touch on this machine, 150 MiB: fresh %.1f ms (%ld faults), rewrite %.1f ms; "
                "fresh with large pages %.1f ms (%ld faults); THP: %s\n",
                t.fresh_ms, t.fresh_faults, t.rewrite_ms, t.fresh_large_ms, t.fresh_large_faults, LargePageMode().c_str());
}

}  // namespace lumvox::bench
