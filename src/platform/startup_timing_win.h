#pragma once
// Start-up step times for finding where start-up goes. Built with
// LUMVOX_STARTUP_TIMING, each mark appends one line, the milliseconds since
// the process was created and since the previous mark, to the file named by
// LUMVOX_STARTUP_TIMES (or to stderr); otherwise a mark is nothing.
namespace lumvox::win {

#if defined(LUMVOX_STARTUP_TIMING)
void MarkStartupStep(const char* step);
#else
inline void MarkStartupStep(const char*) {}
#endif

}  // namespace lumvox::win
