#pragma once
// One line of RAII per Win32 handle type.
#include <windows.h>

#include <memory>
#include <type_traits>

namespace lumvox::win {

template <auto Close>
struct CloseWith {
    template <class T>
    void operator()(T* h) const noexcept {
        Close(h);
    }
};
template <class H, auto Close>
using Unique = std::unique_ptr<std::remove_pointer_t<H>, CloseWith<Close>>;

using UniqueHandle = Unique<HANDLE, &CloseHandle>;
using UniqueHglobal = Unique<HGLOBAL, &GlobalFree>;
using UniqueHfont = Unique<HFONT, &DeleteObject>;

// CreateFileW reports failure as INVALID_HANDLE_VALUE, not null.
inline UniqueHandle AdoptFileHandle(HANDLE h) {
    return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

}  // namespace lumvox::win
