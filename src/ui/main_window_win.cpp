#include "main_window_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <imm.h>

#include <vector>

#include "core/reference_texts.h"
#include "custom_controls_win.h"
#include "painted_controls_win.h"
#include "platform/hostinfo_win.h"
#include "platform/speech_app_link_win.h"
#include "window_texts.h"

namespace lumvox::ui {
namespace {

using lumvox::core::TextField;

std::wstring WideString(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

// Functions of newer Windows versions, looked up once so that older systems still run.
template <class Fn>
Fn User32(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int WindowDpi(HWND hwnd) {
    static const auto get = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (get) {
        if (const UINT dpi = get(hwnd)) return static_cast<int>(dpi);
    }
    HDC dc = GetDC(hwnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hwnd, dc);
    return dpi > 0 ? dpi : kLayoutDpi;
}

int SystemDpi() {
    static const auto get = User32<UINT(WINAPI*)()>("GetDpiForSystem");
    if (get) return static_cast<int>(get());
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

RECT OuterRectFor(int client_w, int client_h, DWORD style, DWORD ex_style, int dpi) {
    static const auto adjust = User32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT rc{0, 0, client_w, client_h};
    if (adjust) adjust(&rc, style, TRUE, ex_style, static_cast<UINT>(dpi));
    else AdjustWindowRectEx(&rc, style, TRUE, ex_style);
    return rc;
}

UniqueHfont MakeFont(const wchar_t* face, int height, int weight) {
    LOGFONTW lf{};
    lf.lfHeight = -height;  // character height, without internal leading
    lf.lfWeight = weight;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return UniqueHfont(CreateFontIndirectW(&lf));
}

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// Composited: the whole window is painted into one buffer, bottom to top.
constexpr DWORD kWindowExStyle = WS_EX_COMPOSITED;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

struct WindowClass {
    const wchar_t* name;
    DWORD style;
    DWORD ex_style;
};

WindowClass ClassFor(const ControlSpec& c) {
    const DWORD tab = (c.flags & flags::kTabStop) ? WS_TABSTOP : 0;
    switch (c.kind) {
    case Kind::PageControl: return {WC_TABCONTROLW, kChild | WS_CLIPCHILDREN | tab, 0};
    case Kind::Page:
        return {kPageClass, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (c.id == ControlId::AppPage ? DWORD{WS_VISIBLE} : DWORD{0}), 0};
    case Kind::Shape:
    case Kind::RoundedShape:
    case Kind::Label:
    case Kind::WrappingLabel: break;  // painted, never created
    case Kind::ListBox:
        return {L"LISTBOX", kChild | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | tab, WS_EX_CLIENTEDGE};
    case Kind::Memo: {
        DWORD style = kChild | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | tab;
        if (!(c.flags & flags::kWordWrap)) style |= ES_AUTOHSCROLL;
        if (c.flags & flags::kVerticalScroll) style |= WS_VSCROLL;
        return {L"EDIT", style, WS_EX_CLIENTEDGE};
    }
    case Kind::Edit: return {L"EDIT", kChild | ES_AUTOHSCROLL | tab, WS_EX_CLIENTEDGE};
    case Kind::ToolButton: return {kToolButtonClass, kChild, 0};
    case Kind::FlatToolButton: return {kToolButtonClass, kChild | kToolButtonFlat, 0};
    case Kind::CheckBox: return {L"BUTTON", kChild | BS_AUTOCHECKBOX | tab, 0};
    case Kind::ReportList:
        return {WC_LISTVIEWW, kChild | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | tab, WS_EX_CLIENTEDGE};
    case Kind::StatusLine:
        // Placed by the layout like every other control, not by its own docking.
        return {STATUSCLASSNAMEW, kChild | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0};
    }
    return {L"STATIC", kChild, 0};
}

bool IsTextControl(Kind kind) { return kind == Kind::Memo || kind == Kind::Edit; }

HMENU BuildMenu() {
    HMENU bar = CreateMenu();
    HMENU popup = nullptr;
    for (const MenuEntry& e : Menu()) {
        if (e.top_level) {
            popup = CreatePopupMenu();
            AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), WideString(e.caption).c_str());
        } else if (e.caption.empty()) {
            AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(popup, MF_STRING, e.id, WideString(e.caption).c_str());
        }
    }
    return bar;
}

// The Korean input method's name as its IME reports it.
constexpr wchar_t kKoreanInputMethod[] = L"한국어 입력 시스템 (IME 2000)";

HKL FindInputMethod(const wchar_t* description) {
    const int count = GetKeyboardLayoutList(0, nullptr);
    std::vector<HKL> layouts(static_cast<size_t>(count > 0 ? count : 0));
    if (layouts.empty() || GetKeyboardLayoutList(count, layouts.data()) != count) return nullptr;
    for (HKL layout : layouts) {
        if (!ImmIsIME(layout)) continue;
        wchar_t name[128] = {};
        ImmGetDescriptionW(layout, name, static_cast<UINT>(std::size(name)));
        if (wcscmp(name, description) == 0) return layout;
    }
    return nullptr;
}

}  // namespace

MainWindow::~MainWindow() { Destroy(); }

bool MainWindow::Create(HINSTANCE instance, HWND owner) {
    static const bool registered = [instance] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kMainWindowClass;
        return RegisterClassExW(&wc) != 0 && RegisterCustomControls(instance);
    }();
    if (!registered) return false;
    // Sized for the system's DPI; OnCreate corrects it where the window's own differs.
    dpi_ = SystemDpi();
    const SIZE size = OuterSize();
    CreateWindowExW(kWindowExStyle, kMainWindowClass, WideString(kInitialTitle).c_str(), kWindowStyle, 0, 0, size.cx,
                    size.cy, owner, BuildMenu(), instance, this);
    return hwnd_ != nullptr;
}

void MainWindow::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->controls_.fill(nullptr);
    }
    return self->HandleMessage(msg, wp, lp);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: return OnCreate() ? 0 : -1;
    case WM_ACTIVATE: OnActivate(LOWORD(wp)); return 0;
    case WM_SIZE: Relayout(); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case kPaintPageMessage: PaintControlsOn(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lp));
    case WM_CTLCOLORSTATIC: return OnCtlColor(reinterpret_cast<HDC>(wp), false);
    case WM_CTLCOLORBTN: return OnCtlColor(reinterpret_cast<HDC>(wp), true);
    case WM_GETMINMAXINFO: OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lp)); return 0;
    case WM_MOVING: OnMoving(*reinterpret_cast<RECT*>(lp)); return TRUE;
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp)); return 0;
    case WM_SYSCOMMAND: OnSysCommand(wp, lp); return 0;
    case WM_CLOSE: Quit(); return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

