#include "commands.h"

#include <algorithm>

namespace lumvox::ui {
namespace {

using enum Key;
using Modifier = Shortcut::Modifier;
constexpr Shortcut Ctrl(Key key) { return {key, Modifier::Ctrl}; }

constexpr CommandRow kCommands[] = {
    {MenuId::OpenFile, Action::LoadTextFile},
    {MenuId::Exit, Action::Quit},
    {MenuId::SamplePlain, Action::InsertSample},
    {MenuId::SampleMarkup, Action::InsertSample},
    {MenuId::SampleLanguage, Action::InsertSample},
    {MenuId::SamplePitch, Action::InsertSample},
    {MenuId::SampleRate, Action::InsertSample},
    {MenuId::SampleSpelling, Action::InsertSample},
    {MenuId::SampleVolume, Action::InsertSample},
    {MenuId::SendLog, Action::ShowSendLog, Ctrl(L)},
    {MenuId::CheckMarkup, Action::CheckMarkup, Ctrl(K)},
    {MenuId::SendToAppByMenu, Action::PressButton, {F8}, {ControlId::AppSendButton}, true},
    {MenuId::SendOverNetworkByMenu, Action::PressButton, {F9}, {ControlId::NetSendButton}, true},
    {MenuId::PreviewByMenu, Action::PressButton, Ctrl(P), {ControlId::NetPreviewButton}},
    {MenuId::CopyByMenu, Action::PressButton, Ctrl(B), {ControlId::ClipCopyButton}, true},
    // The second page has no clear button.
    {MenuId::ClearByMenu, Action::PressButton, Ctrl(E), {ControlId::AppClearButton, ControlId::ClipClearButton}},
    {MenuId::FocusTextByMenu, Action::FocusShowingPageText, Ctrl(T)},
};

}  // namespace

std::u16string ShortcutText(Shortcut shortcut) {
    std::u16string text = shortcut.modifier == Modifier::Ctrl ? u"Ctrl+" : u"";
    switch (shortcut.key) {
    case None: return u"";
    case F8: return text + u"F8";
    case F9: return text + u"F9";
    default: return text + static_cast<char16_t>(shortcut.key);  // the letter keys' codes are their capitals
    }
}

std::span<const CommandRow> Commands() { return kCommands; }

const CommandRow* CommandOf(MenuId entry) {
    const auto* it = std::find_if(std::begin(kCommands), std::end(kCommands), [entry](const CommandRow& c) {
        return c.entry == entry;
    });
    return it == std::end(kCommands) ? nullptr : it;
}

std::optional<ControlId> ButtonToPress(const CommandRow& command, int showing_page) {
    if (command.action != Action::PressButton || command.buttons[0] == kNoControl) return std::nullopt;
    if (command.buttons[1] == kNoControl) return command.buttons[0];
    for (ControlId button : command.buttons)
        if (PageIndexOf(LayoutOf(button).parent) == showing_page) return button;
    return std::nullopt;
}

Shortcut ShortcutOfButton(ControlId button) {
    if (button == kNoControl) return {};
    for (const CommandRow& command : kCommands)
        if (command.action == Action::PressButton && std::ranges::find(command.buttons, button) != command.buttons.end())
            return command.key;
    return {};
}

std::u16string MenuCaption(const MenuEntry& entry) {
    std::u16string caption(entry.caption);
    const CommandRow* command = entry.id ? CommandOf(static_cast<MenuId>(entry.id)) : nullptr;
    if (command && command->key.key != None) caption += u"\t" + ShortcutText(command->key);
    return caption;
}

}  // namespace lumvox::ui
