#include "application_win.h"

#include <string>

#include "window_texts.h"

namespace lumvox::ui {
namespace {

constexpr wchar_t kApplicationClass[] = L"LumvoxWorkshopApplication";

HWND MainWindowOf(HWND application) { return reinterpret_cast<HWND>(GetWindowLongPtrW(application, GWLP_USERDATA)); }

bool IsMinimizedShow(int show_state) {
    return show_state == SW_MINIMIZE || show_state == SW_SHOWMINIMIZED || show_state == SW_SHOWMINNOACTIVE ||
           show_state == SW_FORCEMINIMIZE;
}

}  // namespace

Application::~Application() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool Application::Initialize() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.lpszClassName = kApplicationClass;
    if (!RegisterClassExW(&wc)) return false;
    const std::wstring title(kApplicationTitle.begin(), kApplicationTitle.end());
    // Of no size, so that it is never seen; visible, so that the task bar lists it.
    hwnd_ = CreateWindowExW(0, kApplicationClass, title.c_str(),
                            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                            nullptr, nullptr, instance_, nullptr);
    return hwnd_ != nullptr;
}

int Application::Run(MainWindow& form, int show_state) {
    if (IsMinimizedShow(show_state)) {
        // The main window appears, and is first activated, when the user restores the entry.
        ShowWindow(hwnd_, SW_SHOWMINNOACTIVE);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form.Handle()));
        form.ShowCentred(SW_HIDE);
    } else {
        ShowWindow(hwnd_, SW_SHOWNA);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form.Handle()));
        form.ShowCentred(show_state);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        try {
            if (form.PreviewMessage(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } catch (...) {
            form.ReportError(std::current_exception());
        }
    }
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    return 0;
}

LRESULT CALLBACK Application::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    HWND main = MainWindowOf(hwnd);
    switch (msg) {
    case WM_SIZE:
        // Minimising the entry hides the main window; restoring it brings it back.
        if (!main) break;
        if (wp == SIZE_MINIMIZED) ShowWindow(main, SW_HIDE);
        else if (wp == SIZE_RESTORED && !IsWindowVisible(main)) ShowWindow(main, SW_SHOW);
        return 0;
    case WM_ACTIVATE:
        // Activating the entry activates the main window, or the box it is waiting on.
        if (LOWORD(wp) != WA_INACTIVE && main && IsWindowVisible(main)) {
            HWND target = GetLastActivePopup(main);
            SetActiveWindow(target && IsWindowVisible(target) && IsWindowEnabled(target) ? target : main);
            return 0;
        }
        break;
    case WM_CLOSE: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace lumvox::ui
