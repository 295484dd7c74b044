// The main window's painting: shapes have no windows; the window and its pages paint
// them under their child windows. The captions' windows take their colours here.
#include "main_window_win.h"
#include "painted_controls_win.h"
#include "platform/startup_timing_win.h"

#include <utility>

namespace lumvox::ui {

void MainWindow::OnPaint() {
    win::PaintScope paint(hwnd_);
    PaintControls(Parent::Window, paint.dc());
    static bool painted = false;
    if (!std::exchange(painted, true)) win::MarkStartupStep("first paint of the main window");
}

void MainWindow::PaintControlsOn(HWND page, HDC dc) {
    const auto sheet = ControlOf(page);
    if (!sheet) return;
    switch (*sheet) {
    case ControlId::AppPage: PaintControls(Parent::AppPage, dc); break;
    case ControlId::NetPage: PaintControls(Parent::NetPage, dc); break;
    case ControlId::ClipPage: PaintControls(Parent::ClipPage, dc); break;
    default: break;  // a window that is not one of our pages
    }
}

void MainWindow::PaintControls(Parent parent, HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const auto high_contrast = high_contrast_query_();
    for (const ControlSpec& c : Controls())
        if (c.parent == parent && IsPainted(c.kind))
            PaintShape(dc, c, Placed(c, client), dpi_, high_contrast ? &*high_contrast : nullptr);
}

// A caption takes its layout's colours (or the theme's pairs); every other control
// that asks here takes the system colours on the button face.
LRESULT MainWindow::OnCtlColor(HDC dc, HWND control, bool button) {
    if (const auto id = ControlOf(control); id && IsLabel(LayoutOf(*id).kind)) {
        const auto high_contrast = high_contrast_query_();
        return reinterpret_cast<LRESULT>(ColourLabel(dc, LayoutOf(*id), high_contrast ? &*high_contrast : nullptr));
    }
    SetTextColor(dc, GetSysColor(button ? COLOR_BTNTEXT : COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace lumvox::ui
