#pragma once
// What the main window's files share: its styles and the DPI look-ups.
#include <windows.h>

#include "platform/controls_win.h"

#include <string>
#include <string_view>

namespace lumvox::ui {

inline constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// Composited: the whole window is painted into one buffer, bottom to top.
inline constexpr DWORD kWindowExStyle = WS_EX_COMPOSITED;

using win::Wide;

// Functions of newer Windows versions, looked up once so that older systems still run.
template <class Fn>
Fn User32(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int WindowDpi(HWND hwnd);
int SystemDpi();

}  // namespace lumvox::ui
