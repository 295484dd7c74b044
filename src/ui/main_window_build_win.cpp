// Building the main window: its controls from the layout table, their fonts and
// metrics for the window's DPI, the menu bar and the reference lists.
#include "main_window_win.h"

#include <commctrl.h>

#include <vector>

#include "core/reference_texts.h"
#include "platform/startup_timing_win.h"
#include "control_classes_win.h"
#include "custom_controls_win.h"
#include "main_window_parts_win.h"
#include "window_texts.h"

namespace lumvox::ui {
namespace {

using core::TextField;

win::UniqueHfont MakeFont(const wchar_t* face, int height, int weight) {
    LOGFONTW lf{};
    lf.lfHeight = -height;  // character height, without internal leading
    lf.lfWeight = weight;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return win::UniqueHfont(CreateFontIndirectW(&lf));
}

// Text boxes, the tab row and the list view lay themselves out and repaint anew for
// each font, tab, column and style they are given while visible, and under Wine each
// repaint is a round trip to its server even before the window is shown. These are
// created hidden and shown once they have all of it; for the others, showing them
// later would cost more than it saves.
bool ShownAfterItsMetrics(Kind kind) {
    return kind == Kind::Memo || kind == Kind::Edit || kind == Kind::PageControl || kind == Kind::ReportList;
}

win::UniqueHmenu BuildMenu() {
    win::UniqueHmenu bar(CreateMenu());
    HMENU popup = nullptr;
    for (const MenuEntry& e : Menu()) {
        if (e.top_level) {
            popup = CreatePopupMenu();
            AppendMenuW(bar.get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), Wide(e.caption).c_str());
        } else if (e.caption.empty()) {
            AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(popup, MF_STRING, e.id, Wide(MenuCaption(e)).c_str());
        }
    }
    return bar;
}

}  // namespace

void MainWindow::InitCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
}

bool MainWindow::Create(HINSTANCE instance, HWND owner) {
    static const bool registered = [instance] {
        return RegisterClassFor(ClassOf(instance, kMainWindowClass)) && RegisterCustomControls(instance);
    }();
    if (!registered) return false;
    win::MarkStartupStep("main window classes registered");
    // Sized for the system's DPI; OnCreate corrects it where the window's own differs.
    dpi_ = SystemDpi();
    const SIZE size = OuterSize();
    win::UniqueHmenu menu = BuildMenu();
    win::MarkStartupStep("menu bar (the samples' entries)");
    return CreateAttached(kWindowExStyle, kMainWindowClass, Wide(kInitialTitle).c_str(), kWindowStyle,
                          {0, 0}, size, owner, std::move(menu), instance);
}

// Every control is created at its place for the window's present size, with its
// font and metrics: no second pass over the controls at start-up.
bool MainWindow::OnCreate() {
    if (const int dpi = WindowDpi(hwnd_); dpi != dpi_) {
        dpi_ = dpi;
        const SIZE size = OuterSize();
        SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    win::MarkStartupStep("main window frame (WM_CREATE)");
    MakeFonts();
    win::MarkStartupStep("fonts");
    CreateControls();
    win::MarkStartupStep("controls created");
    FillLists();
    win::MarkStartupStep("lists filled");
    ShowControlsCreatedHidden();
    win::MarkStartupStep("controls shown");
    WireRoutes();
    return Control(ControlId::StatusLine) != nullptr;
}

void MainWindow::CreateControls() {
    const auto controls = Controls();
    RECT client;
    GetClientRect(hwnd_, &client);
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlSpec& c = controls[i];
        if (IsPainted(c.kind)) continue;
        HWND parent = hwnd_;
        switch (c.parent) {
        case Parent::Window: break;
        case Parent::PageControl: parent = Control(ControlId::PageTabs); break;
        case Parent::AppPage: parent = Control(ControlId::AppPage); break;
        case Parent::NetPage: parent = Control(ControlId::NetPage); break;
        case Parent::ClipPage: parent = Control(ControlId::ClipPage); break;
        }
        // Pages carry their captions as tab items, not as window text.
        const std::u16string_view caption = (c.kind == Kind::Page) ? std::u16string_view() : c.caption;
        const Rect r = Placed(c, client);
        win::ControlClass cls = ClassFor(c);
        if (ShownAfterItsMetrics(c.kind)) cls.style &= ~WS_VISIBLE;
        HWND hwnd = win::CreateChild(parent, static_cast<uint16_t>(c.id), cls, caption,
                                     {r.x, r.y, r.x + r.w, r.y + r.h}, nullptr);
        controls_[i] = hwnd;
        if (!hwnd) continue;
        ApplyMetrics(c, hwnd);
        PreferKoreanInputIn(c);
        switch (c.kind) {
        case Kind::Memo:
        case Kind::Edit: win::Edit(hwnd).RemoveLengthLimit(); break;
        case Kind::Page: {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            std::wstring text = Wide(c.caption);
            item.pszText = text.data();
            SendMessageW(parent, TCM_INSERTITEMW, static_cast<WPARAM>(c.id) - static_cast<WPARAM>(ControlId::AppPage),
                         reinterpret_cast<LPARAM>(&item));
            break;
        }
        case Kind::ReportList: win::ListView(hwnd).SetExtendedStyle(LVS_EX_FULLROWSELECT); break;
        default: break;
        }
    }
}

