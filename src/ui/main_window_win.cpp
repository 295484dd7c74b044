// The main window itself: creation, its messages, activation, pages, keys, and the
// page view that the page actions read and write through.
#include "main_window_win.h"

#include "send_log_window_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <imm.h>

#include <vector>

#include "core/markup_check.h"
#include "main_window_parts_win.h"
#include "custom_controls_win.h"
#include "platform/dll_search_win.h"
#include "platform/startup_timing_win.h"
#include "platform/hostinfo_win.h"
#include "platform/speech_app_link_win.h"
#include "window_texts.h"

namespace lumvox::ui {
namespace {

using core::TextField;

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

// On a system with an East Asian input method, the marked controls switch to the
// Korean input method while they have the focus; elsewhere this does nothing.
void ApplyInputMethodPreference(bool focused) {
    if (!GetSystemMetrics(SM_DBCSENABLED)) return;
    HKL standard = nullptr;
    if (!SystemParametersInfoW(SPI_GETDEFAULTINPUTLANG, 0, &standard, 0) || !standard) return;
    HKL korean = focused ? FindInputMethod(kKoreanInputMethod) : nullptr;
    ActivateKeyboardLayout(korean && korean != standard ? korean : standard, 0);
}

bool IsTextControl(Kind kind) { return kind == Kind::Memo || kind == Kind::Edit; }

}  // namespace

// Here, where the send log window is a complete type.
MainWindow::MainWindow() = default;
MainWindow::~MainWindow() { Destroy(); }

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: return OnCreate() ? 0 : -1;
    case WM_ACTIVATE: OnActivate(LOWORD(wp)); return 0;
    case WM_SIZE: Relayout(); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case kPaintPageMessage: PaintControlsOn(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lp);
        RunRoute(static_cast<uint16_t>(header.idFrom), header.code);
        return 0;
    }
    case WM_CTLCOLORSTATIC: return OnCtlColor(reinterpret_cast<HDC>(wp), false);
    case WM_CTLCOLORBTN: return OnCtlColor(reinterpret_cast<HDC>(wp), true);
    case WM_GETMINMAXINFO: OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lp)); return 0;
    case WM_MOVING: OnMoving(*reinterpret_cast<RECT*>(lp)); return TRUE;
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp)); return 0;
    case WM_SYSCOMMAND: OnSysCommand(wp, lp); return 0;
    case WM_CLOSE: Quit(); return 0;
    }
    return Default(msg, wp, lp);
}

void MainWindow::OnCommand(WORD id, WORD code) {
    if (const auto control = ControlIdFromInt(id)) ApplyInputMethodPreference(*control, code);
    RunRoute(id, code);
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
        OnFirstActivation();
        return;
    }
    if (saved_focus_ && IsWindow(saved_focus_) && IsWindowVisible(saved_focus_)) SetFocus(saved_focus_);
    else SetFocus(hwnd_);
}

void MainWindow::OnFirstActivation() {
    win::MarkStartupStep("first activation");
    SetWindowTextW(Field(TextField::NetHostEdit), WideString(lumvox::win::GetLocalIPAddress()).c_str());
    win::MarkStartupStep("host address");
    SetWindowTextW(hwnd_, WideString(MainWindowTitle(lumvox::win::GetOwnFileVersion())).c_str());
    win::MarkStartupStep("version and title");
    UpdateStatusLine();
    win::MarkStartupStep("status line (speech program looked for)");
    ShowPage(0);
    SetFocus(Control(ControlId::AppText));
    win::MarkStartupStep("first page and focus");
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

// The page the user chose: its text area takes the focus.
void MainWindow::FocusShowingPageText() {
    if (const auto area = TextAreaOfPage(ShowingPage())) SetFocus(Control(*area));
}

// "마크업 검사": the showing page's text as that page hands it over. The caret goes
// to the first finding before the box, so the box hands the focus back to it.
void MainWindow::CheckShowingPageMarkup() {
    const int page = ShowingPage();
    const auto area = TextAreaOfPage(page);
    if (!area) return;
    HWND edit = Control(*area);
    const core::MarkupBox box = core::MarkupBoxForPage(page, WindowText(edit), UseProtocol());
    if (box.caret) {
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, *box.caret, static_cast<LPARAM>(*box.caret));
        SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    }
    ShowMessage(box.text);
}

// --- keys -----------------------------------------------------------------------

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
    FocusShowingPageText();
    return true;
}

// --- the general error report --------------------------------------------------

void MainWindow::ReportError(const std::exception_ptr& error) {
    const std::wstring text = WideString(ErrorReportText(ErrorMessageOf(error)));
    MessageBoxW(hwnd_, text.c_str(), WideString(kApplicationTitle).c_str(), MB_OK | MB_ICONERROR);
}

// --- window behaviour ------------------------------------------------------------

// The application window carries the task-bar entry: minimising goes through it.
void MainWindow::OnSysCommand(WPARAM command, LPARAM lp) {
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    if ((command & 0xFFF0) == SC_MINIMIZE && owner) {
        ShowWindow(owner, SW_MINIMIZE);
        return;
    }
    DefWindowProcW(hwnd_, WM_SYSCOMMAND, command, lp);
}

// The marked controls prefer the Korean input method while they have the focus.
void MainWindow::ApplyInputMethodPreference(ControlId control, WORD code) {
    const ControlSpec& layout = LayoutOf(control);
    if (!(layout.flags & flags::kKoreanInput)) return;
    if (IsTextControl(layout.kind) && (code == EN_SETFOCUS || code == EN_KILLFOCUS))
        ::lumvox::ui::ApplyInputMethodPreference(code == EN_SETFOCUS);
    else if (layout.kind == Kind::ListBox && (code == LBN_SETFOCUS || code == LBN_KILLFOCUS))
        ::lumvox::ui::ApplyInputMethodPreference(code == LBN_SETFOCUS);
}

// --- PageView ---------------------------------------------------------------------

std::u16string MainWindow::Text(TextField field) { return WindowText(Field(field)); }

std::u16string WindowText(HWND hwnd) {
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
        HMODULE library = lumvox::win::LoadSystemLibrary(L"comdlg32.dll");
        return reinterpret_cast<BOOL(WINAPI*)(OPENFILENAMEW*)>(
            reinterpret_cast<void*>(library ? GetProcAddress(library, "GetOpenFileNameW") : nullptr));
    }();
    if (!open_file_name || !open_file_name(&dialog)) return std::nullopt;
    return std::u16string(reinterpret_cast<const char16_t*>(path.data()));
}

}  // namespace lumvox::ui
