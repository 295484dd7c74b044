#include "painted_controls_win.h"

#include "platform/handles_win.h"

namespace lumvox::ui {
namespace {

COLORREF ToColorref(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

uint32_t ToRgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

}  // namespace

void PaintShape(HDC dc, const ControlSpec& shape, const Rect& at, int dpi, const ThemeColours* high_contrast) {
    const PaintColours colours = ColoursOf(shape, high_contrast);
    win::SelectedObject brush(dc, GetStockObject(DC_BRUSH));
    win::SelectedObject pen(dc, GetStockObject(DC_PEN));
    SetDCBrushColor(dc, ToColorref(colours.fill));
    SetDCPenColor(dc, ToColorref(colours.outline));
    if (shape.kind == Kind::RoundedShape) {
        const int corner = ScaleToDpi(kHeadingCorner, dpi);
        RoundRect(dc, at.x, at.y, at.x + at.w, at.y + at.h, corner, corner);
    } else {
        Rectangle(dc, at.x, at.y, at.x + at.w, at.y + at.h);
    }
}

// The static control fills its bounds with the brush and draws its text over it: the
// fill is the one of the shape it lies inside, so it looks as if drawn on the shape.
HBRUSH ColourLabel(HDC dc, const ControlSpec& label, const ThemeColours* high_contrast) {
    const PaintColours colours = ColoursOf(label, high_contrast);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colours.text != kNoColour ? ToColorref(colours.text) : GetSysColor(COLOR_WINDOWTEXT));
    if (colours.fill == kNoColour) return GetSysColorBrush(COLOR_BTNFACE);
    SetDCBrushColor(dc, ToColorref(colours.fill));
    return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
}

std::optional<ThemeColours> HighContrastColours() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    if (!SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) ||
        !(contrast.dwFlags & HCF_HIGHCONTRASTON))
        return std::nullopt;
    const auto sys = [](int index) { return ToRgb(GetSysColor(index)); };
    return ThemeColours{sys(COLOR_WINDOW),    sys(COLOR_WINDOWTEXT),   sys(COLOR_BTNFACE),
                        sys(COLOR_BTNTEXT),   sys(COLOR_HIGHLIGHT),    sys(COLOR_HIGHLIGHTTEXT)};
}

}  // namespace lumvox::ui
