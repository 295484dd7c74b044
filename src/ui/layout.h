#pragma once
// The main window's layout as data: every control with its parent, kind, bounds at
// 96 DPI, resize rule, caption and look. Creation, resizing and the tests read it;
// no <windows.h> here, so the rules are tested natively.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/send/channel.h"

namespace lumvox::ui {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// Client area as laid out; d = client height - kLayoutClientHeight.
inline constexpr int kLayoutClientWidth = 634;
inline constexpr int kLayoutClientHeight = 492;
inline constexpr int kOuterWidth = 650;
inline constexpr int kMinOuterHeight = 550;
inline constexpr int kSnapDistance = 15;
inline constexpr int kLayoutDpi = 96;

// fixed keeps the bounds; stretches adds d to the height; moves adds d to the top.
// DockBottom moves like `moves` and also spans the client area's whole width, which
// the window applies (the client width is 634 where the frame is 8 pixels wide).
enum class Resize : uint8_t { Fixed, Stretches, Moves, DockBottom };

constexpr Rect Place(Rect r, Resize rule, int d) {
    switch (rule) {
    case Resize::Fixed: break;
    case Resize::Stretches: r.h += d; break;
    case Resize::Moves:
    case Resize::DockBottom: r.y += d; break;
    }
    return r;
}

constexpr int ScaleToDpi(int value, int dpi) {
    // Round half away from zero, as MulDiv does.
    const long long n = static_cast<long long>(value) * dpi;
    return static_cast<int>(n >= 0 ? (n + kLayoutDpi / 2) / kLayoutDpi : -((-n + kLayoutDpi / 2) / kLayoutDpi));
}
constexpr Rect ScaleToDpi(Rect r, int dpi) {
    return {ScaleToDpi(r.x, dpi), ScaleToDpi(r.y, dpi), ScaleToDpi(r.w, dpi), ScaleToDpi(r.h, dpi)};
}

// Screen snap while the user moves the window: each outer edge closer than `distance`
// to the matching edge of the work area lands on it; the size never changes.
constexpr Rect SnapToWorkArea(Rect window, const Rect& work, int distance) {
    const auto close_to = [distance](int a, int b) { return (a > b ? a - b : b - a) < distance; };
    if (close_to(window.x, work.x)) window.x = work.x;
    else if (close_to(window.x + window.w, work.x + work.w)) window.x = work.x + work.w - window.w;
    if (close_to(window.y, work.y)) window.y = work.y;
    else if (close_to(window.y + window.h, work.y + work.h)) window.y = work.y + work.h - window.h;
    return window;
}

// Control identifiers double as the Win32 control IDs; the end-to-end tests use them.
enum class ControlId : uint16_t {
    PageTabs = 100,
    AppPage = 101,
    NetPage = 102,
    ClipPage = 103,
    // first page
    AppIntroShape = 110,
    AppIntroLabel = 111,
    CommandListLabel = 112,
    CommandList = 113,
    AppText = 114,
    AppSendButton = 115,
    AppClearButton = 116,
    // second page
    NetIntroShape = 120,
    NetIntroLabel = 121,
    NetProtocolLabel = 122,
    NetRelayShape = 123,
    NetRelayLabel = 124,
    NetHostLabel = 125,
    NetHostEdit = 126,
    NetPortLabel = 127,
    NetPortEdit = 128,
    NetPreviewButton = 129,
    NetTextLabel = 130,
    NetText = 131,
    NetSendButton = 132,
    // third page
    ClipIntroShape = 140,
    ClipIntroLabel = 141,
    ClipText = 142,
    UseProtocolCheck = 143,
    ClipCopyButton = 144,
    ClipClearButton = 145,
    // below the pages
    MarkupHeadingShape = 150,
    MarkupHeadingLabel = 151,
    MarkupList = 152,
    LanguageHeadingShape = 153,
    LanguageHeadingLabel = 154,
    LanguageList = 155,
    StatusLine = 156,
};

enum class Parent : uint8_t { Window, PageControl, AppPage, NetPage, ClipPage };

enum class Kind : uint8_t {
    PageControl,
    Page,
    Shape,         // filled rectangle
    RoundedShape,  // filled rounded rectangle
    Label,         // a caption: a static text window
    WrappingLabel,
    ListBox,
    Memo,           // multi-line text area
    Edit,           // single-line text field
    ToolButton,     // push button that never takes the focus, drawn raised
    FlatToolButton, // the same, flat until the pointer is over it
    CheckBox,
    ReportList,
    StatusLine,
};

// Shapes are drawn by the page or window they stand on, without a window of their
// own, like the graphic controls of form designers. Captions are windows: a screen
// reader names a text box or a list by the caption just before it.
constexpr bool IsPainted(Kind kind) { return kind == Kind::Shape || kind == Kind::RoundedShape; }
constexpr bool IsLabel(Kind kind) { return kind == Kind::Label || kind == Kind::WrappingLabel; }

enum class Font : uint8_t { Window, Heading, System };

// 0xRRGGBB; kNoColour leaves the system colour.
inline constexpr uint32_t kNoColour = 0xFFFFFFFF;

namespace flags {
inline constexpr uint16_t kTabStop = 1 << 0;
inline constexpr uint16_t kWordWrap = 1 << 1;
inline constexpr uint16_t kVerticalScroll = 1 << 2;
inline constexpr uint16_t kKoreanInput = 1 << 3;  // Korean input-method preference
inline constexpr uint16_t kChecked = 1 << 4;
}  // namespace flags

struct ControlSpec {
    ControlId id;
    std::string_view name;
    Parent parent;
    Kind kind;
    Rect bounds;  // at 96 DPI, in the parent's client area
    Resize rule;
    std::u16string_view caption;
    uint16_t flags = 0;
    Font font = Font::Window;
    uint32_t text_colour = kNoColour;
    uint32_t fill = kNoColour;     // shapes; for labels, the background they stand on
    uint32_t outline = kNoColour;  // shapes
};

// In creation (and so z) order; shapes come before what stands on them, and the
// caption that names a control comes just before it (LabelOf). kControlCount rows:
// the window sizes its handle array by it, and the table is checked against it.
inline constexpr size_t kControlCount = 37;
std::span<const ControlSpec> Controls();
const ControlSpec& LayoutOf(ControlId id);
std::optional<ControlId> ControlIdFromInt(int value);
// The caption whose window names a text box, field or list for assistive technology,
// which reads the static text just before the control: its visible caption, or the
// page's intro text for a box without one. None for other controls (the check box
// carries its own caption).
std::optional<ControlId> LabelOf(ControlId control);

// The pages of PageTabs (their tab captions are the sheets' captions) and the
// text area that takes the focus when a page is chosen.
struct PageSpec {
    ControlId sheet;
    ControlId text_area;
    core::SendChannel channel;  // what the page's send button sends through
};
std::span<const PageSpec> Pages();
// The text area that FocusShowingPageText focuses for a page index; none outside 0..2.
std::optional<ControlId> TextAreaOfPage(int index);
int PageIndexOf(Parent parent);  // -1 for controls not on a page

// The Tab key's cycle: the tab strip, the showing page's tab stops, MarkupList, LanguageList.
std::span<const ControlId> TabOrder();
// Next (or previous) tab stop after `from`, given the showing page. `from` may be a
// control that is not a tab stop (AppText) or none (nullopt).
ControlId NextTabStop(std::optional<ControlId> from, int showing_page, bool backwards);

// The main menu: top-level menus with their entries; id 0 for separators.
enum class MenuId : uint16_t {
    OpenFile = 201,  // 파일 열기
    Exit = 202,  // 종료
    SamplePlain = 211,  // 단순 문장
    SampleMarkup = 212,  // 태그 문장
    SampleLanguage = 213,  // LANGID 선택
    SamplePitch = 214, // 높이
    SampleRate = 215, // 빠르기
    SampleSpelling = 216, // 스펠링
    SampleVolume = 217, // 소리 크기
    SendLog = 231,      // 도구 > 전송 기록
    CheckMarkup = 232,  // 도구 > 마크업 검사
    // The pages' buttons and the way back to the text, for the keyboard alone.
    SendToAppByMenu = 233,       // 도구 > 어플리케이션으로 보내기
    SendOverNetworkByMenu = 234, // 도구 > 네트워크로 보내기
    PreviewByMenu = 235,         // 도구 > 보낼 메시지 미리보기
    CopyByMenu = 236,            // 도구 > 클립보드로 복사하기
    ClearByMenu = 237,           // 도구 > 비우기: the showing page's text
    FocusTextByMenu = 238,       // 도구 > 텍스트로 이동: the showing page's text
};
struct MenuEntry {
    std::string_view name;
    std::u16string_view caption;  // empty for a separator
    uint16_t id;                  // MenuId, 0 for a separator and for a top-level menu
    bool top_level;
};
// Each entry's action and key are its row in the command table (commands.h).
std::span<const MenuEntry> Menu();
// Index into the sample texts (menu order) of a sample entry; none for other entries.
std::optional<size_t> SampleIndexOf(MenuId id);

// The colours a painted shape or label is drawn in. With a high-contrast theme on, fills
// and text come in the theme's pairs (window, button face, highlight) instead of the
// fixed look; off, the layout's own. kNoColour text means the system's window text.
struct ThemeColours {
    uint32_t window, window_text, face, face_text, highlight, highlight_text;  // 0xRRGGBB
};
struct PaintColours {
    uint32_t fill, outline, text;
    friend constexpr bool operator==(const PaintColours&, const PaintColours&) = default;
};
PaintColours ColoursOf(const ControlSpec& painted, const ThemeColours* high_contrast);

// MarkupList's columns.
struct ColumnSpec {
    std::u16string_view caption;
    int width;  // at 96 DPI
};
std::span<const ColumnSpec> MarkupColumns();
inline constexpr int kListItemHeight = 14;  // CommandList, LanguageList
inline constexpr int kFontHeight = 12;      // Tahoma and the Verdana headings, in pixels
inline constexpr int kHeadingCorner = 12;   // corner ellipse of the rounded shapes
// The status line's first part, whether the speech program runs, at 96 DPI; the
// second, where a send stands, takes the rest.
inline constexpr int kStatusFirstPartWidth = 280;

}  // namespace lumvox::ui
