// The baseline for the start-up benchmark: an empty Win32 window that sets its title
// at its first activation, as the workshop does. Built a second time with
// WITH_WORKSHOP_DLLS (and the workshop's manifest) it also loads what the workshop
// loads before its first line runs: common controls 6, themes, sockets, versions and
// input methods; the difference to the workshop is then the workshop's own work.
#ifdef WITH_WORKSHOP_DLLS
#include <winsock2.h>
#endif
#include <windows.h>
#ifdef WITH_WORKSHOP_DLLS
#include <commctrl.h>
#include <imm.h>
#include <uxtheme.h>
#endif

namespace {

bool activated = false;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && !activated) {
            activated = true;
            SetWindowTextW(hwnd, L"Empty window activated");
        }
        break;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

#ifdef WITH_WORKSHOP_DLLS
volatile bool never = false;  // the calls only make the DLLs imported
void ImportWorkshopDlls() {
    if (!never) return;
    InitCommonControls();
    IsThemeActive();
    WSACleanup();
    GetFileVersionInfoSizeW(L"", nullptr);
    ImmIsIME(nullptr);
}
#else
void ImportWorkshopDlls() {}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    ImportWorkshopDlls();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"EmptyWindow";
    RegisterClassExW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Empty window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                650, 550, nullptr, nullptr, instance, nullptr);
    ShowWindow(hwnd, show);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
