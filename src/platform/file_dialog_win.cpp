#include "file_dialog_win.h"

#include <commdlg.h>

#include <vector>

#include "dll_search_win.h"

namespace lumvox::win {

HMODULE FileDialogLibrary() {
    static const HMODULE library = LoadSystemLibrary(L"comdlg32.dll");
    return library;
}

std::optional<std::u16string> ChooseFile(HWND owner, const FileDialog& dialog) {
    using Choose = BOOL(WINAPI*)(OPENFILENAMEW*);
    const bool save = dialog.purpose == FileDialog::Purpose::Save;
    const auto choose = SystemFunction<Choose>(FileDialogLibrary(), save ? "GetSaveFileNameW" : "GetOpenFileNameW");
    if (!choose) return std::nullopt;
    std::vector<wchar_t> path(32768, L'\0');
    OPENFILENAMEW chosen{};
    chosen.lStructSize = sizeof chosen;
    chosen.hwndOwner = owner;
    chosen.lpstrFilter = dialog.filter;
    chosen.nFilterIndex = 1;
    chosen.lpstrFile = path.data();
    chosen.nMaxFile = static_cast<DWORD>(path.size());
    chosen.lpstrDefExt = dialog.default_extension;
    chosen.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | (save ? OFN_OVERWRITEPROMPT : 0);
    if (!choose(&chosen)) return std::nullopt;
    return std::u16string(reinterpret_cast<const char16_t*>(path.data()));
}

}  // namespace lumvox::win
