#pragma once
// Seam to the speech program's window on this computer. The Windows build
// implements it with FindWindowW and WM_COPYDATA; tests use recording fakes.
#include <cstdint>
#include <string_view>

#include "send_outcome.h"

namespace lumvox::core {

// Identifier the speech program expects in COPYDATASTRUCT::dwData.
inline constexpr uint32_t kCopyDataTextId = 1024;
// The longest a send waits for the window; a hung receiver returns at once.
inline constexpr int kCopyDataTimeoutMs = 10;

class SpeechAppLink {
public:
    virtual ~SpeechAppLink() = default;
    // Is there a top-level window whose whole title is "Lumvox" (any case)?
    virtual bool IsRunning() = 0;
    // Looks the window up afresh and hands it the text, once. The window shows
    // nothing of the result; the send log does: CauseCode::None when the
    // window's thread took the message, otherwise why not.
    virtual SendCause Send(std::u16string_view text) = 0;
};

}  // namespace lumvox::core
