// The start-up and closing benchmarks' floor: the workshop's window structure with
// none of its work. Built from the same layout, class and menu tables as the main
// window, so it follows them as they change: the application window with its
// icons, the main window of the same class and styles with the same menu bar, every
// control of the layout with its class, style, ID, caption and font, the tab items,
// the three lists filled, the status line's two parts; linked with the workshop's
// manifest and DLLs. No key handling, painting, routes, links or look-ups. At its
// first activation it sets the title "Structure activated"; WM_CLOSE ends it.
#include <winsock2.h>
#include <windows.h>

#include <commctrl.h>
#include <imm.h>
#include <uxtheme.h>

#include <array>
#include <string>
#include <vector>

#include "core/reference_texts.h"
#include "platform/app_icon_win.h"
#include "platform/controls_win.h"
#include "platform/startup_timing_win.h"
#include "ui/control_classes_win.h"
#include "ui/custom_controls_win.h"
#include "ui/layout.h"
#include "ui/main_window_parts_win.h"
#include "ui/main_window_win.h"
#include "ui/window_texts.h"

namespace {

using namespace lumvox::ui;
// In a timing build, the steps the workshop marks, named apart from the workshop's.
void Mark(const char* step) { lumvox::win::MarkStartupStep(step); }
using lumvox::win::Wide;

constexpr wchar_t kApplicationClass[] = L"LumvoxWorkshopApplication";

bool activated = false;
std::array<HWND, kControlCount> made{};

HWND Made(ControlId id) {
    const auto controls = Controls();
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].id == id) return made[i];
    return nullptr;
}

HFONT Font(const wchar_t* face, int height, int weight) {
    LOGFONTW lf{};
    lf.lfHeight = -height;
    lf.lfWeight = weight;
    lf.lfCharSet = ANSI_CHARSET;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

HMENU MenuBar() {
    HMENU bar = CreateMenu(), popup = nullptr;
    for (const MenuEntry& e : Menu()) {
        if (e.top_level) {
            popup = CreatePopupMenu();
            AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), Wide(e.caption).c_str());
        } else if (e.caption.empty()) {
            AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(popup, MF_STRING, e.id, Wide(MenuCaption(e)).c_str());
        }
    }
    return bar;
}

