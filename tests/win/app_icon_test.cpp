// The application icons: the workshop's and the stand-in's own, in their resources
// at every size the icon file holds, and the workshop's on the window classes of the
// task bar's entry and the main window. Read back in this process: Wine lends no icon across processes.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/app_icon_win.h"
#include "ui/application_win.h"
#include "ui/main_window_win.h"

namespace {

// "W H centre corner": the size, and the colours (AARRGGBB) of the centre pixel (a
// level bar, the tile's colour) and of the top-left one (outside the rounded tile:
// clear).
std::string Describe(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return "no icon";
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    const int w = bitmap.bmWidth, h = bitmap.bmHeight;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, info.hbmColor, 0, h, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    char text[64];
    snprintf(text, sizeof text, "%d %d %08lX %08lX", w, h,
             static_cast<unsigned long>(pixels[static_cast<size_t>(h / 2) * w + w / 2]),
             static_cast<unsigned long>(pixels[0]));
    return text;
}

constexpr const char* kWorkshopBlue = "FF1E5AA8";
constexpr const char* kStandInGreen = "FF1B7A4A";

std::string Expected(int size, const char* tile) {
    return std::to_string(size) + " " + std::to_string(size) + " " + tile + " 00000000";
}

std::wstring BuildFolder() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;  // <build>/tests/win/this.exe
    for (int i = 0; i < 3; ++i) path.resize(path.find_last_of(L"\\/"));
    return path;
}

struct ImageOnly {
    explicit ImageOnly(const std::wstring& path)
        : module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE)) {}
    ~ImageOnly() {
        if (module) FreeLibrary(module);
    }
    ImageOnly(const ImageOnly&) = delete;
    ImageOnly& operator=(const ImageOnly&) = delete;
    HMODULE module;
};

TEST(AppIcon, EveryExeCarriesEverySize) {
    struct Program { const wchar_t* exe; const char* tile; };
    for (const Program& program : {Program{L"\\src\\app\\LumvoxWorkshop.exe", kWorkshopBlue},
                                   Program{L"\\tools\\standin\\lumvox-standin.exe", kStandInGreen}}) {
        const wchar_t* exe = program.exe;
        ImageOnly image(BuildFolder() + exe);
        ASSERT_TRUE(image.module) << "cannot open " << std::string(exe, exe + wcslen(exe));
        for (int size : {16, 24, 32, 48, 256}) {
            HICON icon = static_cast<HICON>(
                LoadImageW(image.module, MAKEINTRESOURCEW(lumvox::win::kAppIconId), IMAGE_ICON, size, size, 0));
            EXPECT_EQ(Describe(icon), Expected(size, program.tile)) << "size " << size;
            if (icon) DestroyIcon(icon);
        }
    }
}

TEST(AppIcon, WindowClassesOfTheTaskBarEntryAndTheMainWindow) {
    lumvox::ui::MainWindow::InitCommonControls();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    lumvox::ui::Application application(instance);
    ASSERT_TRUE(application.Initialize());
    lumvox::ui::MainWindow form;
    ASSERT_TRUE(form.Create(instance, application.Handle()));
    const int big = GetSystemMetrics(SM_CXICON), small = GetSystemMetrics(SM_CXSMICON);
    for (HWND hwnd : {application.Handle(), form.Handle()}) {
        EXPECT_EQ(Describe(reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICON))), Expected(big, kWorkshopBlue));
        EXPECT_EQ(Describe(reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICONSM))), Expected(small, kWorkshopBlue));
    }
    form.Destroy();
}

}  // namespace
