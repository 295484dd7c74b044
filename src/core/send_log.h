#pragma once
// The sends of this run, newest last, for the workshop's send log: the page
// actions' journal. Keeps the last kSendLogCapacity records. Portable.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

#include "page_actions.h"

namespace lumvox::core {

inline constexpr std::size_t kSendLogCapacity = 1000;

class SendLog final : public SendJournal {
public:
    void Record(const SendRecord& record) override;
    const std::deque<SendRecord>& records() const { return records_; }
    // Every send ever recorded, also those that no longer fit.
    std::uint64_t total() const { return total_; }
    // Called after each record, once the log holds it (the log window listens).
    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    std::deque<SendRecord> records_;
    std::uint64_t total_ = 0;
    std::function<void()> listener_;
};

}  // namespace lumvox::core
