#pragma once
// Seam to the speech program's window on this computer. The Windows build
// implements it with FindWindowW and WM_COPYDATA; tests use recording fakes.
#include <cstdint>
#include <string_view>

namespace lumvox::core {

// Identifier the speech program expects in COPYDATASTRUCT::dwData.
inline constexpr uint32_t kCopyDataTextId = 1024;

class SpeechAppLink {
public:
    virtual ~SpeechAppLink() = default;
    // Is there a top-level window whose whole title is "Lumvox" (any case)?
    virtual bool IsRunning() = 0;
    // Looks the window up afresh and hands it the text; never reports.
    virtual void Send(std::u16string_view text) = 0;
};

}  // namespace lumvox::core
