// The workshop's windows in process: the menu as the main window shows it, the
// send log window's keys, and where the file dialogs' library comes from.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "core/send_log.h"
#include "platform/file_dialog_win.h"
#include "ui/application_win.h"
#include "ui/main_window_win.h"
#include "ui/send_log_window_win.h"

namespace {

std::wstring MenuText(HMENU menu, UINT item, UINT by) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, item, text, static_cast<int>(std::size(text)), by);
    return text;
}

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

struct CommonControls {
    CommonControls() {
        lumvox::ui::MainWindow::InitCommonControls();
    }
};

TEST(MainWindowMenu, EntriesWithAKeyShowItAfterATabTheOthersJustTheirCaption) {
    CommonControls common;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    lumvox::ui::Application application(instance);
    ASSERT_TRUE(application.Initialize());
    lumvox::ui::MainWindow form;
    ASSERT_TRUE(form.Create(instance, application.Handle()));
    HMENU bar = GetMenu(form.Handle());
    ASSERT_NE(bar, nullptr);
    const wchar_t* kMenus[] = {L"프로그램", L"예문", L"도구"};
    ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(std::size(kMenus)));
    for (UINT i = 0; i < std::size(kMenus); ++i) EXPECT_EQ(MenuText(bar, i, MF_BYPOSITION), kMenus[i]);
    struct Entry {
        UINT id;
        const wchar_t* shown;
    };
    constexpr Entry kEntries[] = {
        {201, L"파일 열기"}, {202, L"종료"},     {211, L"단순 문장"}, {212, L"태그 문장"},
        {213, L"LANGID 선택"}, {214, L"높이"},   {215, L"빠르기"},   {216, L"스펠링"},
        {217, L"소리 크기"},   {231, L"전송 기록\tCtrl+L"}, {232, L"마크업 검사\tCtrl+K"},
        {233, L"어플리케이션으로 보내기(&A)\tF8"}, {234, L"네트워크로 보내기(&N)\tF9"},
        {235, L"보낼 메시지 미리보기(&P)\tCtrl+P"}, {236, L"클립보드로 복사하기(&B)\tCtrl+B"},
        {237, L"비우기(&E)\tCtrl+E"}, {238, L"텍스트로 이동(&T)\tCtrl+T"},
    };
    for (const Entry& e : kEntries) EXPECT_EQ(MenuText(bar, e.id, MF_BYCOMMAND), e.shown) << e.id;
    form.Destroy();
}

// Keys as the event loop hands them over, to whichever window has the focus.
bool Press(WORD key, bool shift = false) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    const MSG msg{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
    const bool used = lumvox::win::Window::PreviewKey(msg);
    state[VK_SHIFT] = 0;
    SetKeyboardState(state);
    return used;
}

TEST(SendLogWindowKeys, TabAndShiftTabGoRoundItsControlsAndEscapeClosesIt) {
    CommonControls common;
    lumvox::core::SendLog log;
    lumvox::ui::SendLogWindow window(log, [](const std::exception_ptr&) { ADD_FAILURE() << "a handler threw"; });
    ASSERT_TRUE(window.Open(GetModuleHandleW(nullptr), nullptr));
    HWND hwnd = window.Handle();
    SetFocus(GetDlgItem(hwnd, 301));
    ASSERT_EQ(GetDlgCtrlID(GetFocus()), 301);
    for (int expected : {302, 303, 304, 301}) {
        EXPECT_TRUE(Press(VK_TAB));
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), expected) << "Tab";
    }
    for (int expected : {304, 303}) {
        EXPECT_TRUE(Press(VK_TAB, true));
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), expected) << "Shift+Tab";
    }
    EXPECT_FALSE(Press('A')) << "other keys go on to the control";
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(Press(VK_ESCAPE));
    EXPECT_FALSE(IsWindowVisible(hwnd)) << "Escape closes the window";
    EXPECT_TRUE(IsWindow(hwnd)) << "kept for the next opening";
}

// A comdlg32.dll lies beside this exe and Wine is told to prefer such a copy:
// the dialogs' library must still be System32's.
TEST(FileDialog, LibraryComesFromSystem32NotFromBesideTheProgram) {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring planted(self, n);
    planted = planted.substr(0, planted.find_last_of(L"\\/") + 1) + L"comdlg32.dll";
    ASSERT_NE(GetFileAttributesW(planted.c_str()), INVALID_FILE_ATTRIBUTES) << "the planted copy is missing";
    DeleteFileW((planted + L".loaded").c_str());  // left by an earlier run that loaded it

    HMODULE library = lumvox::win::FileDialogLibrary();
    ASSERT_NE(library, nullptr);
    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(library, loaded, MAX_PATH);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(Lower(loaded), Lower(std::wstring(system) + L"\\comdlg32.dll"));
    EXPECT_EQ(GetFileAttributesW((planted + L".loaded").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the planted copy was loaded";
    EXPECT_EQ(lumvox::win::FileDialogLibrary(), library) << "loaded once";
}

}  // namespace
