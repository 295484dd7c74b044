#include "send_repeat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <thread>

#include <nlohmann/json.hpp>

#include "core/network_link.h"
#include "core/utf.h"
#include "send_main.h"

namespace lumvox::send {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;


std::string Fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string Milliseconds(microseconds us) { return Fixed(us.count() / 1000.0, 3); }

std::string ChannelWords(const RepeatReport& r) {
    const lumvox::core::ChannelRow& channel = lumvox::core::ChannelOf(r.channel);
    return std::string(channel.sends_how) + (channel.to_destination ? " " + r.destination : "");
}

double PerSecond(const RepeatReport& r) {
    return r.elapsed.count() > 0 ? r.sends * 1e6 / static_cast<double>(r.elapsed.count()) : 0.0;
}

void SortOutcomes(std::vector<OutcomeCount>& counts) {
    std::stable_sort(counts.begin(), counts.end(), [](const OutcomeCount& a, const OutcomeCount& b) {
        bool a_delivered = a.outcome == Outcome::Delivered, b_delivered = b.outcome == Outcome::Delivered;
        if (a_delivered != b_delivered) return a_delivered;
        if (a.count != b.count) return a.count > b.count;
        // The same order whatever order the sends ended in.
        if (a.outcome != b.outcome) return a.outcome < b.outcome;
        return a.plain < b.plain;
    });
}

nlohmann::ordered_json CountersJson(const ProcessCounters& c, size_t sends) {
    auto value = [](const std::optional<uint64_t>& v) { return v ? nlohmann::ordered_json(*v) : nlohmann::ordered_json(); };
    return {{"sends", sends},
            {"workingSetBytes", value(c.working_set_bytes)},
            {"privateBytes", value(c.private_bytes)},
            {"handles", value(c.handles)},
            {"gdiObjects", value(c.gdi_objects)},
            {"userObjects", value(c.user_objects)}};
}

std::string CountersWords(const RepeatReport& r) {
    struct Row {
        const char* name;
        std::optional<uint64_t> ProcessCounters::*field;
        bool bytes;
    };
    static constexpr Row kRows[] = {
        {"working set", &ProcessCounters::working_set_bytes, true},
        {"private bytes", &ProcessCounters::private_bytes, true},
        {"handles", &ProcessCounters::handles, false},
        {"GDI objects", &ProcessCounters::gdi_objects, false},
        {"USER objects", &ProcessCounters::user_objects, false},
    };
    std::string parts;
    for (const Row& row : kRows) {
        const auto& before = r.after_warm_up.*row.field;
        const auto& after = r.at_end.*row.field;
        if (!before || !after) continue;
        if (!parts.empty()) parts += ", ";
        uint64_t scale = row.bytes ? 1024 : 1;
        parts += std::string(row.name) + " " + std::to_string(*before / scale) + " -> " +
                 std::to_string(*after / scale) + (row.bytes ? " KiB" : "");
    }
    if (parts.empty()) return "";
    return "this process after " + std::to_string(r.warm_up_sends) + " sends and at the end: " + parts + "\n";
}

}  // namespace

size_t RepeatReport::Delivered() const {
    size_t delivered = 0;
    for (const auto& c : outcomes)
        if (c.outcome == Outcome::Delivered) delivered += c.count;
    return delivered;
}

microseconds RepeatReport::Percentile(double percent) const {
    if (latencies.empty()) return microseconds(0);
    size_t rank = static_cast<size_t>(std::ceil(percent / 100.0 * latencies.size()));
    return latencies[std::clamp<size_t>(rank, 1, latencies.size()) - 1];
}

int RepeatReport::ExitCode() const {
    for (const auto& c : outcomes)  // failures come sorted, commonest first
        if (c.outcome != Outcome::Delivered) return send::ExitCode(c.outcome);
    return 0;
}

