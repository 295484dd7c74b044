#pragma once
// What the main window does when asked, and the one table that joins each menu
// entry to its action and its key: the menu shows the key from it, the key
// preview and the menu choice run the action from it, and a tool button tells
// its key from it. Portable, so the table is checked natively.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "layout.h"

namespace lumvox::ui {

// What a control's notification or a command runs; the window's dispatcher is a
// table with one row per action, in this order.
enum class Action : uint8_t {
    // the controls' own notifications
    SendToApp,
    ClearAppText,
    InsertSelectedCommand,
    SendOverNetwork,
    PreviewNetworkText,
    CopyToClipboard,
    ClearClipText,
    UseProtocolToggled,
    ShowChosenPage,
    // commands of the menu and the keys
    PressButton,  // the command's button goes its own way, enabled check included
    LoadTextFile,
    InsertSample,  // the sample of the menu entry that routed here
    CheckMarkup,   // the showing page's speech markup, in a box
    ShowSendLog,
    Quit,
    FocusShowingPageText,
    Count
};

// A key that runs a command; the values are the system's virtual-key codes. With
// Modifier::Any the key acts whether Shift, Ctrl or Alt is held and still reaches
// the focused control; with Modifier::Ctrl it acts only while Ctrl is held and is
// used up.
enum class Key : uint16_t { None = 0, B = 'B', E = 'E', K = 'K', L = 'L', P = 'P', T = 'T', F8 = 0x77, F9 = 0x78 };
struct Shortcut {
    enum class Modifier : uint8_t { Any, Ctrl };
    Key key = Key::None;
    Modifier modifier = Modifier::Any;
    friend constexpr bool operator==(const Shortcut&, const Shortcut&) = default;
};
// "Ctrl+K", "F8"; empty for no key.
std::u16string ShortcutText(Shortcut shortcut);

// No control: the unused places of CommandRow::buttons.
inline constexpr ControlId kNoControl{};

// One row per menu entry that does something.
struct CommandRow {
    MenuId entry;
    Action action;
    Shortcut key = {};
    // PressButton: the button it presses; with two, the one on the showing page.
    std::array<ControlId, 2> buttons = {kNoControl, kNoControl};
    bool sends = false;  // a send: unavailable while a network send waits
};
std::span<const CommandRow> Commands();
const CommandRow* CommandOf(MenuId entry);
// The button a PressButton command presses with `showing_page` showing; none
// where the page has none of its buttons.
std::optional<ControlId> ButtonToPress(const CommandRow& command, int showing_page);
// The key of the command that presses `button`; no key for other controls.
Shortcut ShortcutOfButton(ControlId button);

// What the menu shows: the caption, and after a tab the entry's key if it has one.
std::u16string MenuCaption(const MenuEntry& entry);

}  // namespace lumvox::ui
