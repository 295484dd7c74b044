#pragma once
// What the copy-data channel and the speech program's window agree on; the
// link itself is with the other links in send/links.h.
#include <cstdint>
#include <string_view>

#include "send/links.h"

namespace lumvox::core {

// Identifier the speech program expects in COPYDATASTRUCT::dwData.
inline constexpr uint32_t kCopyDataTextId = 1024;
// The longest a send waits for the window; a hung receiver returns at once.
inline constexpr int kCopyDataTimeoutMs = 10;

}  // namespace lumvox::core
