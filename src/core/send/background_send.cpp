#include "core/send/background_send.h"

#include <utility>

namespace lumvox::core {

bool BackgroundSend::Start(SendRequest request, SendLinks links, std::function<void()> ended) {
    if (UnderWay()) return false;
    record_.reset();
    error_ = nullptr;
    thread_ = std::jthread([this, request = std::move(request), links, ended = std::move(ended)](std::stop_token stop) {
        try {
            record_ = Send(request, links, std::move(stop));
        } catch (...) {
            error_ = std::current_exception();
        }
        ended();
    });
    return true;
}

std::optional<SendRecord> BackgroundSend::TakeRecord() {
    if (!thread_.joinable()) return std::nullopt;
    thread_.join();
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    return std::exchange(record_, std::nullopt);
}

}  // namespace lumvox::core
