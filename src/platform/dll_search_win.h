#pragma once
// Where the programs load libraries from. Called first in every entry point:
// from then on a library that is not a KnownDLL, delay-loaded or loaded at run
// time, comes from System32 only, never from the folder the exe was started in.
#include <windows.h>

#include <cwchar>

namespace lumvox::win {

inline void LoadLibrariesFromSystemOnly() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

// By System32's full path: a library of the same name already loaded from
// elsewhere (Wine's own user32 imports VERSION, from the exe's folder if one is
// there) is not taken in its place. Not for comctl32, whose version 6 the
// manifest's activation context finds by name.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n + 1 + wcslen(name) >= MAX_PATH) return nullptr;
    path[n] = L'\\';
    wcscpy(path + n + 1, name);
    return LoadLibraryExW(path, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// FUNCTION from LIBRARY, or null.
template <class Function>
Function SystemFunction(HMODULE library, const char* name) {
    return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

}  // namespace lumvox::win