// Without a redraw: the window itself is shown, and so painted whole, only later.
void MainWindow::ShowControlsCreatedHidden() {
    const auto controls = Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        if (!controls_[i] || !ShownAfterItsMetrics(controls[i].kind) || !(ClassFor(controls[i]).style & WS_VISIBLE))
            continue;
        SetWindowPos(controls_[i], nullptr, 0, 0, 0, 0,
                     SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::FillLists() {
    const win::ListBox commands(Control(ControlId::CommandList));
    const win::ListBox languages(Control(ControlId::LanguageList));
    const win::ListView markup(Control(ControlId::MarkupList));
    win::RedrawHeld held[] = {win::RedrawHeld(commands.Handle()), win::RedrawHeld(languages.Handle()),
                              win::RedrawHeld(markup.Handle())};
    for (auto name : lumvox::core::kCommandNames) commands.Add(name);
    for (auto row : lumvox::core::kLanguageIds) languages.Add(row);
    std::vector<win::ListView::Column> columns;
    for (const ColumnSpec& layout : MarkupColumns()) columns.push_back({layout.caption, layout.width});
    markup.AddColumns(columns, dpi_);
    for (const auto& entry : lumvox::core::kMarkupRows) {
        const std::u16string_view cells[] = {entry.markup, entry.description};
        markup.AppendRow(cells);
    }
}

// The fonts for the window's DPI: one for every control, one for the headings, and
// the status line's own where the window's DPI is not the system's.
void MainWindow::MakeFonts() {
    font_ = MakeFont(L"Tahoma", Scale(kFontHeight), FW_NORMAL);
    heading_font_ = MakeFont(L"Verdana", Scale(kFontHeight), FW_BOLD);
    status_font_.reset();
    if (dpi_ != SystemDpi()) {
        static const auto info_for_dpi = User32<BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT)>("SystemParametersInfoForDpi");
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (info_for_dpi && info_for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi_))
            status_font_.reset(CreateFontIndirectW(&metrics.lfStatusFont));
    }
}

// Font, item height, tab height and column widths of one control for the window's DPI.
HFONT MainWindow::FontFor(Font font) const {
    switch (font) {
    case Font::Window: return font_.get();
    case Font::Heading: return heading_font_.get();
    case Font::System: return status_font_.get();
    }
    return nullptr;
}

void MainWindow::ApplyMetrics(const ControlSpec& c, HWND hwnd) {
    if (HFONT font = FontFor(c.font)) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    switch (c.kind) {
    case Kind::ListBox: SendMessageW(hwnd, LB_SETITEMHEIGHT, 0, Scale(kListItemHeight)); break;
    case Kind::PageControl:
        // A tab row that leaves the pages their place 25 pixels down.
        SendMessageW(hwnd, TCM_SETITEMSIZE, 0, MAKELPARAM(0, Scale(20)));
        break;
    case Kind::ReportList: {
        int column = 0;
        for (const ColumnSpec& layout : MarkupColumns()) SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, column++, Scale(layout.width));
        break;
    }
    case Kind::StatusLine: {
        int part_ends[] = {Scale(kStatusFirstPartWidth), -1};  // the second part to the right edge
        SendMessageW(hwnd, SB_SETPARTS, std::size(part_ends), reinterpret_cast<LPARAM>(part_ends));
        break;
    }
    default: break;
    }
}

HWND MainWindow::Control(ControlId id) const {
    const auto controls = Controls();
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].id == id) return controls_[i];
    return nullptr;
}

std::optional<ControlId> MainWindow::ControlOf(HWND hwnd) const {
    const auto controls = Controls();
    for (size_t i = 0; i < controls.size(); ++i)
        if (hwnd && controls_[i] == hwnd) return controls[i].id;
    return std::nullopt;
}

win::Edit MainWindow::Field(TextField field) const {
    switch (field) {
    case TextField::AppText: return win::Edit(Control(ControlId::AppText));
    case TextField::NetHostEdit: return win::Edit(Control(ControlId::NetHostEdit));
    case TextField::NetPortEdit: return win::Edit(Control(ControlId::NetPortEdit));
    case TextField::NetText: return win::Edit(Control(ControlId::NetText));
    case TextField::ClipText: return win::Edit(Control(ControlId::ClipText));
    }
    return win::Edit();
}

}  // namespace lumvox::ui
