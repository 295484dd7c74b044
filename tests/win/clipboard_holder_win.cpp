// Holds the clipboard open from another process, as a busy program would:
// clipboard_holder <ready-event> <release-event>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[2]);
    if (!ready || !release) return 3;
    if (!OpenClipboard(nullptr)) return 4;
    SetEvent(ready);
    WaitForSingleObject(release, INFINITE);
    CloseClipboard();
    CloseHandle(ready);
    CloseHandle(release);
    return 0;
}
