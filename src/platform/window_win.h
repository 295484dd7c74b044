#pragma once
// A small window base: one object per window, attached at WM_NCCREATE, one
// HandleMessage, and one exception boundary for every handler. Windows made by
// the program pass themselves at creation; controls made by class name (from a
// layout table) get an object of their own, made with the window and deleted with it.
// Every window wires its controls and keys alike: a control's notification or a
// menu choice reaches the handler set with On, and the event loop lets the
// window a key goes to preview it (Tab, Escape, its own keys) before dispatch.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <vector>

#include "handles_win.h"

namespace lumvox::win {

class Window : NonCopyable {
public:
    virtual ~Window();
    HWND Handle() const { return hwnd_; }
    void Destroy();
    // At the end of the program: the object lets go of its window, which from then on
    // answers with the system's defaults, and the system frees it when the thread
    // ends. Destroying a shown top-level window hides it first, and under Wine with
    // no window manager each such hide waits 2 s for a withdrawal that never comes;
    // a window freed with its thread is not hidden first.
    void LeaveToProcessEnd();

    // A class with the arrow cursor, the button face behind it and the program's icon.
    static WNDCLASSEXW ClassOf(HINSTANCE instance, const wchar_t* name);
    // Registers a class whose windows are Window objects created by CreateAttached.
    static bool RegisterClassFor(WNDCLASSEXW cls);
    // Registers a control class: each window of it gets a new Control.
    template <class Control>
    static bool RegisterControlClass(WNDCLASSEXW cls) {
        cls.lpfnWndProc = &ControlProcedure<Control>;
        return Register(cls);
    }
    // The object of a window made by RegisterClassFor's procedure, or null.
    static Window* Of(HWND hwnd);
    // For the event loop, before a message is dispatched: a key goes first to the
    // top-level window of ours that it is for. True when the key was used up.
    static bool PreviewKey(const MSG& msg);
    // For the event loop, before the key preview: a key or a mouse click for a
    // top-level window of ours, or one of its controls, that the window holds
    // back. True when it is held: it is not to be dispatched.
    static bool HoldInput(const MSG& msg);

    // A menu choice comes as WM_COMMAND with notification code 0.
    static constexpr UINT kMenuChoice = 0;
    using Handler = std::function<LRESULT(LPARAM)>;

protected:
    Window() = default;
    // Creates the window with this object attached; the menu is destroyed if it fails.
    bool CreateAttached(DWORD ex_style, const wchar_t* cls, const wchar_t* title, DWORD style, POINT at, SIZE size,
                        HWND parent, UniqueHmenu menu, HINSTANCE instance);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    // What a handler threw; the message then counts as handled (0).
    virtual void ReportError(const std::exception_ptr&) {}
    // After WM_NCDESTROY, when the handle is no longer valid.
    virtual void OnDetached() {}
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

    // What control (or menu entry) `id` runs on notification `code`: WM_COMMAND's
    // code, or WM_NOTIFY's with the header in the handler's argument. These come
    // here before HandleMessage; one without a handler goes on to it.
    void On(uint16_t id, UINT code, Handler handler);
    void On(uint16_t id, UINT code, std::function<void()> handler);
    // A key to this window or one of its controls, before it is dispatched; true
    // when it is used up. By default Tab and Shift+Tab move the focus through
    // the tab stops in creation order, and Escape closes the window if it asks to.
    virtual bool OnKeyPreview(WORD key, bool with_alt);
    // A key or click for this window or its controls; true to hold it back.
    virtual bool HoldsBack(const MSG&) { return false; }
    bool MoveFocusToNextTabStop(bool backwards);
    bool closes_on_escape_ = false;

    HWND hwnd_ = nullptr;

private:
    static bool Register(const WNDCLASSEXW& cls);
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    template <class Control>
    static LRESULT CALLBACK ControlProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            auto* control = new Control();
            control->owned_by_window_ = true;
            Attach(hwnd, control);
        }
        return Procedure(hwnd, msg, wp, lp);
    }
    static void Attach(HWND hwnd, Window* self);
    std::optional<LRESULT> Notify(UINT msg, WPARAM wp, LPARAM lp);

    struct NotificationRoute {
        uint16_t id;
        UINT code;
        Handler handler;
    };
    std::vector<NotificationRoute> routes_;
    bool owned_by_window_ = false;
};

}  // namespace lumvox::win
