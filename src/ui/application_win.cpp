#include "application_win.h"

#include <string>

#include "platform/app_icon_win.h"
#include "platform/startup_timing_win.h"
#include "window_texts.h"

namespace lumvox::ui {
namespace {

constexpr wchar_t kApplicationClass[] = L"LumvoxWorkshopApplication";

bool IsMinimizedShow(int show_state) {
    return show_state == SW_MINIMIZE || show_state == SW_SHOWMINIMIZED || show_state == SW_SHOWMINNOACTIVE ||
           show_state == SW_FORCEMINIMIZE;
}

}  // namespace

Application::~Application() { Destroy(); }

bool Application::Initialize() {
    WNDCLASSEXW wc{};
    wc.hInstance = instance_;
    wc.hIcon = lumvox::win::LoadAppIcon(instance_, false);
    wc.hIconSm = lumvox::win::LoadAppIcon(instance_, true);
    wc.lpszClassName = kApplicationClass;
    if (!RegisterClassFor(wc)) return false;
    const std::wstring title(kApplicationTitle.begin(), kApplicationTitle.end());
    // Of no size, so that it is never seen; visible, so that the task bar lists it.
    return CreateAttached(0, kApplicationClass, title.c_str(),
                          WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS, {0, 0}, {0, 0},
                          nullptr, nullptr, instance_);
}

int Application::Run(MainWindow& form, int show_state) {
    if (IsMinimizedShow(show_state)) {
        // The main window appears, and is first activated, when the user restores the entry.
        ShowWindow(hwnd_, SW_SHOWMINNOACTIVE);
        main_ = form.Handle();
        form.ShowCentred(SW_HIDE);
    } else {
        ShowWindow(hwnd_, SW_SHOWNA);
        main_ = form.Handle();
        form.ShowCentred(show_state);
    }
    lumvox::win::MarkStartupStep("shown");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) Deliver(msg);
    main_ = nullptr;
    return 0;
}

// Handlers report what they throw themselves: in the key preview and in the
// window procedures. Every window of ours previews the keys sent to it.
void Application::Deliver(const MSG& msg) {
    if (win::Window::HoldInput(msg) || win::Window::PreviewKey(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

LRESULT Application::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    HWND main = main_;
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
    return Default(msg, wp, lp);
}

}  // namespace lumvox::ui
