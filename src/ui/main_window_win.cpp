// The main window itself: creation, its messages, activation, pages, keys, and the
// page view that the page actions read and write through.
#include "main_window_win.h"

#include "send_log_window_win.h"

#include <commctrl.h>
#include <imm.h>

#include <utility>
#include <vector>

#include "core/action_error.h"
#include "core/request_markup.h"
#include "main_window_parts_win.h"
#include "custom_controls_win.h"
#include "platform/announce_win.h"
#include "platform/file_dialog_win.h"
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

// Posted by the network send's thread when its record is ready.
constexpr UINT kNetworkSendEndedMessage = WM_APP + 2;
// The status line's part for where a send stands; the first is the speech program's.
constexpr int kSendStatePart = 1;

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
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // A high-contrast theme switched on or off, or its colours changed: paint anew.
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return Default(msg, wp, lp);
    case kPaintPageMessage: PaintControlsOn(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)); return 0;
    case WM_CTLCOLORSTATIC: return OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), false);
    case WM_CTLCOLORBTN: return OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), true);
    case WM_GETMINMAXINFO: OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lp)); return 0;
    case WM_MOVING: OnMoving(*reinterpret_cast<RECT*>(lp)); return TRUE;
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp)); return 0;
    case WM_SYSCOMMAND: OnSysCommand(wp, lp); return 0;
    case kNetworkSendEndedMessage: OnNetworkSendEnded(); return 0;
    case WM_CLOSE: Quit(); return 0;
    }
    return Default(msg, wp, lp);
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
    const win::HostFacts facts =
        host_facts_ ? host_facts_->Get() : win::HostFacts{win::GetLocalIPAddress(), win::GetOwnFileVersion()};
    Field(TextField::NetHostEdit).SetText(facts.address);
    win::MarkStartupStep("host address");
    SetWindowTextW(hwnd_, Wide(MainWindowTitle(facts.version)).c_str());
    win::MarkStartupStep("version and title");
    UpdateStatusLine();
    win::MarkStartupStep("status line (speech program looked for)");
    ShowPage(0);
    SetFocus(Control(ControlId::AppText));
    win::MarkStartupStep("first page and focus");
}

void MainWindow::UpdateStatusLine() {
    const std::wstring text = Wide(StatusLineText(lumvox::win::IsSpeechAppRunning()));
    SendMessageW(Control(ControlId::StatusLine), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Accessible objects of a status bar have one child per part, numbered from 1 and
// named by its text: the event names the part that changed.
void MainWindow::ShowSendState(core::SendState state, std::u16string_view words) {
    send_just_ended_ = state == core::SendState::Ended;
    SayInStatusPart(words, state == core::SendState::UnderWay ? win::Announcement::Progress
                                                               : win::Announcement::Outcome);
}

// The same change twice in a row (a sample picked again) is said as a new text: a
// screen reader does not speak a live text again that did not change.
void MainWindow::ShowNotice(std::u16string_view words) {
    if (StatusPartText() != words) return SayInStatusPart(words, win::Announcement::Outcome);
    SayInStatusPart(std::u16string(words) + u" (다시)", win::Announcement::Outcome);
}

std::u16string MainWindow::StatusPartText() const {
    HWND status = Control(ControlId::StatusLine);
    const auto length = LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, kSendStatePart, 0));
    std::wstring text(length + 1u, L'\0');
    SendMessageW(status, SB_GETTEXTW, kSendStatePart, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return std::u16string(text.begin(), text.end());
}

void MainWindow::SayInStatusPart(std::u16string_view words, win::Announcement kind) {
    HWND status = Control(ControlId::StatusLine);
    const std::wstring text = Wide(words);
    SendMessageW(status, SB_SETTEXTW, kSendStatePart, reinterpret_cast<LPARAM>(text.c_str()));
    win::AnnounceTextChange(status, kSendStatePart + 1, words, kind);
}

void MainWindow::RepeatSendState() {
    const std::u16string words = StatusPartText();
    if (!words.empty())
        win::AnnounceTextChange(Control(ControlId::StatusLine), kSendStatePart + 1, words, win::Announcement::Outcome);
}

// --- the network send -------------------------------------------------------------
// Its exchange runs on a thread of its own, which posts the end here; meanwhile
// the window repaints and answers, holds back keys and clicks, and Escape cancels.
// Closing the window ends the program as ever: the send is then stopped and its
// thread waited for by the page actions, and its record goes with the program.

void MainWindow::StartNetworkSend() {
    HWND hwnd = hwnd_;
    if (actions_->StartNetworkSend([hwnd] { PostMessageW(hwnd, kNetworkSendEndedMessage, 0, 0); }))
        SetSendsAvailable(false);
}

void MainWindow::OnNetworkSendEnded() {
    SetSendsAvailable(true);
    if (actions_) actions_->EndNetworkSend();
}

// The send buttons and their menu entries say, while a network send waits, that
// they take nothing; each button raises its state-change event as it goes.
void MainWindow::SetSendsAvailable(bool available) {
    HMENU menu = GetMenu(hwnd_);
    for (const CommandRow& command : Commands()) {
        if (!command.sends) continue;
        EnableMenuItem(menu, static_cast<UINT>(command.entry), MF_BYCOMMAND | (available ? MF_ENABLED : MF_GRAYED));
        for (ControlId button : command.buttons)
            if (button != kNoControl) EnableWindow(Control(button), available);
    }
}

namespace {

// A key or click that a person makes on purpose: not a key's repeat, not a
// modifier alone (Shift before Tab), not a release.
bool IsDeliberateInput(const MSG& msg) {
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (msg.lParam & (1 << 30)) return false;  // held down: the key repeats
        switch (msg.wParam) {
        case VK_SHIFT: case VK_CONTROL: case VK_MENU: case VK_LWIN: case VK_RWIN: case VK_CAPITAL: return false;
        }
        return true;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_XBUTTONDOWN: case WM_XBUTTONDBLCLK: return true;
    }
    return false;
}

}  // namespace

