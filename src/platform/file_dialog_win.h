#pragma once
// The system's open and save dialogs. Their library (and the shell it brings
// along) is loaded at the first use, not at start-up, from System32 only, and
// stays loaded for the rest of the run.
#include <windows.h>

#include <optional>
#include <string>

namespace lumvox::win {

struct FileDialog {
    enum class Purpose : uint8_t { Open, Save };
    Purpose purpose;
    const wchar_t* filter;  // pairs of caption and pattern, each ending in a null
    const wchar_t* default_extension = nullptr;  // added to a saved name without one
};

// The chosen path, or none when the user cancelled.
std::optional<std::u16string> ChooseFile(HWND owner, const FileDialog& dialog);

// The dialogs' library, as ChooseFile loads it; null when it cannot be loaded.
HMODULE FileDialogLibrary();

}  // namespace lumvox::win
