// One route table: a control's notification, a menu choice and a key all reach an
// action through it, so a button and its key share one path and one enabled check.
#include "main_window_win.h"

#include "send_log_window_win.h"

#include <commctrl.h>

namespace lumvox::ui {
namespace {

constexpr UINT kMenuChoice = win::Window::kMenuChoice;
using enum Key;
using Modifier = Shortcut::Modifier;

// A control's key is a column here; a menu entry's is in the menu table, which
// shows it beside the entry's caption.
struct Route {
    uint16_t source;  // control or menu ID
    UINT code;        // notification code
    Action action;
    Shortcut shortcut = {};
};

constexpr uint16_t Id(ControlId id) { return static_cast<uint16_t>(id); }
constexpr uint16_t Id(MenuId id) { return static_cast<uint16_t>(id); }

constexpr Route kRoutes[] = {
    {Id(ControlId::AppSendButton), BN_CLICKED, Action::SendToApp, {F8, Modifier::Any}},
    {Id(ControlId::AppClearButton), BN_CLICKED, Action::ClearAppText},
    {Id(ControlId::CommandList), LBN_DBLCLK, Action::InsertSelectedCommand},
    {Id(ControlId::NetSendButton), BN_CLICKED, Action::SendOverNetwork, {F9, Modifier::Any}},
    {Id(ControlId::NetPreviewButton), BN_CLICKED, Action::PreviewNetworkText},
    {Id(ControlId::ClipCopyButton), BN_CLICKED, Action::CopyToClipboard},
    {Id(ControlId::ClipClearButton), BN_CLICKED, Action::ClearClipText},
    {Id(ControlId::UseProtocolCheck), BN_CLICKED, Action::UseProtocolToggled},
    {Id(ControlId::PageTabs), static_cast<UINT>(TCN_SELCHANGE), Action::ShowChosenPage},
    {Id(MenuId::OpenFile), kMenuChoice, Action::LoadTextFile},
    {Id(MenuId::Exit), kMenuChoice, Action::Quit},
    {Id(MenuId::SamplePlain), kMenuChoice, Action::InsertSample},
    {Id(MenuId::SampleMarkup), kMenuChoice, Action::InsertSample},
    {Id(MenuId::SampleLanguage), kMenuChoice, Action::InsertSample},
    {Id(MenuId::SamplePitch), kMenuChoice, Action::InsertSample},
    {Id(MenuId::SampleRate), kMenuChoice, Action::InsertSample},
    {Id(MenuId::SampleSpelling), kMenuChoice, Action::InsertSample},
    {Id(MenuId::SampleVolume), kMenuChoice, Action::InsertSample},
    {Id(MenuId::SendLog), kMenuChoice, Action::ShowSendLog},
    {Id(MenuId::CheckMarkup), kMenuChoice, Action::CheckMarkup},
    {Id(MenuId::SendToAppByMenu), kMenuChoice, Action::PressPageButton},
    {Id(MenuId::SendOverNetworkByMenu), kMenuChoice, Action::PressPageButton},
    {Id(MenuId::PreviewByMenu), kMenuChoice, Action::PressPageButton},
    {Id(MenuId::CopyByMenu), kMenuChoice, Action::PressPageButton},
    {Id(MenuId::ClearByMenu), kMenuChoice, Action::ClearShowingPageText},
    {Id(MenuId::FocusTextByMenu), kMenuChoice, Action::FocusShowingPageText},
};

// A menu entry that stands for a page's button goes the button's way, enabled check included.
struct ButtonOfMenu {
    MenuId entry;
    ControlId button;
};
constexpr ButtonOfMenu kButtonsOfMenu[] = {
    {MenuId::SendToAppByMenu, ControlId::AppSendButton},
    {MenuId::SendOverNetworkByMenu, ControlId::NetSendButton},
    {MenuId::PreviewByMenu, ControlId::NetPreviewButton},
    {MenuId::CopyByMenu, ControlId::ClipCopyButton},
};

// F8 and F9 act alike with any of Shift, Ctrl and Alt; a key marked Ctrl acts only while Ctrl is held.
bool Pressed(Shortcut shortcut, WORD key) {
    return shortcut.key != None && static_cast<WORD>(shortcut.key) == key &&
           (shortcut.modifier == Modifier::Any || GetKeyState(VK_CONTROL) < 0);
}

}  // namespace

void MainWindow::WireRoutes() {
    for (const Route& route : kRoutes)
        On(route.source, route.code, [this, source = route.source, code = route.code] { RunRoute(source, code); });
}

bool MainWindow::RunRoute(uint16_t source, UINT code) {
    for (const Route& route : kRoutes) {
        if (route.source != source || route.code != code) continue;
        // Nothing runs while a network send waits, whatever asks.
        if (actions_ && actions_->NetworkSendUnderWay()) return false;
        // A disabled control runs nothing, whether clicked or reached by its key.
        if (const auto control = ControlIdFromInt(source); control && !IsWindowEnabled(Control(*control)))
            return false;
        Run(route.action, source);
        return true;
    }
    return false;
}
void MainWindow::Run(Action action, uint16_t source) {
    if (action == Action::Quit) return Quit();
    if (action == Action::ShowSendLog) return ShowSendLog();
    if (action == Action::CheckMarkup) return CheckShowingPageMarkup();
    if (action == Action::PressPageButton) {
        for (const ButtonOfMenu& b : kButtonsOfMenu)
            if (Id(b.entry) == source) RunRoute(Id(b.button), BN_CLICKED);
        return;
    }
    if (action == Action::ClearShowingPageText) {
        // The second page has no clear button.
        const int page = ShowingPage();
        if (page == 0) RunRoute(Id(ControlId::AppClearButton), BN_CLICKED);
        if (page == 2) RunRoute(Id(ControlId::ClipClearButton), BN_CLICKED);
        return;
    }
    if (action == Action::FocusShowingPageText) return FocusShowingPageText();
    if (action == Action::ShowChosenPage) {
        ShowPage(ShowingPage());
        return FocusShowingPageText();
    }
    if (!actions_) return;
    switch (action) {
    case Action::SendToApp: actions_->SendToApp(); break;
    case Action::ClearAppText: actions_->ClearAppText(); break;
    case Action::InsertSelectedCommand: actions_->InsertSelectedCommand(); break;
    case Action::SendOverNetwork: StartNetworkSend(); break;
    case Action::PreviewNetworkText: actions_->PreviewNetworkText(); break;
    case Action::CopyToClipboard: actions_->CopyToClipboard(); break;
    case Action::ClearClipText: actions_->ClearClipText(); break;
    case Action::UseProtocolToggled: actions_->UseProtocolToggled(); break;
    case Action::LoadTextFile: actions_->LoadTextFile(); break;
    case Action::InsertSample:
        if (const auto sample = SampleIndexOf(static_cast<MenuId>(source))) actions_->InsertSample(*sample);
        break;
    case Action::ShowChosenPage:
    case Action::PressPageButton:
    case Action::ClearShowingPageText:
    case Action::FocusShowingPageText:
    case Action::ShowSendLog:
    case Action::CheckMarkup:
    case Action::Quit: break;
    }
}

// True when the key is used up. A Ctrl chord belongs to its menu entry alone: passed
// on after a box it opened, the letter would be typed into the text area, since Ctrl
// is no longer held when the key is translated.
bool MainWindow::RunKeyRoute(WORD key) {
    for (const Route& route : kRoutes) {
        if (!Pressed(route.shortcut, key)) continue;
        RunRoute(route.source, route.code);
        return route.shortcut.modifier == Modifier::Ctrl;
    }
    for (const MenuEntry& entry : Menu()) {
        if (!Pressed(entry.shortcut, key)) continue;
        RunRoute(entry.id, kMenuChoice);
        return entry.shortcut.modifier == Modifier::Ctrl;
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
    // Enter in the command list inserts the selected command, as a double click does.
    if (key == VK_RETURN && !with_alt && GetFocus() == Control(ControlId::CommandList))
        return RunRoute(Id(ControlId::CommandList), LBN_DBLCLK);
    if (key != VK_TAB || with_alt) return false;
    const bool backwards = GetKeyState(VK_SHIFT) < 0;
    if (GetKeyState(VK_CONTROL) < 0) return SwitchPageByKey(backwards);
    return HandleTabKey(backwards);
}

}  // namespace lumvox::ui
