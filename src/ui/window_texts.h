#pragma once
// The main window's fixed texts and the rules that compose them; portable.
#include <exception>
#include <string>
#include <string_view>

namespace lumvox::ui {

// The application title: the task-bar entry and the title of every message box.
inline constexpr std::u16string_view kApplicationTitle = u"Lumvox Workshop V2";
// The window's title until the first activation.
inline constexpr std::u16string_view kInitialTitle = u"Lumvox Workshop";
inline constexpr std::u16string_view kMakerNotice = u"Speech Test Bench";

// "Lumvox Workshop V" + version + " - " + maker's notice.
std::u16string MainWindowTitle(std::u16string_view version);

// The status line after the probe for the speech program's window.
std::u16string_view StatusLineText(bool speech_app_running);

// The general error report's text: a full stop is added when the last code unit
// lies above U+002E.
std::u16string ErrorReportText(std::u16string_view message);

// The message of a caught error (lumvox::core::ActionError, std::exception with a
// UTF-8 what()); for a chain of nested causes, the innermost one that is not empty.
std::u16string ErrorMessageOf(const std::exception_ptr& error);

}  // namespace lumvox::ui
