#include <windows.h>

#include <gtest/gtest.h>

#include "platform/speech_app_link_win.h"

namespace lumvox::core {
namespace {

struct WindowDeleter {
    void operator()(HWND hwnd) const { DestroyWindow(hwnd); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

UniqueWindow MakeWindow(const wchar_t* title, HWND parent = nullptr) {
    DWORD style = parent ? WS_CHILD : WS_OVERLAPPED;  // never shown: hidden windows count too
    return UniqueWindow(CreateWindowExW(0, L"STATIC", title, style, 0, 0, 10, 10, parent, nullptr,
                                        GetModuleHandleW(nullptr), nullptr));
}

TEST(IsSpeechAppRunning, FindsOnlyTopLevelWindowsWithTheWholeTitle) {
    EXPECT_FALSE(lumvox::win::IsSpeechAppRunning()) << "no window yet";
    {
        auto other = MakeWindow(L"Lumvox Workshop");
        auto trailing = MakeWindow(L"Lumvox ");
        auto host = MakeWindow(L"host");
        auto child = MakeWindow(L"Lumvox", host.get());
        ASSERT_TRUE(other && trailing && host && child);
        EXPECT_FALSE(lumvox::win::IsSpeechAppRunning());
    }
    auto hidden_lower = MakeWindow(L"lumvox");
    ASSERT_TRUE(hidden_lower);
    EXPECT_FALSE(IsWindowVisible(hidden_lower.get()));
    EXPECT_TRUE(lumvox::win::IsSpeechAppRunning());
    hidden_lower.reset();
    EXPECT_FALSE(lumvox::win::IsSpeechAppRunning());
}

}  // namespace
}  // namespace lumvox::core
