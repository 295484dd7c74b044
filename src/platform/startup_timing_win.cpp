#include "startup_timing_win.h"

#if defined(LUMVOX_STARTUP_TIMING)
#include <windows.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>

namespace lumvox::win {
namespace {

double Milliseconds(const FILETIME& t) {
    return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
}

}  // namespace

void MarkStartupStep(const char* step) {
    static double previous = 0;
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    const double since_start = Milliseconds(now) - Milliseconds(created);
    std::FILE* out = stderr;
    if (const char* path = std::getenv("LUMVOX_STARTUP_TIMES")) out = std::fopen(path, "a");
    if (!out) return;
    std::fprintf(out, "%8.1f ms %+8.1f ms  %s\n", since_start, previous ? since_start - previous : since_start, step);
    previous = since_start;
    if (out == stderr) std::fflush(out);
    else std::fclose(out);
}

}  // namespace lumvox::win
#endif
