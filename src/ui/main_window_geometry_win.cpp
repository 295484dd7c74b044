// The main window's geometry: its outer size for the layout, the controls' places
// as the client area grows, the least and greatest sizes, the screen snap and the
// move to another DPI.
#include "main_window_parts_win.h"
#include "main_window_win.h"

#include <algorithm>

namespace lumvox::ui {
namespace {

int ScreenDpi(HWND hwnd) {
    const win::WindowDc dc(hwnd);
    const int dpi = GetDeviceCaps(dc.dc(), LOGPIXELSY);
    return dpi > 0 ? dpi : kLayoutDpi;
}

RECT OuterRectFor(int client_w, int client_h, DWORD style, DWORD ex_style, int dpi) {
    static const auto adjust = User32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT rc{0, 0, client_w, client_h};
    if (adjust) adjust(&rc, style, TRUE, ex_style, static_cast<UINT>(dpi));
    else AdjustWindowRectEx(&rc, style, TRUE, ex_style);
    return rc;
}

}  // namespace

int WindowDpi(HWND hwnd) {
    static const auto get = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (get) {
        if (const UINT dpi = get(hwnd)) return static_cast<int>(dpi);
    }
    return ScreenDpi(hwnd);
}

int SystemDpi() {
    static const auto get = User32<UINT(WINAPI*)()>("GetDpiForSystem");
    if (get) return static_cast<int>(get());
    return ScreenDpi(nullptr);
}

// The outer size that gives the laid-out client area, at least the least outer size.
SIZE MainWindow::OuterSize() const {
    const RECT outer = OuterRectFor(Scale(kLayoutClientWidth), Scale(kLayoutClientHeight), kWindowStyle,
                                    kWindowExStyle, dpi_);
    return {Scale(kOuterWidth), std::max<LONG>(outer.bottom - outer.top, Scale(kMinOuterHeight))};
}

Rect MainWindow::Placed(const ControlSpec& c, const RECT& client) const {
    const int d = (client.bottom - client.top) - Scale(kLayoutClientHeight);
    Rect r = Place(ScaleToDpi(c.bounds, dpi_), c.rule, d);
    if (c.rule == Resize::DockBottom) {
        // On the edge exactly, whatever the rounding of the scaled top and height.
        r.x = 0;
        r.y = (client.bottom - client.top) - r.h;
        r.w = client.right - client.left;
    }
    return r;
}

void MainWindow::Relayout() {
    RECT client;
    if (!GetClientRect(hwnd_, &client) || IsIconic(hwnd_)) return;
    const auto controls = Controls();
    // DeferWindowPos batches must share a parent: one batch per parent.
    for (Parent parent : {Parent::Window, Parent::PageControl, Parent::AppPage, Parent::NetPage, Parent::ClipPage}) {
        HDWP batch = BeginDeferWindowPos(16);
        for (size_t i = 0; i < controls.size(); ++i) {
            if (controls[i].parent != parent || !controls_[i]) continue;
            const Rect r = Placed(controls[i], client);
            if (batch)
                batch = DeferWindowPos(batch, controls_[i], nullptr, r.x, r.y, r.w, r.h, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (batch) EndDeferWindowPos(batch);
    }
    // The shapes and captions below the pages move with the bottom edge.
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::OnGetMinMaxInfo(MINMAXINFO& info) {
    const int width = Scale(kOuterWidth);
    info.ptMinTrackSize = {width, Scale(kMinOuterHeight)};
    info.ptMaxTrackSize.x = width;
    info.ptMaxSize.x = width;
}

// Each outer edge closer than the snap distance to the work area's edge snaps onto it.
void MainWindow::OnMoving(RECT& rect) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& w = monitor.rcWork;
    const Rect snapped = SnapToWorkArea({rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top},
                                        {w.left, w.top, w.right - w.left, w.bottom - w.top}, Scale(kSnapDistance));
    rect = {snapped.x, snapped.y, snapped.x + snapped.w, snapped.y + snapped.h};
}

void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    MakeFonts();
    const auto controls = Controls();
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls_[i]) ApplyMetrics(controls[i], controls_[i]);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Relayout();
    // The pages too: their shapes and captions are painted with the new fonts.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace lumvox::ui
