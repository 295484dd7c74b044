#pragma once
// A small window base: one object per window, attached at WM_NCCREATE, one
// HandleMessage, and one exception boundary for every handler. Windows made by
// the program pass themselves at creation; controls made by class name (from a
// layout table) get an object of their own, made with the window and deleted with it.
#include <windows.h>

#include <exception>

#include "handles_win.h"

namespace lumvox::win {

class Window : NonCopyable {
public:
    virtual ~Window();
    HWND Handle() const { return hwnd_; }
    void Destroy();

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

    bool owned_by_window_ = false;
};

}  // namespace lumvox::win
