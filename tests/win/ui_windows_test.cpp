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

std::wstring Wide(std::u16string_view text) { return {text.begin(), text.end()}; }

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

struct CommonControls {
    CommonControls() {
        lumvox::ui::MainWindow::InitCommonControls();
    }
};

TEST(MainWindowMenu, TheBarShowsTheMenuTableWithEachEntrysKeyFromTheCommandTable) {
    CommonControls common;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    lumvox::ui::Application application(instance);
    ASSERT_TRUE(application.Initialize());
    lumvox::ui::MainWindow form;
    ASSERT_TRUE(form.Create(instance, application.Handle()));
    HMENU bar = GetMenu(form.Handle());
    ASSERT_NE(bar, nullptr);
    // The bar and its entries as the menu and command tables give them, keys after a tab.
    UINT top = 0;
    for (const lumvox::ui::MenuEntry& entry : lumvox::ui::Menu()) {
        if (entry.top_level) {
            EXPECT_EQ(MenuText(bar, top++, MF_BYPOSITION), Wide(entry.caption));
        } else if (entry.id != 0) {
            EXPECT_EQ(MenuText(bar, entry.id, MF_BYCOMMAND), Wide(lumvox::ui::MenuCaption(entry))) << entry.name;
        }
    }
    EXPECT_EQ(GetMenuItemCount(bar), static_cast<int>(top));
    EXPECT_EQ(MenuText(bar, 234, MF_BYCOMMAND), L"네트워크로 보내기(&N)\tF9") << "scripts choose entries by number";
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
void PumpPosted() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) lumvox::ui::Application::Deliver(msg);
}

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool IsStatic(HWND hwnd) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    return _wcsicmp(name, L"Static") == 0;
}

// Opened from the main window, the log takes the focus on its newest row; its
// list and detail box are named by the captions just before them; Escape gives
// the activation back to the main window, whose control that had the focus has it again.
TEST(SendLogWindow, OpensOnItsNewestRowNamedByCaptionsAndEscapeGoesBackToTheMainWindow) {
    CommonControls common;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    lumvox::ui::Application application(instance);
    ASSERT_TRUE(application.Initialize());
    lumvox::core::SendLog log;
    for (const char16_t* text : {u"a", u"bb", u"ccc"}) {  // told apart in the detail by their lengths
        lumvox::core::SendRecord record;
        record.channel = lumvox::core::SendChannel::App;
        record.text = record.handed_over = text;
        log.Record(record);
    }
    lumvox::ui::MainWindow form;
    form.SetSendLog(&log);
    ASSERT_TRUE(form.Create(instance, application.Handle()));
    form.ShowCentred(SW_SHOW);
    SetForegroundWindow(form.Handle());
    PumpPosted();
    ASSERT_EQ(GetActiveWindow(), form.Handle());
    HWND commands = FindWindowExW(GetDlgItem(GetDlgItem(form.Handle(), 100), 101), nullptr, L"ListBox", nullptr);
    ASSERT_NE(commands, nullptr);
    SetFocus(commands);

    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        PostMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(231, 0), 0);  // 도구 > 전송 기록
        PumpPosted();
        HWND window = FindWindowW(lumvox::ui::kSendLogWindowClass, nullptr);
        ASSERT_NE(window, nullptr);
        HWND list = GetDlgItem(window, 301);
        HWND detail = GetDlgItem(window, 302);
        EXPECT_EQ(GetActiveWindow(), window);
        EXPECT_EQ(GetFocus(), list);
        EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 2) << "the newest row";
        EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
        EXPECT_NE(TextOf(detail).find(L"UTF-16 3단위"), std::wstring::npos) << "its detail shows";
        struct Named {
            HWND control;
            const wchar_t* caption;
        };
        for (const Named& named : {Named{list, L"보낸 것 (최신이 맨 아래):"}, Named{detail, L"고른 전송의 자세한 내용:"}}) {
            HWND before = GetWindow(named.control, GW_HWNDPREV);
            ASSERT_TRUE(before && IsStatic(before)) << GetDlgCtrlID(named.control);
            EXPECT_EQ(TextOf(before), named.caption);
            EXPECT_FALSE(GetWindowLongW(before, GWL_STYLE) & WS_TABSTOP);
        }
        // Another row chosen: the next opening is on the newest again, alone.
        LVITEMW oldest{};
        oldest.stateMask = oldest.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&oldest));
        EXPECT_TRUE(Press(VK_ESCAPE));
        PumpPosted();
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_EQ(GetActiveWindow(), form.Handle()) << "not whichever window comes next";
        EXPECT_EQ(GetFocus(), commands) << "the control that had the focus";
    }
    form.Destroy();
}

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
