// libFuzzer target for the HTTP reply reader. The first input byte picks the
// limits and how the rest is cut into reads; the rest is what the peer sends.
// Every input is read twice, whole and cut up: the cut must never change the
// outcome, and a reply that is read must keep within the caps.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "core/http_reply_reader.h"

namespace lumvox::core {
namespace {

class CutSource final : public ByteSource {
public:
    CutSource(std::string_view bytes, std::size_t first_step, std::size_t second_step, bool reset)
        : bytes_(bytes), steps_{first_step, second_step}, reset_(reset) {}

    std::size_t Read(std::span<char> out) override {
        if (pos_ == bytes_.size()) {
            if (reset_) throw HttpFailureError(HttpFailure::Broken, "reset");
            return 0;
        }
        std::size_t n = std::min({out.size(), steps_[reads_++ % 2], bytes_.size() - pos_});
        std::memcpy(out.data(), bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }

private:
    std::string_view bytes_;
    std::size_t steps_[2];
    bool reset_;
    std::size_t pos_ = 0;
    std::size_t reads_ = 0;
};

struct Outcome {
    int status = 0;
    std::string body;
    std::optional<HttpFailure> failure;
    bool operator==(const Outcome&) const = default;
};

Outcome Read(CutSource source, const HttpLimits& limits) {
    try {
        HttpReply reply = ReadReply(source, limits);
        return {reply.status, std::move(reply.body), std::nullopt};
    } catch (const HttpFailureError& e) {
        return {0, {}, e.failure()};
    }
}

}  // namespace
}  // namespace lumvox::core

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumvox::core;
    if (size == 0) return 0;
    const unsigned control = data[0];
    const std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);

    HttpLimits limits;
    if (control & 1) {  // small caps, so that short inputs reach every one of them
        limits.max_line = 24;
        limits.max_head_bytes = 80;
        limits.max_head_lines = 4;
        limits.max_body = 16;
    }
    const bool reset = control & 2;
    const std::size_t first_step = 1 + (control >> 2) % 8;
    const std::size_t second_step = 1 + (control >> 5) * 3;

    Outcome whole = Read(CutSource(reply, SIZE_MAX, SIZE_MAX, reset), limits);
    Outcome cut = Read(CutSource(reply, first_step, second_step, reset), limits);
    if (!(whole == cut)) std::abort();
    if (!whole.failure) {
        if (whole.body.size() > limits.max_body) std::abort();
        if (whole.body.size() > reply.size()) std::abort();
        if (whole.status == 100) std::abort();  // interim replies are never the answer
        ReplyTextResult text = ReplyText({whole.status, whole.body});
        if (const auto* decoded = std::get_if<std::u16string>(&text); decoded && decoded->size() > whole.body.size())
            std::abort();
    }
    return 0;
}