// While a network send waits, keys and clicks are not acted on: Escape cancels
// the send, Alt+F4 still closes the window, and the rest are held back with the
// system's beep and the send's state said again, so that none goes unanswered.
bool MainWindow::HoldsBack(const MSG& msg) {
    if (!actions_ || !actions_->NetworkSendUnderWay()) return false;
    if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4) return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
        actions_->CancelNetworkSend();
        return true;
    }
    if (IsDeliberateInput(msg)) {
        if (held_input_signal_) held_input_signal_();
        RepeatSendState();
    }
    return true;
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
    if (!area || !actions_) return;
    const win::Edit edit(Control(*area));
    const core::MarkupBox box = core::MarkupBoxFor(actions_->RequestOf(Pages()[page].channel));
    if (box.caret) {
        edit.Focus();
        edit.PutCaret(static_cast<int>(*box.caret));
    }
    ShowMessage(box.text);
}

// --- keys -----------------------------------------------------------------------

bool MainWindow::HandleTabKey(bool backwards) {
    const ControlId next = NextTabStop(ControlOf(GetFocus()), ShowingPage(), backwards);
    FocusByTab(Control(next));
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

// A send that failed into this report (the clipboard's) had its cause said just
// before the box: it is said again once the box is closed.
void MainWindow::ReportError(const std::exception_ptr& error) {
    bool send_failed = false;
    try {
        std::rethrow_exception(error);
    } catch (const core::CauseError&) {
        send_failed = std::exchange(send_just_ended_, false);
    } catch (...) {
    }
    const std::wstring text = Wide(ErrorReportText(ErrorMessageOf(error)));
    MessageBoxW(hwnd_, text.c_str(), Wide(kApplicationTitle).c_str(), MB_OK | MB_ICONERROR);
    if (send_failed) RepeatSendState();
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
void MainWindow::PreferKoreanInputIn(const ControlSpec& layout) {
    if (!(layout.flags & flags::kKoreanInput)) return;
    const auto id = static_cast<uint16_t>(layout.id);
    const bool text = IsTextControl(layout.kind);
    if (!text && layout.kind != Kind::ListBox) return;
    On(id, text ? EN_SETFOCUS : LBN_SETFOCUS, [] { ApplyInputMethodPreference(true); });
    On(id, text ? EN_KILLFOCUS : LBN_KILLFOCUS, [] { ApplyInputMethodPreference(false); });
}

// --- PageView ---------------------------------------------------------------------

std::u16string MainWindow::Text(TextField field) { return Field(field).Text(); }

void MainWindow::SetText(TextField field, std::u16string_view text) { Field(field).SetText(text); }

void MainWindow::AppendLine(TextField field, std::u16string_view text) { Field(field).AppendLine(text); }

bool MainWindow::UseProtocol() { return win::Button(Control(ControlId::UseProtocolCheck)).IsChecked(); }

int MainWindow::SelectedCommandIndex() { return win::ListBox(Control(ControlId::CommandList)).Selected(); }

void MainWindow::ShowMessage(std::u16string_view text) {
    MessageBoxW(hwnd_, Wide(text).c_str(), Wide(kApplicationTitle).c_str(), MB_OK);
}

std::optional<std::u16string> MainWindow::ChooseTextFile() {
    return win::ChooseFile(hwnd_, {win::FileDialog::Purpose::Open, L"Text files (*.txt)\0*.txt\0"});
}

}  // namespace lumvox::ui
