#pragma once
// The window's own small controls: the pages of the page control and the
// tool-style push buttons that never take the keyboard focus.
#include <windows.h>

namespace lumvox::ui {

inline constexpr wchar_t kPageClass[] = L"LumvoxPage";
inline constexpr wchar_t kToolButtonClass[] = L"LumvoxToolButton";

// Style bits of the tool button: drawn flat until the pointer is over it.
inline constexpr DWORD kToolButtonFlat = 0x0001;
// A page asks the main window to paint the shapes and labels on it: sent with the
// page's paint DC in wParam and the page in lParam, inside the page's WM_PAINT.
inline constexpr UINT kPaintPageMessage = WM_APP + 1;

bool RegisterCustomControls(HINSTANCE instance);

}  // namespace lumvox::ui
