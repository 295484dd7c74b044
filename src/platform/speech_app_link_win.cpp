#include "speech_app_link_win.h"

#include <windows.h>

#include <string>

namespace lumvox::win {
namespace {

// The speech program waits at most this long; a hung receiver returns at once.
constexpr UINT kSendTimeoutMs = 10;

HWND FindSpeechAppWindow() {
    return FindWindowW(nullptr, L"Lumvox");
}

}  // namespace

bool IsSpeechAppRunning() { return FindSpeechAppWindow() != nullptr; }

void SendToSpeechApp(std::u16string_view text) {
    // Private NUL-terminated copy: the NUL lies just past the counted bytes.
    std::u16string copy(text);
    HWND target = FindSpeechAppWindow();
    if (!target) return;
    COPYDATASTRUCT record{};
    record.dwData = core::kCopyDataTextId;
    // The full byte count for every length; a 16-bit count would truncate
    // texts of 32768 code units or more.
    record.cbData = static_cast<DWORD>(copy.size() * sizeof(char16_t));
    record.lpData = copy.data();
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record), SMTO_ABORTIFHUNG,
                        kSendTimeoutMs, &ignored);
}

}  // namespace lumvox::win