// The outer size that gives the laid-out client area, at least the least outer size.
SIZE MainWindow::OuterSize() const {
    const RECT outer = OuterRectFor(Scale(kLayoutClientWidth), Scale(kLayoutClientHeight), kWindowStyle,
                                    kWindowExStyle, dpi_);
    return {Scale(kOuterWidth), std::max<LONG>(outer.bottom - outer.top, Scale(kMinOuterHeight))};
}

// Every control is created at its place for the window's present size, with its
// font and metrics: no second pass over the controls at start-up.
bool MainWindow::OnCreate() {
    if (const int dpi = WindowDpi(hwnd_); dpi != dpi_) {
        dpi_ = dpi;
        const SIZE size = OuterSize();
        SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    MakeFonts();
    CreateControls();
    FillLists();
    return Control(ControlId::StatusLine) != nullptr;
}

void MainWindow::CreateControls() {
    const auto controls = Controls();
    RECT client;
    GetClientRect(hwnd_, &client);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    for (size_t i = 0; i < controls.size() && i < controls_.size(); ++i) {
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
        const WindowClass wc = ClassFor(c);
        // Pages and page control carry their captions as tab items, not as window text.
        const std::wstring caption = (c.kind == Kind::Page) ? std::wstring() : WideString(c.caption);
        const Rect r = Placed(c, client);
        HWND hwnd = CreateWindowExW(wc.ex_style, wc.name, caption.c_str(), wc.style, r.x, r.y, r.w, r.h, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        controls_[i] = hwnd;
        if (!hwnd) continue;
        ApplyMetrics(c, hwnd);
        switch (c.kind) {
        case Kind::Memo:
        case Kind::Edit:
            // No length limit beyond the control's largest.
            SendMessageW(hwnd, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
            break;
        case Kind::Page: {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            std::wstring text = WideString(c.caption);
            item.pszText = text.data();
            SendMessageW(parent, TCM_INSERTITEMW, static_cast<WPARAM>(c.id) - static_cast<WPARAM>(ControlId::AppPage),
                         reinterpret_cast<LPARAM>(&item));
            break;
        }
        case Kind::ReportList:
            SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
            break;
        case Kind::StatusLine: {
            int whole_width = -1;  // one part across the whole width
            SendMessageW(hwnd, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&whole_width));
            break;
        }
        default: break;
        }
    }
}

namespace {

// Redrawing is held while a list fills: one scroll-bar update per list, not per row.
class RedrawHeld {
public:
    explicit RedrawHeld(HWND hwnd) : hwnd_(hwnd) { SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawHeld() {
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    RedrawHeld(const RedrawHeld&) = delete;
    RedrawHeld& operator=(const RedrawHeld&) = delete;

private:
    HWND hwnd_;
};

}  // namespace

void MainWindow::FillLists() {
    HWND commands = Control(ControlId::CommandList);
    HWND languages = Control(ControlId::LanguageList);
    HWND markup = Control(ControlId::MarkupList);
    RedrawHeld held[] = {RedrawHeld(commands), RedrawHeld(languages), RedrawHeld(markup)};
    for (auto name : lumvox::core::kCommandNames)
        SendMessageW(commands, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideString(name).c_str()));
    for (auto row : lumvox::core::kLanguageIds)
        SendMessageW(languages, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideString(row).c_str()));

    int column = 0;
    for (const ColumnSpec& layout : MarkupColumns()) {
        std::wstring caption = WideString(layout.caption);
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cx = Scale(layout.width);
        col.pszText = caption.data();
        SendMessageW(markup, LVM_INSERTCOLUMNW, column++, reinterpret_cast<LPARAM>(&col));
    }
    int row = 0;
    for (const auto& entry : lumvox::core::kMarkupRows) {
        std::wstring text = WideString(entry.markup);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = text.data();
        SendMessageW(markup, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        std::wstring description = WideString(entry.description);
        item.iSubItem = 1;
        item.pszText = description.data();
        SendMessageW(markup, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        ++row;
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
    default: break;
    }
}

Rect MainWindow::Placed(const ControlSpec& c, const RECT& client) const {
    const int d = (client.bottom - client.top) - Scale(kLayoutClientHeight);
    Rect r = Place(ScaleToDpi(c.bounds, dpi_), c.rule, d);
    if (c.rule == Resize::DockBottom) {
        // On the edge exactly, whatever the rounding of the scaled top and height.
        r.x = 0;
        r.y = (client.bottom - client.top) - r.h;
        r.w = client.right - client.left;
    }
    return r;
}

void MainWindow::Relayout() {
    RECT client;
    if (!GetClientRect(hwnd_, &client) || IsIconic(hwnd_)) return;
    const auto controls = Controls();
    // DeferWindowPos batches must share a parent: one batch per parent.
    for (Parent parent : {Parent::Window, Parent::PageControl, Parent::AppPage, Parent::NetPage, Parent::ClipPage}) {
        HDWP batch = BeginDeferWindowPos(16);
        for (size_t i = 0; i < controls.size(); ++i) {
            if (controls[i].parent != parent || !controls_[i]) continue;
            const Rect r = Placed(controls[i], client);
            if (batch)
                batch = DeferWindowPos(batch, controls_[i], nullptr, r.x, r.y, r.w, r.h, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (batch) EndDeferWindowPos(batch);
    }
    // The shapes and captions below the pages move with the bottom edge.
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    PaintControls(Parent::Window, dc);
    EndPaint(hwnd_, &ps);
}

void MainWindow::PaintControlsOn(HWND page, HDC dc) {
    const auto sheet = ControlOf(page);
    if (!sheet) return;
    switch (*sheet) {
    case ControlId::AppPage: PaintControls(Parent::AppPage, dc); break;
    case ControlId::NetPage: PaintControls(Parent::NetPage, dc); break;
    case ControlId::ClipPage: PaintControls(Parent::ClipPage, dc); break;
    default: break;
    }
}

// In table order, so that captions land on their shapes.
void MainWindow::PaintControls(Parent parent, HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    for (const ControlSpec& c : Controls())
        if (c.parent == parent && IsPainted(c.kind)) PaintControl(dc, c, Placed(c, client), dpi_, FontFor(c.font));
}

HWND MainWindow::Control(ControlId id) const {
    const auto controls = Controls();
    for (size_t i = 0; i < controls.size() && i < controls_.size(); ++i)
        if (controls[i].id == id) return controls_[i];
    return nullptr;
}

std::optional<ControlId> MainWindow::ControlOf(HWND hwnd) const {
    const auto controls = Controls();
    for (size_t i = 0; i < controls.size() && i < controls_.size(); ++i)
        if (hwnd && controls_[i] == hwnd) return controls[i].id;
    return std::nullopt;
}

HWND MainWindow::Field(TextField field) const {
    switch (field) {
    case TextField::AppText: return Control(ControlId::AppText);
    case TextField::NetHostEdit: return Control(ControlId::NetHostEdit);
    case TextField::NetPortEdit: return Control(ControlId::NetPortEdit);
    case TextField::NetText: return Control(ControlId::NetText);
    case TextField::ClipText: return Control(ControlId::ClipText);
    }
    return nullptr;
}

void MainWindow::ShowCentred(int show_state) {
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    // Placed while hidden, so a window that opens maximised comes back to the centre.
    SetWindowPos(hwnd_, nullptr, work.left + ((work.right - work.left) - w) / 2,
                 work.top + ((work.bottom - work.top) - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd_, show_state);
}

// --- activation -----------------------------------------------------------------

void MainWindow::OnActivate(WORD state) {
    if (state == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) saved_focus_ = focus;
        return;
    }
    if (!activated_) {
        activated_ = true;
        Guarded([this] { OnFirstActivation(); });
        return;
    }
    if (saved_focus_ && IsWindow(saved_focus_) && IsWindowVisible(saved_focus_)) SetFocus(saved_focus_);
    else SetFocus(hwnd_);
}

void MainWindow::OnFirstActivation() {
    SetWindowTextW(Field(TextField::NetHostEdit), WideString(lumvox::win::GetLocalIPAddress()).c_str());
    SetWindowTextW(hwnd_, WideString(MainWindowTitle(lumvox::win::GetOwnFileVersion())).c_str());
    UpdateStatusLine();
    ShowPage(0);
    SetFocus(Control(ControlId::AppText));
}

void MainWindow::UpdateStatusLine() {
    const std::wstring text = WideString(StatusLineText(lumvox::win::IsSpeechAppRunning()));
    SendMessageW(Control(ControlId::StatusLine), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// --- pages ----------------------------------------------------------------------

int MainWindow::ShowingPage() const {
    return static_cast<int>(SendMessageW(Control(ControlId::PageTabs), TCM_GETCURSEL, 0, 0));
}

// Choosing a page from the program: the focus is left to the caller.
void MainWindow::ShowPage(int index) {
    SendMessageW(Control(ControlId::PageTabs), TCM_SETCURSEL, index, 0);
    const auto pages = Pages();
    for (int i = 0; i < static_cast<int>(pages.size()); ++i)
        if (i != index) ShowWindow(Control(pages[i].sheet), SW_HIDE);
    if (index >= 0 && index < static_cast<int>(pages.size())) ShowWindow(Control(pages[index].sheet), SW_SHOW);
}

void MainWindow::FocusShowingPageText() {
    if (const auto area = TextAreaOfPage(ShowingPage())) SetFocus(Control(*area));
}

// --- keys -----------------------------------------------------------------------

bool MainWindow::PreviewMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (!hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
    WORD key = static_cast<WORD>(msg.wParam);
    RunKeyAction(key);
    if (key != VK_TAB || msg.message == WM_SYSKEYDOWN) return false;
    const bool backwards = GetKeyState(VK_SHIFT) < 0;
    if (GetKeyState(VK_CONTROL) < 0) return SwitchPageByKey(backwards);
    return HandleTabKey(backwards);
}

void MainWindow::RunKeyAction(WORD& key) {
    // Modifiers are not examined: Shift, Ctrl and Alt with F8 or F9 act alike.
    if (key == VK_F8 && IsWindowEnabled(Control(ControlId::AppSendButton)))
        Guarded([this] { SendToApp(); });
    else if (key == VK_F9 && IsWindowEnabled(Control(ControlId::NetSendButton)))
        Guarded([this] { SendOverNetwork(); });
}

bool MainWindow::HandleTabKey(bool backwards) {
    const ControlId next = NextTabStop(ControlOf(GetFocus()), ShowingPage(), backwards);
    SetFocus(Control(next));
    return true;
}

// Ctrl+Tab and Ctrl+Shift+Tab turn the pages while the focus is on the page control.
bool MainWindow::SwitchPageByKey(bool backwards) {
    HWND tabs = Control(ControlId::PageTabs);
    HWND focus = GetFocus();
    if (!focus || (focus != tabs && !IsChild(tabs, focus))) return true;
    const int count = static_cast<int>(Pages().size());
    const int next = (ShowingPage() + (backwards ? count - 1 : 1)) % count;
    ShowPage(next);
    Guarded([this] { FocusShowingPageText(); });
    return true;
}

// --- commands -------------------------------------------------------------------

void MainWindow::OnCommand(WORD id, WORD code) {
    if (const auto sample = SampleIndexOf(static_cast<MenuId>(id)); sample && code == 0) {
        Guarded([this, index = *sample] { InsertSample(index); });
        return;
    }
    switch (id) {
    case static_cast<WORD>(MenuId::OpenFile): Guarded([this] { LoadTextFile(); }); return;
    case static_cast<WORD>(MenuId::Exit): Quit(); return;
    }
    const auto control = ControlIdFromInt(id);
    if (!control) return;
    if (code == EN_SETFOCUS || code == EN_KILLFOCUS || code == LBN_SETFOCUS || code == LBN_KILLFOCUS) {
        const Kind kind = LayoutOf(*control).kind;
        if (LayoutOf(*control).flags & flags::kKoreanInput) {
            if (IsTextControl(kind)) ApplyInputMethodPreference(code == EN_SETFOCUS);
            else if (kind == Kind::ListBox) ApplyInputMethodPreference(code == LBN_SETFOCUS);
        }
    }
    switch (*control) {
    case ControlId::AppSendButton: if (code == BN_CLICKED) Guarded([this] { SendToApp(); }); break;
    case ControlId::AppClearButton: if (code == BN_CLICKED) Guarded([this] { ClearAppText(); }); break;
    case ControlId::NetSendButton: if (code == BN_CLICKED) Guarded([this] { SendOverNetwork(); }); break;
    case ControlId::NetPreviewButton: if (code == BN_CLICKED) Guarded([this] { PreviewNetworkText(); }); break;
    case ControlId::ClipCopyButton:
        if (code == BN_CLICKED) Guarded([this] { CopyToClipboard(); });
        break;
    case ControlId::ClipClearButton:
        if (code == BN_CLICKED) Guarded([this] { ClearClipText(); });
        break;
    case ControlId::UseProtocolCheck: if (code == BN_CLICKED) Guarded([this] { UseProtocolToggled(); }); break;
    case ControlId::CommandList: if (code == LBN_DBLCLK) Guarded([this] { InsertSelectedCommand(); }); break;
    default: break;
    }
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == Control(ControlId::PageTabs) && header.code == TCN_SELCHANGE) {
        ShowPage(ShowingPage());
        Guarded([this] { FocusShowingPageText(); });
    }
    return 0;
}

void MainWindow::Quit() { PostQuitMessage(0); }

template <class Method>
void MainWindow::RunAction(Method method) {
    if (actions_) (actions_->*method)();
}

void MainWindow::SendToApp() { RunAction(&lumvox::core::PageActions::SendToApp); }
void MainWindow::SendOverNetwork() { RunAction(&lumvox::core::PageActions::SendOverNetwork); }
void MainWindow::PreviewNetworkText() { RunAction(&lumvox::core::PageActions::PreviewNetworkText); }
void MainWindow::CopyToClipboard() {
    RunAction(&lumvox::core::PageActions::CopyToClipboard);
}
void MainWindow::ClearClipText() {
    RunAction(&lumvox::core::PageActions::ClearClipText);
}
void MainWindow::UseProtocolToggled() { RunAction(&lumvox::core::PageActions::UseProtocolToggled); }
void MainWindow::InsertSample(size_t index) {
    if (actions_) actions_->InsertSample(index);
}
void MainWindow::InsertSelectedCommand() { RunAction(&lumvox::core::PageActions::InsertSelectedCommand); }
void MainWindow::ClearAppText() { RunAction(&lumvox::core::PageActions::ClearAppText); }
void MainWindow::LoadTextFile() { RunAction(&lumvox::core::PageActions::LoadTextFile); }

// --- the general error report --------------------------------------------------

void MainWindow::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        ReportError(std::current_exception());
    }
}

void MainWindow::ReportError(const std::exception_ptr& error) {
    const std::wstring text = WideString(ErrorReportText(ErrorMessageOf(error)));
    MessageBoxW(hwnd_, text.c_str(), WideString(kApplicationTitle).c_str(), MB_OK | MB_ICONERROR);
}

// --- window behaviour ------------------------------------------------------------

// The coloured captions are painted, not windows: every control that asks here
// takes the system colours on the button face.
LRESULT MainWindow::OnCtlColor(HDC dc, bool button) {
    SetTextColor(dc, GetSysColor(button ? COLOR_BTNTEXT : COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void MainWindow::OnGetMinMaxInfo(MINMAXINFO& info) {
    const int width = Scale(kOuterWidth);
    info.ptMinTrackSize = {width, Scale(kMinOuterHeight)};
    info.ptMaxTrackSize.x = width;
    info.ptMaxSize.x = width;
}

// Each outer edge closer than the snap distance to the work area's edge snaps onto it.
void MainWindow::OnMoving(RECT& rect) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& w = monitor.rcWork;
    const Rect snapped = SnapToWorkArea({rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top},
                                        {w.left, w.top, w.right - w.left, w.bottom - w.top}, Scale(kSnapDistance));
    rect = {snapped.x, snapped.y, snapped.x + snapped.w, snapped.y + snapped.h};
}

void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    MakeFonts();
    const auto controls = Controls();
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls_[i]) ApplyMetrics(controls[i], controls_[i]);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Relayout();
    // The pages too: their shapes and captions are painted with the new fonts.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The application window carries the task-bar entry: minimising goes through it.
void MainWindow::OnSysCommand(WPARAM command, LPARAM lp) {
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    if ((command & 0xFFF0) == SC_MINIMIZE && owner) {
        ShowWindow(owner, SW_MINIMIZE);
        return;
    }
    DefWindowProcW(hwnd_, WM_SYSCOMMAND, command, lp);
}

// On a system with an East Asian input method, the marked controls switch to the
// Korean input method while they have the focus; elsewhere this does nothing.
void MainWindow::ApplyInputMethodPreference(bool focused) {
    if (!GetSystemMetrics(SM_DBCSENABLED)) return;
    HKL standard = nullptr;
    if (!SystemParametersInfoW(SPI_GETDEFAULTINPUTLANG, 0, &standard, 0) || !standard) return;
    HKL korean = focused ? FindInputMethod(kKoreanInputMethod) : nullptr;
    ActivateKeyboardLayout(korean && korean != standard ? korean : standard, 0);
}

// --- PageView ---------------------------------------------------------------------

std::u16string MainWindow::Text(TextField field) {
    HWND hwnd = Field(field);
    const int length = GetWindowTextLengthW(hwnd);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    const int got = GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

void MainWindow::SetText(TextField field, std::u16string_view text) {
    SetWindowTextW(Field(field), WideString(text).c_str());
}

void MainWindow::AppendLine(TextField field, std::u16string_view text) {
    HWND hwnd = Field(field);
    const auto end = static_cast<WPARAM>(GetWindowTextLengthW(hwnd));
    SendMessageW(hwnd, EM_SETSEL, end, static_cast<LPARAM>(end));
    const std::wstring line = WideString(text) + L"\r\n";
    SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

bool MainWindow::UseProtocol() {
    return SendMessageW(Control(ControlId::UseProtocolCheck), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int MainWindow::SelectedCommandIndex() {
    return static_cast<int>(SendMessageW(Control(ControlId::CommandList), LB_GETCURSEL, 0, 0));
}

void MainWindow::ShowMessage(std::u16string_view text) {
    MessageBoxW(hwnd_, WideString(text).c_str(), WideString(kApplicationTitle).c_str(), MB_OK);
}

std::optional<std::u16string> MainWindow::ChooseTextFile() {
    std::vector<wchar_t> path(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd_;
    dialog.lpstrFilter = L"Text files (*.txt)\0*.txt\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    // The dialog's library (and the shell it brings along) is loaded at its first use,
    // not at start-up; it stays loaded for the rest of the run.
    static const auto open_file_name = [] {
        HMODULE library = LoadLibraryW(L"comdlg32.dll");
        return reinterpret_cast<BOOL(WINAPI*)(OPENFILENAMEW*)>(
            reinterpret_cast<void*>(library ? GetProcAddress(library, "GetOpenFileNameW") : nullptr));
    }();
    if (!open_file_name || !open_file_name(&dialog)) return std::nullopt;
    return std::u16string(reinterpret_cast<const char16_t*>(path.data()));
}

}  // namespace lumvox::ui
