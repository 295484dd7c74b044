#include "custom_controls_win.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <iterator>

namespace lumvox::ui {
namespace {

// A page forwards what its controls tell their parent to the main window, which
// holds every handler.
LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
        return SendMessageW(GetAncestor(hwnd, GA_ROOT), msg, wp, lp);
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        SendMessageW(GetAncestor(hwnd, GA_ROOT), kPaintPageMessage, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(hwnd));
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// The tool button keeps its state in the window's extra bytes.
enum : int { kFontSlot = 0, kStateSlot = sizeof(LONG_PTR) };
enum : LONG_PTR { kTracking = 1, kPressed = 2, kHot = 4 };

LONG_PTR State(HWND hwnd) { return GetWindowLongPtrW(hwnd, kStateSlot); }
void SetState(HWND hwnd, LONG_PTR state) {
    if (State(hwnd) == state) return;
    SetWindowLongPtrW(hwnd, kStateSlot, state);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void NotifyClick(HWND hwnd) {
    SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

bool CursorInside(HWND hwnd, LPARAM lp) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    return PtInRect(&rc, pt) != FALSE;
}

void PaintToolButton(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    const LONG_PTR state = State(hwnd);
    const bool pressed = state & kPressed;
    const bool flat = GetWindowLongW(hwnd, GWL_STYLE) & kToolButtonFlat;
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    HTHEME theme = OpenThemeData(hwnd, flat ? L"TOOLBAR" : L"BUTTON");
    if (theme) {
        const int part = flat ? int{TP_BUTTON} : int{BP_PUSHBUTTON};
        const int look = flat ? int{pressed ? TS_PRESSED : (state & kHot) ? TS_HOT : TS_NORMAL}
                              : int{pressed ? PBS_PRESSED : (state & kHot) ? PBS_HOT : PBS_NORMAL};
        DrawThemeBackground(theme, dc, part, look, &rc, nullptr);
        CloseThemeData(theme);
    } else if (!flat) {
        DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    } else if (state & (kHot | kPressed)) {
        DrawEdge(dc, &rc, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    wchar_t caption[128];
    const int length = GetWindowTextW(hwnd, caption, static_cast<int>(std::size(caption)));
    if (pressed) OffsetRect(&rc, 1, 1);
    HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HFONT>(GetWindowLongPtrW(hwnd, kFontSlot)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, caption, length, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old_font);
    EndPaint(hwnd, &ps);
}

// Like a button, except that a click never moves the keyboard focus.
LRESULT CALLBACK ToolButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        SetState(hwnd, State(hwnd) | kTracking | kPressed);
        return 0;
    case WM_MOUSEMOVE: {
        LONG_PTR state = State(hwnd) | kHot;
        if (!(State(hwnd) & kHot)) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
            TrackMouseEvent(&track);
        }
        if (state & kTracking) state = CursorInside(hwnd, lp) ? (state | kPressed) : (state & ~kPressed);
        SetState(hwnd, state);
        return 0;
    }
    case WM_MOUSELEAVE: SetState(hwnd, State(hwnd) & ~kHot); return 0;
    case WM_LBUTTONUP: {
        const bool click = (State(hwnd) & kTracking) && CursorInside(hwnd, lp);
        ReleaseCapture();
        if (click) NotifyClick(hwnd);
        return 0;
    }
    case WM_CAPTURECHANGED: SetState(hwnd, State(hwnd) & ~(kTracking | kPressed)); return 0;
    case BM_CLICK: NotifyClick(hwnd); return 0;
    case WM_SETFONT:
        SetWindowLongPtrW(hwnd, kFontSlot, static_cast<LONG_PTR>(wp));
        if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT: return GetWindowLongPtrW(hwnd, kFontSlot);
    case WM_SETTEXT: {
        const LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
        InvalidateRect(hwnd, nullptr, FALSE);
        return r;
    }
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, FALSE); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: PaintToolButton(hwnd); return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool Register(HINSTANCE instance, const wchar_t* name, WNDPROC proc, int extra) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = extra;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace

bool RegisterCustomControls(HINSTANCE instance) {
    return Register(instance, kPageClass, PageProc, 0) &&
           Register(instance, kToolButtonClass, ToolButtonProc, 2 * sizeof(LONG_PTR));
}

}  // namespace lumvox::ui
