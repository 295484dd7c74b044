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

void Window::LeaveToProcessEnd() {
    if (!hwnd_) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);  // Procedure then calls DefWindowProcW
    hwnd_ = nullptr;
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

Window* Window::Of(HWND hwnd) {
    if (!hwnd || reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != &Procedure) return nullptr;
    return reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Window::On(uint16_t id, UINT code, Handler handler) { routes_.push_back({id, code, std::move(handler)}); }

void Window::On(uint16_t id, UINT code, std::function<void()> handler) {
    On(id, code, [run = std::move(handler)](LPARAM) -> LRESULT {
        run();
        return 0;
    });
}

std::optional<LRESULT> Window::Notify(UINT msg, WPARAM wp, LPARAM lp) {
    uint16_t id = 0;
    UINT code = 0;
    if (msg == WM_COMMAND) {
        id = LOWORD(wp);
        code = HIWORD(wp);
    } else if (msg == WM_NOTIFY) {
        const auto& header = *reinterpret_cast<const NMHDR*>(lp);
        id = static_cast<uint16_t>(header.idFrom);
        code = header.code;
    } else {
        return std::nullopt;
    }
    for (const NotificationRoute& route : routes_)
        if (route.id == id && route.code == code) return route.handler(lp);
    return std::nullopt;
}

bool Window::PreviewKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    Window* self = Of(GetAncestor(msg.hwnd, GA_ROOT));
    if (!self) return false;
    try {
        return self->OnKeyPreview(static_cast<WORD>(msg.wParam), msg.message == WM_SYSKEYDOWN);
    } catch (...) {
        self->ReportError(std::current_exception());
        return false;
    }
}

bool Window::HoldInput(const MSG& msg) {
    const UINT m = msg.message;
    const bool key = m >= WM_KEYFIRST && m <= WM_KEYLAST;
    const bool click = (m >= WM_LBUTTONDOWN && m <= WM_MBUTTONDBLCLK) || (m >= WM_XBUTTONDOWN && m <= WM_XBUTTONDBLCLK);
    if ((!key && !click) || !msg.hwnd) return false;
    Window* self = Of(GetAncestor(msg.hwnd, GA_ROOT));
    if (!self) return false;
    try {
        return self->HoldsBack(msg);
    } catch (...) {
        self->ReportError(std::current_exception());
        return true;
    }
}

bool Window::OnKeyPreview(WORD key, bool with_alt) {
    if (with_alt) return false;
    if (key == VK_ESCAPE && closes_on_escape_) {
        SendMessageW(hwnd_, WM_CLOSE, 0, 0);
        return true;
    }
    if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0) return MoveFocusToNextTabStop(GetKeyState(VK_SHIFT) < 0);
    return false;
}

// Through this window's own controls that are tab stops, visible and enabled, in
// creation order, round at the ends.
bool Window::MoveFocusToNextTabStop(bool backwards) {
    std::vector<HWND> stops;
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(child) && IsWindowEnabled(child))
            stops.push_back(child);
    if (stops.empty()) return false;
    HWND focus = GetFocus();
    size_t at = stops.size();
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == focus || IsChild(stops[i], focus)) at = i;
    const size_t n = stops.size();
    size_t next;
    if (at == n) next = backwards ? n - 1 : 0;
    else next = backwards ? (at + n - 1) % n : (at + 1) % n;
    SetFocus(stops[next]);
    return true;
}

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
        const auto routed = self->Notify(msg, wp, lp);
        result = routed ? *routed : self->HandleMessage(msg, wp, lp);
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
