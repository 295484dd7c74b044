#include "window_win.h"

#include "app_icon_win.h"

namespace lumvox::win {

Window::~Window() {
    // A window that outlives its object would call into freed memory.
    if (hwnd_ && !owned_by_window_) DestroyWindow(hwnd_);
}

void Window::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

WNDCLASSEXW Window::ClassOf(HINSTANCE instance, const wchar_t* name) {
    WNDCLASSEXW wc{};
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadAppIcon(instance, false);
    wc.hIconSm = LoadAppIcon(instance, true);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    return wc;
}

bool Window::RegisterClassFor(WNDCLASSEXW cls) {
    cls.lpfnWndProc = &Procedure;
    return Register(cls);
}

bool Window::Register(const WNDCLASSEXW& cls) {
    WNDCLASSEXW copy = cls;
    copy.cbSize = sizeof copy;
    // A second window of a class finds it registered.
    return RegisterClassExW(&copy) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Window::CreateAttached(DWORD ex_style, const wchar_t* cls, const wchar_t* title, DWORD style, POINT at,
                            SIZE size, HWND parent, UniqueHmenu menu, HINSTANCE instance) {
    CreateWindowExW(ex_style, cls, title, style, at.x, at.y, size.cx, size.cy, parent, menu.get(), instance, this);
    // A window that was made owns its menu from now on.
    if (hwnd_) (void)menu.release();
    return hwnd_ != nullptr;
}

void Window::Attach(HWND hwnd, Window* self) {
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        if (auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams))
            Attach(hwnd, self);
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    // C++ exceptions must not cross the system's code that called this procedure.
    try {
        result = self->HandleMessage(msg, wp, lp);
    } catch (...) {
        self->ReportError(std::current_exception());
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->OnDetached();
        if (self->owned_by_window_) delete self;
    }
    return result;
}

}  // namespace lumvox::win
