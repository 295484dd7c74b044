// Imports VERSION and UxTheme the ordinary way, at start-up: the planted-library
// test runs it first to show that its planted copies would be caught.
#include <windows.h>

#include <uxtheme.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    DWORD ignored = 0;
    GetFileVersionInfoSizeW(L"kernel32.dll", &ignored);
    if (HTHEME theme = OpenThemeData(nullptr, L"BUTTON")) CloseThemeData(theme);
    return 0;
}
