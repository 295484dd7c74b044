#pragma once
// Shapes have no window of their own: the page or window they stand on paints them
// under its child windows. Captions are static windows (screen readers name controls
// by them) coloured here as the shapes they stand on.
#include <windows.h>

#include "layout.h"

namespace lumvox::ui {

// Paints one shape of the layout at `at`, in its parent's client area; `high_contrast`
// is the theme's colours while a high-contrast theme is on, else null.
void PaintShape(HDC dc, const ControlSpec& shape, const Rect& at, int dpi, const ThemeColours* high_contrast);
// WM_CTLCOLORSTATIC for a caption's window: its text colour on the fill it stands on
// (the page's face where it stands on no shape). Returns the brush to fill with.
HBRUSH ColourLabel(HDC dc, const ControlSpec& label, const ThemeColours* high_contrast);
// The theme's colours when the system's high-contrast theme is on.
std::optional<ThemeColours> HighContrastColours();
using HighContrastQuery = std::optional<ThemeColours> (*)();

}  // namespace lumvox::ui