// Every control of the layout, shown as created, then what it holds.
void CreateControls(HWND window, int dpi) {
    const HFONT text_font = Font(L"Tahoma", ScaleToDpi(kFontHeight, dpi), FW_NORMAL);
    const HFONT heading_font = Font(L"Verdana", ScaleToDpi(kFontHeight, dpi), FW_BOLD);
    RECT client;
    GetClientRect(window, &client);
    const auto controls = Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlSpec& c = controls[i];
        if (IsPainted(c.kind)) continue;
        HWND parent = window;
        switch (c.parent) {
        case Parent::Window: break;
        case Parent::PageControl: parent = Made(ControlId::PageTabs); break;
        case Parent::AppPage: parent = Made(ControlId::AppPage); break;
        case Parent::NetPage: parent = Made(ControlId::NetPage); break;
        case Parent::ClipPage: parent = Made(ControlId::ClipPage); break;
        }
        Rect r = ScaleToDpi(c.bounds, dpi);
        if (c.rule == Resize::DockBottom) r.w = client.right;
        const HFONT font = c.font == lumvox::ui::Font::Window ? text_font
                           : c.font == lumvox::ui::Font::Heading ? heading_font : nullptr;
        const std::u16string_view caption = c.kind == Kind::Page ? std::u16string_view() : c.caption;
        HWND hwnd = made[i] = lumvox::win::CreateChild(parent, static_cast<uint16_t>(c.id), ClassFor(c), caption,
                                                       {r.x, r.y, r.x + r.w, r.y + r.h}, font);
        switch (c.kind) {
        case Kind::Page: {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            std::wstring text = Wide(c.caption);
            item.pszText = text.data();
            SendMessageW(parent, TCM_INSERTITEMW, static_cast<WPARAM>(c.id) - static_cast<WPARAM>(ControlId::AppPage),
                         reinterpret_cast<LPARAM>(&item));
            break;
        }
        case Kind::PageControl: SendMessageW(hwnd, TCM_SETITEMSIZE, 0, MAKELPARAM(0, ScaleToDpi(20, dpi))); break;
        case Kind::ListBox: SendMessageW(hwnd, LB_SETITEMHEIGHT, 0, ScaleToDpi(kListItemHeight, dpi)); break;
        case Kind::ReportList: lumvox::win::ListView(hwnd).SetExtendedStyle(LVS_EX_FULLROWSELECT); break;
        case Kind::StatusLine: {
            int part_ends[] = {ScaleToDpi(kStatusFirstPartWidth, dpi), -1};
            SendMessageW(hwnd, SB_SETPARTS, std::size(part_ends), reinterpret_cast<LPARAM>(part_ends));
            break;
        }
        default: break;
        }
    }
    Mark("structure: controls created");
    const lumvox::win::ListBox commands(Made(ControlId::CommandList)), languages(Made(ControlId::LanguageList));
    for (auto name : lumvox::core::kCommandNames) commands.Add(name);
    for (auto row : lumvox::core::kLanguageIds) languages.Add(row);
    const lumvox::win::ListView markup(Made(ControlId::MarkupList));
    std::vector<lumvox::win::ListView::Column> columns;
    for (const ColumnSpec& layout : MarkupColumns()) columns.push_back({layout.caption, layout.width});
    markup.AddColumns(columns, dpi);
    for (const auto& entry : lumvox::core::kMarkupRows) {
        const std::u16string_view cells[] = {entry.markup, entry.description};
        markup.AppendRow(cells);
    }
    Mark("structure: lists filled");
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        Mark("structure: main window frame (WM_CREATE)");
        CreateControls(hwnd, static_cast<int>(GetDpiForWindow(hwnd)));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && !activated) {
            activated = true;
            Mark("structure: first activation");
            SetWindowTextW(hwnd, L"Structure activated");
            Mark("structure: title");
        }
        break;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool Register(HINSTANCE instance, const wchar_t* name, WNDPROC proc, bool icons) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    if (icons) {
        wc.hIcon = lumvox::win::LoadAppIcon(instance, false);
        wc.hIconSm = lumvox::win::LoadAppIcon(instance, true);
    }
    return RegisterClassExW(&wc) != 0;
}

// The calls only make the workshop's DLLs imported (themes delay-loaded, as there).
volatile bool never = false;
void ImportWorkshopDlls() {
    if (!never) return;
    CloseThemeData(OpenThemeData(nullptr, L"BUTTON"));
    WSACleanup();
    ImmIsIME(nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    Mark("structure: wWinMain entered (loader, DLLs, static data)");
    ImportWorkshopDlls();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    Mark("structure: common controls initialised");
    if (!Register(instance, kApplicationClass, DefWindowProcW, true) ||
        !Register(instance, kMainWindowClass, MainProc, false) || !Register(instance, kPageClass, DefWindowProcW, false) ||
        !Register(instance, kToolButtonClass, DefWindowProcW, false))
        return 1;
    HWND application = CreateWindowExW(0, kApplicationClass, Wide(kApplicationTitle).c_str(),
                                       WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                                       nullptr, nullptr, instance, nullptr);
    Mark("structure: classes, application window (icons)");
    const int dpi = static_cast<int>(GetDpiForSystem());
    RECT outer{0, 0, ScaleToDpi(kLayoutClientWidth, dpi), ScaleToDpi(kLayoutClientHeight, dpi)};
    AdjustWindowRectExForDpi(&outer, kWindowStyle, TRUE, kWindowExStyle, static_cast<UINT>(dpi));
    HWND window = CreateWindowExW(kWindowExStyle, kMainWindowClass, Wide(kInitialTitle).c_str(), kWindowStyle, 0, 0,
                                  outer.right - outer.left, outer.bottom - outer.top, application, MenuBar(), instance,
                                  nullptr);
    if (!application || !window) return 1;
    ShowWindow(application, SW_SHOWNA);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(window, nullptr, (work.left + work.right - (outer.right - outer.left)) / 2,
                 (work.top + work.bottom - (outer.bottom - outer.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, show);
    Mark("structure: shown");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
