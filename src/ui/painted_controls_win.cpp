#include "painted_controls_win.h"

#include "platform/handles_win.h"

namespace lumvox::ui {
namespace {

COLORREF ToColorref(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

uint32_t ToRgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

void PaintShape(HDC dc, const ControlSpec& shape, const PaintColours& colours, const Rect& at, int dpi) {
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

// As a static text control draws it: no prefix characters, cut at its bounds.
void PaintLabel(HDC dc, const ControlSpec& label, const PaintColours& colours, const Rect& at, HFONT font) {
    win::SelectedObject selected_font(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colours.text != kNoColour ? ToColorref(colours.text) : GetSysColor(COLOR_WINDOWTEXT));
    RECT bounds{at.x, at.y, at.x + at.w, at.y + at.h};
    const UINT wrap = label.kind == Kind::WrappingLabel ? DT_WORDBREAK : DT_SINGLELINE;
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(label.caption.data()), static_cast<int>(label.caption.size()),
              &bounds, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS | wrap);
}

}  // namespace

void PaintControl(HDC dc, const ControlSpec& control, const Rect& at, int dpi, HFONT font,
                  const ThemeColours* high_contrast) {
    const PaintColours colours = ColoursOf(control, high_contrast);
    switch (control.kind) {
    case Kind::Shape:
    case Kind::RoundedShape: PaintShape(dc, control, colours, at, dpi); break;
    case Kind::Label:
    case Kind::WrappingLabel: PaintLabel(dc, control, colours, at, font); break;
    default: break;
    }
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
