#include "send_log.h"

namespace lumvox::core {

void SendLog::Record(const SendRecord& record) {
    if (records_.size() == kSendLogCapacity) records_.pop_front();
    records_.push_back(record);
    ++total_;
    if (listener_) listener_();
}

}  // namespace lumvox::core
