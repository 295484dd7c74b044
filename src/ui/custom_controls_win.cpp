#include "custom_controls_win.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <iterator>
#include <string>

#include "commands.h"
#include "platform/push_button_accessible_win.h"
#include "platform/window_win.h"

namespace lumvox::ui {
namespace {

using win::PaintScope;

// A page forwards what its controls tell their parent to the main window, which
// holds every handler, and lets it paint the shapes and labels standing on it.
class Page final : public win::Window {
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN: return SendMessageW(GetAncestor(hwnd_, GA_ROOT), msg, wp, lp);
        case WM_PAINT: {
            PaintScope paint(hwnd_);
            SendMessageW(GetAncestor(hwnd_, GA_ROOT), kPaintPageMessage, reinterpret_cast<WPARAM>(paint.dc()),
                         reinterpret_cast<LPARAM>(hwnd_));
            return 0;
        }
        }
        return Default(msg, wp, lp);
    }
};

// Like a button, except that a click never moves the keyboard focus. Assistive
// technology reads it as a push button; its default action clicks it.
class ToolButton final : public win::Window {
    enum State : unsigned { kTracking = 1, kPressed = 2, kHot = 4 };

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_LBUTTONDOWN:
            SetCapture(hwnd_);
            SetState(state_ | kTracking | kPressed);
            return 0;
        case WM_MOUSEMOVE: OnMouseMove(lp); return 0;
        case WM_MOUSELEAVE: SetState(state_ & ~kHot); return 0;
        case WM_LBUTTONUP: OnButtonUp(lp); return 0;
        case WM_CAPTURECHANGED: SetState(state_ & ~(kTracking | kPressed)); return 0;
        case BM_CLICK: NotifyClick(); return 0;
        case BM_GETSTATE: return (state_ & kPressed) ? BST_PUSHED : 0;
        case WM_GETOBJECT:
            if (const auto answer = accessibility_.Answer(hwnd_, wp, lp)) return *answer;
            return Default(msg, wp, lp);
        case win::kGetKeyboardShortcutMessage:
            // Its pointer is good only from this thread; another's would be its own address space.
            return InSendMessage() ? FALSE : TellShortcut(*reinterpret_cast<std::wstring*>(lp));
        case WM_DESTROY: accessibility_.Disconnect(); return 0;
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wp);
            if (LOWORD(lp)) InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(font_);
        case WM_SETTEXT: {
            const LRESULT r = Default(msg, wp, lp);
            InvalidateRect(hwnd_, nullptr, FALSE);
            return r;
        }
        case WM_ENABLE:
            InvalidateRect(hwnd_, nullptr, FALSE);
            AnnounceStateChange();
            return 0;
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: Paint(); return 0;
        }
        return Default(msg, wp, lp);
    }

    // The key of the command that presses this button, from the command table.
    BOOL TellShortcut(std::wstring& text) const {
        const std::u16string keys = ShortcutText(ShortcutOfButton(static_cast<ControlId>(GetDlgCtrlID(hwnd_))));
        text.assign(keys.begin(), keys.end());
        return !text.empty();
    }

    void SetState(unsigned state) {
        if (state_ == state) return;
        const bool pressed_changed = (state_ ^ state) & kPressed;
        state_ = state;
        InvalidateRect(hwnd_, nullptr, FALSE);
        if (pressed_changed) AnnounceStateChange();
    }

    // A screen reader that follows the button hears it pressed, released,
    // made unavailable or available again.
    void AnnounceStateChange() const { NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd_, OBJID_CLIENT, CHILDID_SELF); }

    void OnMouseMove(LPARAM lp) {
        unsigned state = state_ | kHot;
        if (!(state_ & kHot)) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
            TrackMouseEvent(&track);
        }
        if (state & kTracking) state = CursorInside(lp) ? (state | kPressed) : (state & ~kPressed);
        SetState(state);
    }

    void OnButtonUp(LPARAM lp) {
        const bool click = (state_ & kTracking) && CursorInside(lp);
        ReleaseCapture();
        if (click) NotifyClick();
    }

    void NotifyClick() {
        SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), BN_CLICKED),
                     reinterpret_cast<LPARAM>(hwnd_));
    }

    bool CursorInside(LPARAM lp) const {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        return PtInRect(&rc, pt) != FALSE;
    }

    void Paint() {
        PaintScope paint(hwnd_);
        HDC dc = paint.dc();
        RECT rc;
        GetClientRect(hwnd_, &rc);
        const bool pressed = state_ & kPressed;
        const bool flat = GetWindowLongW(hwnd_, GWL_STYLE) & kToolButtonFlat;
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        if (HTHEME theme = OpenThemeData(hwnd_, flat ? L"TOOLBAR" : L"BUTTON")) {
            const int part = flat ? int{TP_BUTTON} : int{BP_PUSHBUTTON};
            const int look = flat ? int{pressed ? TS_PRESSED : (state_ & kHot) ? TS_HOT : TS_NORMAL}
                                  : int{pressed ? PBS_PRESSED : (state_ & kHot) ? PBS_HOT : PBS_NORMAL};
            DrawThemeBackground(theme, dc, part, look, &rc, nullptr);
            CloseThemeData(theme);
        } else if (!flat) {
            DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
        } else if (state_ & (kHot | kPressed)) {
            DrawEdge(dc, &rc, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
        wchar_t caption[128];
        const int length = GetWindowTextW(hwnd_, caption, static_cast<int>(std::size(caption)));
        if (pressed) OffsetRect(&rc, 1, 1);
        win::SelectedObject font(dc, font_);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd_) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        DrawTextW(dc, caption, length, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }

    HFONT font_ = nullptr;
    unsigned state_ = 0;
    win::PushButtonAccessibility accessibility_;
};

WNDCLASSEXW ControlClass(HINSTANCE instance, const wchar_t* name) {
    WNDCLASSEXW wc = win::Window::ClassOf(instance, name);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.hIcon = nullptr;
    return wc;
}

}  // namespace

bool RegisterCustomControls(HINSTANCE instance) {
    return win::Window::RegisterControlClass<Page>(ControlClass(instance, kPageClass)) &&
           win::Window::RegisterControlClass<ToolButton>(ControlClass(instance, kToolButtonClass));
}

}  // namespace lumvox::ui
