// A windowed program that does what the programs do first (library search limited
// to System32) and imports only kernel32 and user32: what Wine loads beside it is
// the planted-library test's baseline. Wine's own user32 imports VERSION, so under
// Wine a planted version.dll is loaded into every program that has windows, before
// its first line runs; Windows' user32 does not import it.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    HWND window = CreateWindowExW(0, L"STATIC", L"probe", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    if (!window) return 1;
    DestroyWindow(window);
    return 0;
}
