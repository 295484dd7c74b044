#pragma once
// The BSTRs that accessibility answers and notifications carry, from oleaut32 in
// System32, looked up once at run time: the programs import no OLE library for
// what only assistive technology asks for.
#include <windows.h>

#include "dll_search_win.h"

namespace lumvox::win {

struct AutomationStrings {
    BSTR(WINAPI* alloc)(const OLECHAR*, UINT) = nullptr;  // SysAllocStringLen
    void(WINAPI* free)(BSTR) = nullptr;                   // SysFreeString
    bool present() const { return alloc && free; }
};

inline const AutomationStrings& AutomationStringFunctions() {
    static const AutomationStrings strings = [] {
        HMODULE automation = LoadSystemLibrary(L"oleaut32.dll");
        return AutomationStrings{SystemFunction<decltype(AutomationStrings::alloc)>(automation, "SysAllocStringLen"),
                                 SystemFunction<decltype(AutomationStrings::free)>(automation, "SysFreeString")};
    }();
    return strings;
}

}  // namespace lumvox::win
