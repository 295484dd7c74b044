#pragma once
// One line of RAII per Win32 handle type.
#include <windows.h>

#include <memory>
#include <type_traits>

namespace muMessageTest {

template <auto Close>
struct CloseWith {
    template <class T>
    void operator()(T* h) const noexcept {
        Close(h);
    }
};
template <class H, auto Close>
using Unique = std::unique_ptr<std::remove_pointer_t<H>, CloseWith<Close>>;

using UniqueHfont = Unique<HFONT, &DeleteObject>;
using UniqueHwnd = Unique<HWND, &DestroyWindow>;

}  // namespace muMessageTest
