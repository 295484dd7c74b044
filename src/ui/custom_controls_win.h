#pragma once
// The window's own small controls: the pages of the page control, the filled
// shapes, and the tool-style push buttons that never take the keyboard focus.
#include <windows.h>

namespace muMessageTest {

inline constexpr wchar_t kPageClass[] = L"LumvoxPage";
inline constexpr wchar_t kShapeClass[] = L"LumvoxShape";
inline constexpr wchar_t kToolButtonClass[] = L"LumvoxToolButton";

// Style bits of the tool button: drawn flat until the pointer is over it.
inline constexpr DWORD kToolButtonFlat = 0x0001;
// Style bit of the shape: rounded corners (a quarter of the smaller side at 96 DPI).
inline constexpr DWORD kShapeRounded = 0x0001;

// Shapes take their colours from the layout table by their control ID.
bool RegisterCustomControls(HINSTANCE instance);

}  // namespace muMessageTest