RepeatReport RunRepeat(const lumvox::core::SendRequest& input, size_t sends, int concurrency, SendPlatform& platform) {
    RepeatReport report;
    report.channel = input.channel;
    const bool to_destination = lumvox::core::ChannelOf(input.channel).to_destination;
    if (to_destination) report.destination = lumvox::core::ToUtf8Lossy(DestinationAsGiven(input.host, input.port));
    report.sends = sends;
    report.concurrency = to_destination ? std::max(concurrency, 1) : 1;
    report.warm_up_sends = std::max<size_t>(1, sends / 10);

    // Only the latency is kept a send, counted into its outcome at once, so
    // that memory stays flat however many sends there are.
    report.latencies.reserve(sends);
    std::mutex mutex;
    size_t next = 0, done = 0;
    auto work = [&](const lumvox::core::SendLinks& links) {
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (next == sends) return;
                ++next;
            }
            auto start = Clock::now();
            CaseResult result = RunCase(input, links);
            auto took = std::chrono::duration_cast<microseconds>(Clock::now() - start);
            std::lock_guard lock(mutex);
            report.latencies.push_back(took);
            auto same = [&](const OutcomeCount& c) {
                return c.outcome == result.outcome && c.plain == result.plain && c.message == result.message;
            };
            auto it = std::find_if(report.outcomes.begin(), report.outcomes.end(), same);
            if (it == report.outcomes.end()) report.outcomes.push_back({result.outcome, result.plain, result.message, 1});
            else ++it->count;
            if (++done == report.warm_up_sends) report.after_warm_up = platform.Counters();
        }
    };

    auto start = Clock::now();
    if (report.concurrency == 1) {
        work(platform.Links());
    } else {
        // Each sender has its own link: a link keeps the reply of its one exchange.
        std::vector<std::thread> senders;
        for (int i = 0; i < report.concurrency; ++i)
            senders.emplace_back([&] {
                lumvox::core::HttpNetworkLink net(platform.NetworkLimits());
                work(lumvox::core::SendLinks{.network = &net});
            });
        for (auto& sender : senders) sender.join();
    }
    report.elapsed = std::chrono::duration_cast<microseconds>(Clock::now() - start);
    report.at_end = platform.Counters();

    SortOutcomes(report.outcomes);
    std::sort(report.latencies.begin(), report.latencies.end());
    return report;
}

std::string DescribeRepeat(const RepeatReport& r) {
    size_t delivered = r.Delivered();
    std::string text = std::to_string(r.sends) + " sends " + ChannelWords(r);
    if (r.concurrency > 1) text += ", " + std::to_string(r.concurrency) + " at a time";
    text += ", in " + Fixed(r.elapsed.count() / 1e6, 3) + " s (" + Fixed(PerSecond(r), 0) + " a second): " +
            std::to_string(delivered) + " delivered, " + std::to_string(r.sends - delivered) + " failed\n";
    size_t width = std::to_string(r.sends).size();
    for (const auto& c : r.outcomes) {
        std::string count = std::to_string(c.count);
        text += "  " + std::string(width - count.size(), ' ') + count + " " + std::string(OutcomeName(c.outcome)) + ": " + c.plain;
        if (!c.message.empty()) text += " (" + lumvox::core::ToUtf8Lossy(c.message) + ")";
        text += "\n";
    }
    text += "latency in ms: p50 " + Milliseconds(r.Percentile(50)) + ", p95 " + Milliseconds(r.Percentile(95)) +
            ", p99 " + Milliseconds(r.Percentile(99)) + ", max " + Milliseconds(r.Percentile(100)) + "\n";
    return text + CountersWords(r);
}

std::string RepeatJson(const RepeatReport& r) {
    auto ms = [](microseconds us) { return us.count() / 1000.0; };
    nlohmann::ordered_json outcomes = nlohmann::ordered_json::array();
    for (const auto& c : r.outcomes) {
        nlohmann::ordered_json entry;
        entry["outcome"] = std::string(OutcomeName(c.outcome));
        entry["exitCode"] = send::ExitCode(c.outcome);
        entry["detail"] = c.plain;
        entry["message"] = lumvox::core::ToUtf8Lossy(c.message);
        entry["count"] = c.count;
        outcomes.push_back(std::move(entry));
    }
    size_t delivered = r.Delivered();
    lumvox::json::JsonLine json(kJsonEscapes);
    json.Text("channel", lumvox::core::ChannelName(r.channel));
    if (lumvox::core::ChannelOf(r.channel).to_destination) json.Text("destination", r.destination);
    json.Number("sends", static_cast<int64_t>(r.sends))
        .Number("concurrency", r.concurrency)
        .Number("delivered", static_cast<int64_t>(delivered))
        .Number("failed", static_cast<int64_t>(r.sends - delivered))
        .Value("elapsedMs", ms(r.elapsed))
        .Value("perSecond", std::round(PerSecond(r) * 10) / 10)
        .Value("outcomes", outcomes)
        .Value("latencyMs", nlohmann::ordered_json{{"p50", ms(r.Percentile(50))},
                                                   {"p95", ms(r.Percentile(95))},
                                                   {"p99", ms(r.Percentile(99))},
                                                   {"max", ms(r.Percentile(100))}})
        .Value("process", nlohmann::ordered_json{{"afterWarmUp", CountersJson(r.after_warm_up, r.warm_up_sends)},
                                                 {"atEnd", CountersJson(r.at_end, r.sends)}})
        .Number("exitCode", r.ExitCode());
    return json.Finish() + "\n";
}

}  // namespace lumvox::send
