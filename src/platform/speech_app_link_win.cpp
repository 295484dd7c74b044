#include "speech_app_link_win.h"

#include <windows.h>

#include <string>

#include "core/text_rules.h"
#include "system_error_win.h"

namespace lumvox::win {
namespace {

HWND FindSpeechAppWindow() {
    const std::wstring title(core::kSpeechAppWindowTitle.begin(), core::kSpeechAppWindowTitle.end());
    return FindWindowW(nullptr, title.c_str());
}

core::SendCause Cause(core::CauseCode code) {
    core::SendCause cause;
    cause.code = code;
    return cause;
}

}  // namespace

bool IsSpeechAppRunning() { return FindSpeechAppWindow() != nullptr; }

core::SendCause SendToSpeechApp(std::u16string_view text) {
    // Private NUL-terminated copy: the NUL lies just past the counted bytes.
    std::u16string copy(text);
    HWND target = FindSpeechAppWindow();
    if (!target) return Cause(core::CauseCode::WindowGone);
    COPYDATASTRUCT record{};
    record.dwData = core::kCopyDataTextId;
    // The full byte count for every length; a 16-bit count would truncate
    // texts of 32768 code units or more.
    record.cbData = static_cast<DWORD>(copy.size() * sizeof(char16_t));
    record.lpData = copy.data();
    DWORD_PTR result = 0;
    SetLastError(ERROR_SUCCESS);
    if (SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record), SMTO_ABORTIFHUNG,
                            core::kCopyDataTimeoutMs, &result))
        return Cause(core::CauseCode::None);
    const DWORD error = GetLastError();
    // A time-out is no refusal: a window that is merely slow may still take
    // the text, so it is "not confirmed"; the system tells a hung thread apart.
    if (error == ERROR_TIMEOUT || error == ERROR_SUCCESS) {
        core::SendCause cause = Cause(core::CauseCode::NotConfirmed);
        cause.hung = IsHungAppWindow(target) ? core::Hung::Hung : error == ERROR_TIMEOUT ? core::Hung::Busy
                                                                                         : core::Hung::Unknown;
        return cause;
    }
    if (error == ERROR_INVALID_WINDOW_HANDLE) return Cause(core::CauseCode::WindowGone);
    core::SendCause cause = Cause(core::CauseCode::MessageRefused);
    cause.system_code = error;
    cause.system_text = SystemErrorText(error);
    return cause;
}

}  // namespace lumvox::win
