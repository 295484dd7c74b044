// libFuzzer target for the stand-in's request reading: the bytes a client
// sends, cut into reads as the first input byte says. The head-reading
// decision must not depend on where the reads split, and every head the
// stand-in takes becomes a log line that reads back as the same request.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "standin/events.h"
#include "standin/wire_text.h"

namespace {

using namespace lumvox::standin;

void CheckLogLine(std::string_view head) {
    RequestHead parsed = ParseRequestHead(head);
    HttpEvent event{{2026, 12, 10, 9, 3, 4, 5}, "127.0.0.1:50123", ReplyMode::Sent, std::string(head)};
    const nlohmann::json line = nlohmann::json::parse(ToJson(event));  // throws, and so fails, if not JSON
    if (line.at("requestLine") != ValidUtf8(parsed.request_line) || line.at("target") != ValidUtf8(parsed.target) ||
        line.at("raw") != ValidUtf8(head) || line.at("headers").size() != parsed.headers.size())
        std::abort();
    auto envelope = NetworkEnvelopeText(parsed.target);
    if (envelope.has_value() != !line.at("text").is_null()) std::abort();
    if (envelope && (line.at("textIsUtf8") != IsValidUtf8(envelope->bytes) ||
                     envelope->bytes.size() > parsed.target.size()))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t step = 1 + data[0] % 16;
    const std::size_t max_head = (data[0] & 0x80) ? 64 : kMaxRequestHead;  // a small cap reaches TooLarge
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    // Read as the listener reads: a decision after every read, from what arrived so far.
    HeadReading cut;
    for (std::size_t arrived = 0; arrived < bytes.size();) {
        const std::size_t searched = arrived;
        arrived = std::min(bytes.size(), arrived + step);
        cut = ReadRequestHead(bytes.substr(0, arrived), searched, max_head);
        if (cut.state != HeadReading::State::NeedMore) break;
    }
    const HeadReading whole = ReadRequestHead(bytes, 0, SIZE_MAX);
    const bool end_within_cap = whole.state != HeadReading::State::NeedMore && whole.head_size <= max_head;
    if (cut.state == HeadReading::State::TooLarge) {
        // Only a head whose end had not arrived within the cap is refused as too large.
        if (end_within_cap) std::abort();
    } else if (cut.state != whole.state || cut.head_size != whole.head_size || cut.problem != whole.problem) {
        std::abort();
    }
    if (cut.head_size > bytes.size()) std::abort();

    if (cut.state == HeadReading::State::Whole) CheckLogLine(bytes.substr(0, cut.head_size));
    std::string start = RefusalStart(bytes);
    if (start.size() > kRefusalStartBytes || bytes.substr(0, start.size()) != start) std::abort();
    if (IsValidUtf8(bytes) && !IsValidUtf8(start)) std::abort();
    (void)PercentDecode(bytes);
    return 0;
}
