#pragma once
// What assistive technology reads of a push button of the program's own window
// class: an accessible object (role push button, its caption as name, unavailable
// while disabled, pressed while held down, "누르기" as default action), answered
// through WM_GETOBJECT. The button answers WM_GETTEXT, BM_GETSTATE (BST_PUSHED
// while held down) and BM_CLICK as a standard button does, and
// kGetKeyboardShortcutMessage with its key; the object asks it through those
// messages and holds nothing but its handle.
#include <windows.h>

#include <optional>

#include "handles_win.h"

namespace lumvox::win {

class PushButtonAccessible;

// Sent to the button within its own thread with a std::wstring* in lParam: the
// button writes the key that presses it ("F8", "Ctrl+B") and returns TRUE, or
// returns FALSE where it has none.
inline constexpr UINT kGetKeyboardShortcutMessage = WM_USER + 0x100;

class PushButtonAccessibility : NonCopyable {
public:
    PushButtonAccessibility() = default;
    ~PushButtonAccessibility() { Disconnect(); }
    // WM_GETOBJECT: the button's object for OBJID_CLIENT; nullopt for any other
    // object, or where the system's accessibility library is missing, for the
    // default answer.
    std::optional<LRESULT> Answer(HWND button, WPARAM wp, LPARAM lp);
    // At WM_DESTROY: a client still holding the object gets CO_E_OBJNOTCONNECTED.
    void Disconnect();

private:
    PushButtonAccessible* object_ = nullptr;  // one reference held while connected
};

// The default action's name, in the language of the window texts.
inline constexpr wchar_t kPressActionName[] = L"누르기";

}  // namespace lumvox::win
