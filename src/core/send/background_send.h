#pragma once
// One send on a thread of its own, so that the thread that starts it (the
// window's) stays free to repaint and answer while the exchange waits on a peer.
// Portable.
#include <exception>
#include <functional>
#include <optional>
#include <thread>

#include "core/send/request.h"

namespace lumvox::core {

class BackgroundSend {
public:
    BackgroundSend() = default;
    BackgroundSend(const BackgroundSend&) = delete;
    BackgroundSend& operator=(const BackgroundSend&) = delete;
    // Asks a send still under way to stop and waits for its thread; its record is dropped.
    ~BackgroundSend() = default;

    // Starts Send(request, links) on a new thread; `ended` is called on that
    // thread once the record is ready (it must only pass the word on, e.g. post
    // a message). The links must outlive this object. False, and nothing
    // started, while an earlier send's record has not been taken.
    bool Start(SendRequest request, SendLinks links, std::function<void()> ended);
    // From its start until its record is taken.
    bool UnderWay() const { return thread_.joinable(); }
    // Asks the send to end as soon as it can: its record's cause is then "cancelled".
    void Cancel() { thread_.request_stop(); }
    // The record of the send, once: waits for its thread to end. Rethrows what
    // the send threw; nullopt when no send was started.
    std::optional<SendRecord> TakeRecord();

private:
    std::optional<SendRecord> record_;  // written by the thread, read after it is joined
    std::exception_ptr error_;
    std::jthread thread_;  // last: stopped and joined before the members it writes go
};

}  // namespace lumvox::core
