#pragma once
// --repeat: the same send N times, one at a time or (network) several at once,
// summed up as counts by outcome and latency percentiles.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "send_case.h"

namespace lumvox::send {

class SendPlatform;

// What the system reports of this process; a missing value is one it does not report.
struct ProcessCounters {
    std::optional<uint64_t> working_set_bytes;
    std::optional<uint64_t> private_bytes;
    std::optional<uint64_t> handles;
    std::optional<uint64_t> gdi_objects;
    std::optional<uint64_t> user_objects;
};

struct OutcomeCount {
    Outcome outcome;
    std::string plain;        // the outcome in plain words
    std::u16string message;   // the window's message, if any
    size_t count = 0;
};

struct RepeatReport {
    lumvox::core::SendChannel channel = lumvox::core::SendChannel::Net;
    std::string destination;  // network: HOST:PORT as given
    size_t sends = 0;
    int concurrency = 1;
    // Delivered first, then the commonest; equal counts in the order of Outcome.
    std::vector<OutcomeCount> outcomes;
    std::vector<std::chrono::microseconds> latencies;  // one per send, sorted
    std::chrono::microseconds elapsed{0};
    size_t warm_up_sends = 0;  // counters are read after this many sends and at the end
    ProcessCounters after_warm_up, at_end;

    size_t Delivered() const;
    // Nearest rank: the smallest latency that at least `percent` of the sends did not exceed.
    std::chrono::microseconds Percentile(double percent) const;
    // 0 when every send was delivered, else the exit code of the commonest failure.
    int ExitCode() const;
};

RepeatReport RunRepeat(const lumvox::core::SendRequest& input, size_t sends, int concurrency, SendPlatform& platform);

std::string DescribeRepeat(const RepeatReport& report);  // plain words, several lines
std::string RepeatJson(const RepeatReport& report);      // one line

}  // namespace lumvox::send
