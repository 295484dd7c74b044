#include "clipboard_win.h"

#include <cstring>
#include <string>

#include "handles_win.h"
#include "system_error_win.h"

namespace lumvox::win {
namespace {

constexpr std::u16string_view kOutOfResources = u"Out of system resources";

std::u16string Ascii(std::string_view text) { return {text.begin(), text.end()}; }

std::u16string WindowTitle(HWND window) {
    wchar_t title[256] = {};
    const int length = GetWindowTextW(window, title, 256);
    return std::u16string(reinterpret_cast<const char16_t*>(title), length > 0 ? length : 0);
}

std::u16string ProcessName(DWORD process_id) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
    std::u16string name = u"#" + std::u16string(Ascii(std::to_string(process_id)));
    if (!process) return name;
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameW(process.get(), 0, path, &size)) return name;
    std::wstring_view full(path, size);
    full = full.substr(full.find_last_of(L"\\/") == std::wstring_view::npos ? 0 : full.find_last_of(L"\\/") + 1);
    return std::u16string(full.begin(), full.end()) + u" (" + name + u")";
}

// Why the clipboard could not be opened: the system's words, and who holds it
// open where the system tells.
core::SendCause BusyCause(DWORD error) {
    core::SendCause cause;
    cause.code = core::CauseCode::ClipboardBusy;
    cause.system_code = error;
    cause.system_text = SystemErrorText(error);
    if (HWND holder = GetOpenClipboardWindow()) {
        cause.holder_window = WindowTitle(holder);
        DWORD process_id = 0;
        GetWindowThreadProcessId(holder, &process_id);
        if (process_id) cause.holder_process = ProcessName(process_id);
    }
    return cause;
}

[[noreturn]] void ThrowPlaceFailed() {
    core::SendCause cause;
    cause.code = core::CauseCode::ClipboardFailed;
    cause.system_text = std::u16string(kOutOfResources);
    throw core::CauseError(std::u16string(kOutOfResources), std::move(cause));
}

}  // namespace

void WindowClipboard::PlaceText(std::u16string_view text) {
    OpenedClipboard clipboard(owner_);
    if (!clipboard) {
        const DWORD error = GetLastError();
        throw core::CauseError(u"Cannot open clipboard: " + SystemErrorText(error), BusyCause(error));
    }
    const size_t bytes = text.size() * sizeof(char16_t);
    UniqueHglobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes + sizeof(char16_t)));
    if (!block) ThrowPlaceFailed();
    // Declared after the block: unlocked before it is freed, and after it is placed.
    LockedGlobal locked(block.get());
    if (!locked.data()) ThrowPlaceFailed();
    std::memcpy(locked.data(), text.data(), bytes);
    std::memset(static_cast<char*>(locked.data()) + bytes, 0, sizeof(char16_t));
    // Emptied only now, so a failure before leaves the clipboard as it was.
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, block.get())) ThrowPlaceFailed();
    (void)block.release();  // the clipboard owns it now
}

}  // namespace lumvox::win
