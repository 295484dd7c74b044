// Holds the clipboard open from another process, as a busy program would:
// clipboard_holder <ready-event> <release-event>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[2]);
    if (!ready || !release) return 3;
    // Opened for a window of its own, so that the system can name the holder.
    HWND window = CreateWindowExW(0, L"STATIC", L"clipboard holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!OpenClipboard(window)) return 4;
    SetEvent(ready);
    WaitForSingleObject(release, INFINITE);
    CloseClipboard();
    if (window) DestroyWindow(window);
    CloseHandle(ready);
    CloseHandle(release);
    return 0;
}
