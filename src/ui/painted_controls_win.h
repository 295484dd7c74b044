#pragma once
// Shapes and labels have no window of their own: the page or window they stand on
// paints them under its child windows. Forty windows would cost more to create at
// start-up than these few drawings cost to paint.
#include <windows.h>

#include "layout.h"

namespace lumvox::ui {

// Paints one shape or label of the layout at `at`, in its parent's client area;
// `high_contrast` is the theme's colours while a high-contrast theme is on, else null.
void PaintControl(HDC dc, const ControlSpec& control, const Rect& at, int dpi, HFONT font,
                  const ThemeColours* high_contrast);
// The theme's colours when the system's high-contrast theme is on.
std::optional<ThemeColours> HighContrastColours();

}  // namespace lumvox::ui
