// Routes: a control's notification reaches its action through the route table, a
// menu choice and a key through the command table, and every action runs from
// one dispatch table; a button and its key share one path and one enabled check.
#include "main_window_win.h"

#include "send_log_window_win.h"

#include <commctrl.h>

namespace lumvox::ui {
namespace {

constexpr UINT kMenuChoice = win::Window::kMenuChoice;
using Modifier = Shortcut::Modifier;

// The controls' notifications; the keys and menu entries are the command table's.
struct Route {
    ControlId source;
    UINT code;  // notification code
    Action action;
};

constexpr uint16_t Id(ControlId id) { return static_cast<uint16_t>(id); }
constexpr uint16_t Id(MenuId id) { return static_cast<uint16_t>(id); }

constexpr Route kRoutes[] = {
    {ControlId::AppSendButton, BN_CLICKED, Action::SendToApp},
    {ControlId::AppClearButton, BN_CLICKED, Action::ClearAppText},
    {ControlId::CommandList, LBN_DBLCLK, Action::InsertSelectedCommand},
    {ControlId::NetSendButton, BN_CLICKED, Action::SendOverNetwork},
    {ControlId::NetPreviewButton, BN_CLICKED, Action::PreviewNetworkText},
    {ControlId::ClipCopyButton, BN_CLICKED, Action::CopyToClipboard},
    {ControlId::ClipClearButton, BN_CLICKED, Action::ClearClipText},
    {ControlId::UseProtocolCheck, BN_CLICKED, Action::UseProtocolToggled},
    {ControlId::PageTabs, static_cast<UINT>(TCN_SELCHANGE), Action::ShowChosenPage},
};

// F8 and F9 act alike with any of Shift, Ctrl and Alt; a key marked Ctrl acts only while Ctrl is held.
bool Pressed(Shortcut shortcut, WORD key) {
    return shortcut.key != Key::None && static_cast<WORD>(shortcut.key) == key &&
           (shortcut.modifier == Modifier::Any || GetKeyState(VK_CONTROL) < 0);
}

}  // namespace

void MainWindow::WireRoutes() {
    for (const Route& route : kRoutes)
        On(Id(route.source), route.code, [this, source = route.source, code = route.code] { RunRoute(Id(source), code); });
    for (const CommandRow& command : Commands()) On(Id(command.entry), kMenuChoice, [this, &command] { RunCommand(command); });
}

// Nothing runs while a network send waits, whatever asks.
bool MainWindow::Idle() const { return !actions_ || !actions_->NetworkSendUnderWay(); }

bool MainWindow::RunRoute(uint16_t source, UINT code) {
    for (const Route& route : kRoutes) {
        if (Id(route.source) != source || route.code != code) continue;
        if (!Idle()) return false;
        // A disabled control runs nothing, whether clicked or reached by its key.
        if (!IsWindowEnabled(Control(route.source))) return false;
        Run(route.action, source);
        return true;
    }
    return false;
}

bool MainWindow::RunCommand(const CommandRow& command) {
    if (!Idle()) return false;
    Run(command.action, Id(command.entry));
    return true;
}

// The dispatcher: one row per action, in the order of Action, so that the row of
// an action is kRows[action] and an action without its row does not build.
void MainWindow::Run(Action action, uint16_t source) {
    using Handler = void (*)(MainWindow& w, uint16_t source);
    struct Row {
        Action action;
        Handler run;
    };
    static constexpr Row kRows[] = {
        {Action::SendToApp, [](MainWindow& w, uint16_t) { if (w.actions_) w.actions_->SendToApp(); }},
        {Action::ClearAppText, [](MainWindow& w, uint16_t) { if (w.actions_) w.actions_->ClearAppText(); }},
        {Action::InsertSelectedCommand, [](MainWindow& w, uint16_t) { if (w.actions_) w.actions_->InsertSelectedCommand(); }},
        {Action::SendOverNetwork, [](MainWindow& w, uint16_t) { if (w.actions_) w.StartNetworkSend(); }},
        {Action::PreviewNetworkText, [](MainWindow& w, uint16_t) { if (w.actions_) w.actions_->PreviewNetworkText(); }},
        {Action::CopyToClipboard, [](MainWindow& w, uint16_t) { if (w.actions_) w.actions_->CopyToClipboard(); }},
        {Action::ClearClipText, [](MainWindow& w, uint16_t) { if (w.actions_) w.actions_->ClearClipText(); }},
        {Action::UseProtocolToggled, [](MainWindow& w, uint16_t) { if (w.actions_) w.actions_->UseProtocolToggled(); }},
        {Action::ShowChosenPage,
         [](MainWindow& w, uint16_t) {
             w.ShowPage(w.ShowingPage());
             w.FocusShowingPageText();
         }},
        {Action::PressButton,
         [](MainWindow& w, uint16_t source) {
             const CommandRow* command = CommandOf(static_cast<MenuId>(source));
             if (const auto button = command ? ButtonToPress(*command, w.ShowingPage()) : std::nullopt)
                 w.RunRoute(Id(*button), BN_CLICKED);
         }},
        {Action::LoadTextFile, [](MainWindow& w, uint16_t) { if (w.actions_) w.actions_->LoadTextFile(); }},
        {Action::InsertSample,
         [](MainWindow& w, uint16_t source) {
             const auto sample = SampleIndexOf(static_cast<MenuId>(source));
             if (sample && w.actions_) w.actions_->InsertSample(*sample);
         }},
        {Action::CheckMarkup, [](MainWindow& w, uint16_t) { w.CheckShowingPageMarkup(); }},
        {Action::ShowSendLog, [](MainWindow& w, uint16_t) { w.ShowSendLog(); }},
        {Action::Quit, [](MainWindow& w, uint16_t) { w.Quit(); }},
        {Action::FocusShowingPageText, [](MainWindow& w, uint16_t) { w.FocusShowingPageText(); }},
    };
    static_assert(std::size(kRows) == static_cast<size_t>(Action::Count), "every action has its row");
    static_assert(
        [] {
            for (size_t i = 0; i < std::size(kRows); ++i)
                if (static_cast<size_t>(kRows[i].action) != i) return false;
            return true;
        }(),
        "the rows stand in the order of Action");
    send_just_ended_ = false;
    kRows[static_cast<size_t>(action)].run(*this, source);
}

// True when the key is used up. A Ctrl chord belongs to its command alone: passed
// on after a box it opened, the letter would be typed into the text area, since
// Ctrl is no longer held when the key is translated.
bool MainWindow::RunKeyRoute(WORD key) {
    for (const CommandRow& command : Commands()) {
        if (!Pressed(command.key, key)) continue;
        RunCommand(command);
        return command.key.modifier == Modifier::Ctrl;
    }
    return false;
}

void MainWindow::Quit() { PostQuitMessage(0); }

void MainWindow::ShowSendLog() {
    if (!send_log_) return;
    if (!send_log_window_)
        send_log_window_ = std::make_unique<SendLogWindow>(*send_log_, [this](const std::exception_ptr& error) {
            ReportError(error);
        });
    send_log_window_->Open(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)), hwnd_);
}

// Before a key is dispatched: a routed key runs its action and still reaches the
// focused control; Tab moves the focus in the designed order, and Ctrl+Tab turns
// the pages.
bool MainWindow::OnKeyPreview(WORD key, bool with_alt) {
    if (RunKeyRoute(key)) return true;
    if (key == VK_RETURN && !with_alt && GetFocus() == Control(ControlId::CommandList)) return InsertCommandByEnter();
    if (key != VK_TAB || with_alt) return false;
    const bool backwards = GetKeyState(VK_SHIFT) < 0;
    if (GetKeyState(VK_CONTROL) < 0) return SwitchPageByKey(backwards);
    return HandleTabKey(backwards);
}

// Enter in the command list inserts the selected command, as a double click does;
// with none selected yet (the list reached by Tab), the one under the focus
// rectangle, which becomes the selection.
bool MainWindow::InsertCommandByEnter() {
    const win::ListBox commands(Control(ControlId::CommandList));
    if (commands.Selected() < 0 && Idle()) {
        const int caret = commands.Caret();
        if (caret >= 0 && caret < commands.Count()) commands.Select(caret);
    }
    return RunRoute(Id(ControlId::CommandList), LBN_DBLCLK);
}

}  // namespace lumvox::ui
