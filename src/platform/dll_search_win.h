#pragma once
// Where the programs load libraries from. Called first in every entry point:
// from then on a library that is not a KnownDLL, delay-loaded or loaded at run
// time, comes from System32 only, never from the folder the exe was started in.
#include <windows.h>

namespace lumvox::win {

inline void LoadLibrariesFromSystemOnly() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

inline HMODULE LoadSystemLibrary(const wchar_t* name) {
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace lumvox::win
