#pragma once
// The application icon (resource 1 in the workshop's and the stand-in's .rc), at
// the sizes the system draws a window's large and small icons.
#include <windows.h>

namespace lumvox::win {

inline constexpr int kAppIconId = 1;

inline HICON LoadAppIcon(HINSTANCE instance, bool small) {
    const int size = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kAppIconId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR | LR_SHARED));
}

}  // namespace lumvox::win
