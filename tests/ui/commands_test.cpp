// The command table: one row per menu entry that acts, each key in one row, the
// menu's keys and the tool buttons' keys read from it.
#include "ui/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace lumvox::ui {
namespace {

size_t RowsOf(MenuId entry) {
    return static_cast<size_t>(std::ranges::count_if(Commands(), [entry](const CommandRow& c) { return c.entry == entry; }));
}

bool IsToolButton(ControlId id) {
    const Kind kind = LayoutOf(id).kind;
    return kind == Kind::ToolButton || kind == Kind::FlatToolButton;
}

TEST(Commands, EveryMenuEntryThatActsHasOneRowAndEveryRowItsEntry) {
    for (const MenuEntry& entry : Menu()) {
        if (entry.id == 0) continue;  // a top-level menu or a separator
        EXPECT_EQ(RowsOf(static_cast<MenuId>(entry.id)), 1u) << entry.name;
        EXPECT_NE(CommandOf(static_cast<MenuId>(entry.id)), nullptr) << entry.name;
    }
    for (const CommandRow& command : Commands()) {
        EXPECT_TRUE(std::ranges::any_of(Menu(), [&](const MenuEntry& e) { return e.id == static_cast<uint16_t>(command.entry); }))
            << "a row without its menu entry: " << static_cast<int>(command.entry);
        EXPECT_LT(static_cast<size_t>(command.action), static_cast<size_t>(Action::Count));
        EXPECT_GE(command.action, Action::PressButton) << "a command's action is not a control's own notification";
    }
}

TEST(Commands, NoKeyInTwoRows) {
    std::map<uint16_t, int> rows_of_key;
    for (const CommandRow& command : Commands())
        if (command.key.key != Key::None) ++rows_of_key[static_cast<uint16_t>(command.key.key)];
    for (const auto& [key, rows] : rows_of_key) EXPECT_EQ(rows, 1) << "key " << key;
    EXPECT_FALSE(rows_of_key.empty());
}

// A command that presses a button names tool buttons, at most one per page; no
// other command names any.
TEST(Commands, ButtonsOfAPressAreToolButtonsOnePerPage) {
    for (const CommandRow& command : Commands()) {
        const bool presses = command.action == Action::PressButton;
        EXPECT_EQ(command.buttons[0] != kNoControl, presses) << static_cast<int>(command.entry);
        std::set<int> pages;
        for (ControlId button : command.buttons) {
            if (button == kNoControl) continue;
            EXPECT_TRUE(IsToolButton(button)) << static_cast<int>(button);
            EXPECT_TRUE(pages.insert(PageIndexOf(LayoutOf(button).parent)).second) << static_cast<int>(button);
        }
        if (command.sends) EXPECT_TRUE(presses) << "a send is a page's button";
    }
}

TEST(Commands, TheButtonPressedOnEachPage) {
    struct Case {
        MenuId entry;
        std::optional<ControlId> on_page[3];
    };
    const Case kCases[] = {
        // F8 and F9 press their page's send button whatever page shows.
        {MenuId::SendToAppByMenu, {ControlId::AppSendButton, ControlId::AppSendButton, ControlId::AppSendButton}},
        {MenuId::SendOverNetworkByMenu, {ControlId::NetSendButton, ControlId::NetSendButton, ControlId::NetSendButton}},
        // Clearing is the showing page's, and the second page has no clear button.
        {MenuId::ClearByMenu, {ControlId::AppClearButton, std::nullopt, ControlId::ClipClearButton}},
        {MenuId::SendLog, {std::nullopt, std::nullopt, std::nullopt}},
    };
    for (const Case& c : kCases) {
        const CommandRow* command = CommandOf(c.entry);
        ASSERT_NE(command, nullptr);
        for (int page = 0; page < 3; ++page)
            EXPECT_EQ(ButtonToPress(*command, page), c.on_page[page]) << static_cast<int>(c.entry) << " page " << page;
    }
}

// Every tool button tells the key of the command that presses it; the keys the
// routing of F8 and F9 needs are theirs.
TEST(Commands, EachToolButtonHasTheKeyOfItsCommand) {
    size_t buttons = 0;
    for (const ControlSpec& control : Controls()) {
        if (!IsToolButton(control.id)) continue;
        ++buttons;
        const Shortcut key = ShortcutOfButton(control.id);
        EXPECT_NE(key.key, Key::None) << control.name;
        const auto presser = std::ranges::find_if(Commands(), [&](const CommandRow& c) {
            return std::ranges::find(c.buttons, control.id) != c.buttons.end();
        });
        ASSERT_NE(presser, Commands().end()) << control.name;
        EXPECT_EQ(key, presser->key) << control.name;
    }
    EXPECT_GT(buttons, 0u);
    EXPECT_EQ(ShortcutOfButton(ControlId::AppSendButton), (Shortcut{Key::F8, Shortcut::Modifier::Any}));
    EXPECT_EQ(ShortcutOfButton(ControlId::NetSendButton), (Shortcut{Key::F9, Shortcut::Modifier::Any}));
    EXPECT_EQ(ShortcutOfButton(ControlId::CommandList).key, Key::None);
    EXPECT_EQ(ShortcutOfButton(kNoControl).key, Key::None);
}

// What the menu shows: an entry's key from its command row, after a tab; the
// entries without a key exactly as captioned.
TEST(Commands, MenuCaptionsShowTheKeyOfTheRow) {
    for (const MenuEntry& entry : Menu()) {
        const CommandRow* command = entry.id ? CommandOf(static_cast<MenuId>(entry.id)) : nullptr;
        std::u16string want(entry.caption);
        if (command && command->key.key != Key::None) want += u"\t" + ShortcutText(command->key);
        EXPECT_EQ(MenuCaption(entry), want) << entry.name;
    }
    const MenuEntry send_log = *std::ranges::find(Menu(), std::string_view("SendLogItem"), &MenuEntry::name);
    EXPECT_EQ(MenuCaption(send_log), u"전송 기록(&L)\tCtrl+L");
}

TEST(Commands, ShortcutTexts) {
    struct Case {
        Shortcut shortcut;
        std::u16string_view text;
    };
    constexpr Case kCases[] = {
        {{Key::F8, Shortcut::Modifier::Any}, u"F8"},   {{Key::F9, Shortcut::Modifier::Any}, u"F9"},
        {{Key::K, Shortcut::Modifier::Ctrl}, u"Ctrl+K"}, {{Key::B, Shortcut::Modifier::Ctrl}, u"Ctrl+B"},
        {{Key::E, Shortcut::Modifier::Ctrl}, u"Ctrl+E"}, {{Key::P, Shortcut::Modifier::Ctrl}, u"Ctrl+P"},
        {{Key::T, Shortcut::Modifier::Ctrl}, u"Ctrl+T"}, {{Key::L, Shortcut::Modifier::Ctrl}, u"Ctrl+L"},
        {{}, u""},
    };
    for (const auto& c : kCases) EXPECT_EQ(ShortcutText(c.shortcut), c.text);
}

// The letter after "&", upper-cased; 0 for none.
char16_t Mnemonic(std::u16string_view caption) {
    const size_t at = caption.find(u'&');
    if (at == std::u16string_view::npos || at + 1 >= caption.size()) return 0;
    const char16_t c = caption[at + 1];
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// The menu bar and each menu: no two items share a mnemonic; the added menus
// and their entries have one.
TEST(Commands, MnemonicsCollideWithNothingInTheirMenu) {
    std::set<char16_t> bar;
    std::set<char16_t> in_menu;
    bool added_menu = false;
    for (const MenuEntry& entry : Menu()) {
        if (entry.top_level) {
            in_menu.clear();
            added_menu = entry.name == "ToolsMenu";
        }
        std::set<char16_t>& menu = entry.top_level ? bar : in_menu;
        const char16_t letter = Mnemonic(entry.caption);
        if (added_menu && !entry.caption.empty()) EXPECT_NE(letter, 0) << entry.name;
        if (letter) EXPECT_TRUE(menu.insert(letter).second) << entry.name;
    }
}

}  // namespace
}  // namespace lumvox::ui
