#pragma once
// Telling assistive technology that a text changed where the focus is not, so
// that a screen reader speaks it without the user moving there.
#include <windows.h>

#include <string_view>

namespace lumvox::win {

// How the words stand: a state that a later one replaces, or the end of an action.
enum class Announcement { Progress, Outcome };

// Raises the name-change and live-region events for `child` of the client
// object of `hwnd` (which must already show `words`), and UI Automation's
// notification with the words where the system has it.
void AnnounceTextChange(HWND hwnd, LONG child, std::u16string_view words, Announcement kind);

}  // namespace lumvox::win
