// What assistive technology finds in the main window, in process under Wine: the
// caption window just before each text box and list (and the name Wine's proxy
// reads from it), the tool buttons' own accessible objects, and the captions'
// and shapes' colours with a high-contrast theme on and off.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <cstdint>
#include <vector>

#include "core/page_actions.h"
#include "core/reference_texts.h"
#include "core/text_rules.h"
#include "page_fakes.h"
#include "ui/application_win.h"
#include "ui/custom_controls_win.h"
#include "ui/main_window_win.h"

namespace {

using lumvox::ui::ControlId;
using namespace std::chrono_literals;

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, static_cast<int>(std::size(name)));
    return name;
}

// Takes a BSTR that a call handed over.
std::wstring Take(BSTR text) {
    std::wstring taken = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return taken;
}

VARIANT Self() {
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

struct ComApartment {
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { CoUninitialize(); }
};

// A reference to an accessible object, released at the end of its scope.
struct Accessible {
    explicit Accessible(HWND hwnd) {
        result = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&object));
    }
    ~Accessible() {
        if (object) object->Release();
    }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;
    std::wstring Name() const {
        BSTR name = nullptr;
        object->get_accName(Self(), &name);
        return Take(name);
    }
    LONG Role() const {
        VARIANT role{};
        return SUCCEEDED(object->get_accRole(Self(), &role)) && role.vt == VT_I4 ? role.lVal : -1;
    }
    LONG State() const {
        VARIANT state{};
        return SUCCEEDED(object->get_accState(Self(), &state)) && state.vt == VT_I4 ? state.lVal : -1;
    }
    std::wstring DefaultAction() const {
        BSTR action = nullptr;
        object->get_accDefaultAction(Self(), &action);
        return Take(action);
    }
    HRESULT result = E_FAIL;
    IAccessible* object = nullptr;
};

// The main window as the program wires it, its links faked.
struct Workshop {
    Workshop() {
        lumvox::ui::MainWindow::InitCommonControls();
        created = application.Initialize() && form.Create(instance, application.Handle());
        form.SetPageActions(&actions);
    }
    ~Workshop() {
        form.SetPageActions(nullptr);
        form.Destroy();
    }
    HWND Control(ControlId id) const {
        HWND tabs = GetDlgItem(form.Handle(), static_cast<int>(ControlId::PageTabs));
        const auto page = [&](ControlId sheet) { return GetDlgItem(tabs, static_cast<int>(sheet)); };
        for (HWND parent : {form.Handle(), tabs, page(ControlId::AppPage), page(ControlId::NetPage), page(ControlId::ClipPage)})
            if (HWND found = GetDlgItem(parent, static_cast<int>(id))) return found;
        return nullptr;
    }
    void PumpPosted() const {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) lumvox::ui::Application::Deliver(msg);
    }
    // Delivers what was posted, as the event loop does, until `done` or a safety
    // wait that only a broken window runs into.
    bool PumpUntil(const std::function<bool()>& done) const {
        const auto give_up = std::chrono::steady_clock::now() + 10s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > give_up) return false;
            MSG msg;
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) lumvox::ui::Application::Deliver(msg);
            else MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return true;
    }

    HINSTANCE instance = GetModuleHandleW(nullptr);
    lumvox::ui::Application application{instance};
    lumvox::ui::MainWindow form;
    lumvox::core::testing::RecordingSpeechApp speech_app;
    lumvox::core::testing::FakeNetwork network;
    lumvox::core::testing::RecordingClipboard clipboard;
    lumvox::core::testing::FakeFiles files;
    lumvox::core::PageActions actions{form, {speech_app, network, clipboard, files}};
    bool created = false;
};

constexpr wchar_t kAppIntro[] =
    L"Lumvox의 [어플리케이션 수신 모드]를 작동시키면, 같은 컴퓨터(로컬)에 설치된 다른 프로그램이 보낸 메세지를 받아 읽어줍니다.";
constexpr wchar_t kClipIntro[] =
    L"Lumvox 환경설정에서 [클립보드 TTS] 기능을 켜면 지정한 시간마다 클립보드의 텍스트를 읽습니다.";

// Screen readers name a text box or a list by the static text just before it in z order.
TEST(ControlNames, EachTextBoxAndListHasItsCaptionWindowJustBeforeIt) {
    ComApartment com;
    Workshop w;
    ASSERT_TRUE(w.created);
    struct Row {
        ControlId control;
        int label_id;
        const wchar_t* caption;
        bool wine_names_it;  // Wine's proxy names an Edit from its label, not a list
    };
    const Row kRows[] = {
        {ControlId::CommandList, 112, L"Lumvox 명령어", false},
        {ControlId::AppText, 111, kAppIntro, true},
        {ControlId::NetHostEdit, 125, L"보낼 곳의 IP", true},
        {ControlId::NetPortEdit, 127, L"Port", true},
        {ControlId::NetText, 130, L"메세지", true},
        {ControlId::ClipText, 141, kClipIntro, true},
        {ControlId::MarkupList, 151, L"SAPI 5 XML Markup", false},
        {ControlId::LanguageList, 154, L"LANGID", false},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(static_cast<int>(row.control));
        HWND control = w.Control(row.control);
        ASSERT_NE(control, nullptr);
        HWND label = GetWindow(control, GW_HWNDPREV);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(ClassOf(label), L"Static");
        EXPECT_EQ(GetDlgCtrlID(label), row.label_id);
        EXPECT_EQ(TextOf(label), row.caption);
        const LONG style = GetWindowLongW(label, GWL_STYLE);
        EXPECT_TRUE(style & WS_VISIBLE) << "a hidden label names nothing";
        EXPECT_TRUE(style & SS_NOPREFIX) << "drawn as painted, '&' shown as it is";
        EXPECT_FALSE(style & WS_TABSTOP);
        if (row.wine_names_it) {
            Accessible edit(control);
            ASSERT_EQ(edit.result, S_OK);
            EXPECT_EQ(edit.Name(), row.caption);
        }
    }
    // The check box is named by its own caption.
    HWND check = w.Control(ControlId::UseProtocolCheck);
    EXPECT_EQ(ClassOf(check), L"Button");
    EXPECT_EQ(TextOf(check), L"프로토콜 사용");
    // Every caption of the layout is a window now; the shapes alone are painted.
    for (int id : {111, 112, 121, 122, 124, 125, 127, 130, 141, 151, 154}) EXPECT_NE(w.Control(static_cast<ControlId>(id)), nullptr) << id;
    for (int id : {110, 120, 123, 140, 150, 153}) EXPECT_EQ(w.Control(static_cast<ControlId>(id)), nullptr) << id;
}

// The tool buttons' own objects: a push button named by its caption, its state as
// it stands, and a default action that clicks it the way a mouse click does.
// Counts the state-change events raised on one window's client object.
class StateChangeHook {
public:
    explicit StateChangeHook(HWND watched) {
        watched_ = watched;
        count_ = 0;
        hook_ = SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE, nullptr, &Seen,
                                GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    }
    ~StateChangeHook() {
        if (hook_) UnhookWinEvent(hook_);
    }
    StateChangeHook(const StateChangeHook&) = delete;
    StateChangeHook& operator=(const StateChangeHook&) = delete;
    bool hooked() const { return hook_ != nullptr; }
    int count() const { return count_; }

private:
    static void CALLBACK Seen(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
        if (hwnd == watched_ && object == OBJID_CLIENT && child == CHILDID_SELF) ++count_;
    }
    static inline HWND watched_ = nullptr;
    static inline int count_ = 0;
    HWINEVENTHOOK hook_ = nullptr;
};

TEST(ToolButtonAccessibility, PushButtonWithItsCaptionStateAndDefaultAction) {
    ComApartment com;
    Workshop w;
    ASSERT_TRUE(w.created);
    struct Row {
        ControlId button;
        const wchar_t* caption;
        const wchar_t* keys;  // what the command table gives it
    };
    constexpr Row kRows[] = {
        {ControlId::AppSendButton, L"보내기   (F8)", L"F8"},
        {ControlId::AppClearButton, L"비우기", L"Ctrl+E"},
        {ControlId::NetPreviewButton, L"보낼 메시지 미리보기 (with Protocol)", L"Ctrl+P"},
        {ControlId::NetSendButton, L"보내기   (F9)", L"F9"},
        {ControlId::ClipCopyButton, L"클립보드로 복사하기", L"Ctrl+B"},
        {ControlId::ClipClearButton, L"비우기", L"Ctrl+E"},
    };
    ShowWindow(w.form.Handle(), SW_SHOW);  // the first page's buttons show, the others' do not
    for (const Row& row : kRows) {
        SCOPED_TRACE(static_cast<int>(row.button));
        HWND hwnd = w.Control(row.button);
        ASSERT_NE(hwnd, nullptr);
        Accessible button(hwnd);
        ASSERT_EQ(button.result, S_OK);
        EXPECT_EQ(button.Role(), ROLE_SYSTEM_PUSHBUTTON);
        EXPECT_EQ(button.Name(), row.caption);
        EXPECT_EQ(button.DefaultAction(), L"누르기");
        BSTR keys = nullptr;
        EXPECT_EQ(button.object->get_accKeyboardShortcut(Self(), &keys), S_OK);
        EXPECT_EQ(Take(keys), row.keys);
        const bool showing = IsWindowVisible(hwnd);
        EXPECT_EQ(button.State(), showing ? 0 : STATE_SYSTEM_INVISIBLE) << "neither focusable, pressed nor unavailable";
        long count = -1;
        EXPECT_EQ(button.object->get_accChildCount(&count), S_OK);
        EXPECT_EQ(count, 0);
        RECT rc;
        GetWindowRect(hwnd, &rc);
        long x = 0, y = 0, width = 0, height = 0;
        EXPECT_EQ(button.object->accLocation(&x, &y, &width, &height, Self()), S_OK);
        EXPECT_TRUE(x == rc.left && y == rc.top && width == rc.right - rc.left && height == rc.bottom - rc.top);
        VARIANT hit{};
        EXPECT_EQ(button.object->accHitTest(rc.left + 1, rc.top + 1, &hit), S_OK);
        EXPECT_TRUE(hit.vt == VT_I4 && hit.lVal == CHILDID_SELF);
        EXPECT_EQ(button.object->accHitTest(rc.right, rc.bottom, &hit), S_FALSE);
        EXPECT_EQ(hit.vt, VT_EMPTY);
        VARIANT first{};
        EXPECT_EQ(button.object->accNavigate(NAVDIR_FIRSTCHILD, Self(), &first), S_FALSE);
        EXPECT_EQ(first.vt, VT_EMPTY);
    }

    // Pressed while the mouse holds it down, unavailable while disabled; each
    // change raises a state-change event on the button's client object.
    HWND clear = w.Control(ControlId::AppClearButton);
    Accessible button(clear);
    ASSERT_EQ(button.result, S_OK);
    StateChangeHook changes(clear);
    ASSERT_TRUE(changes.hooked());
    SendMessageW(clear, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(button.State(), STATE_SYSTEM_PRESSED);
    EXPECT_TRUE(w.PumpUntil([&] { return changes.count() == 1; })) << "pressed: " << changes.count();
    ReleaseCapture();
    EXPECT_EQ(button.State(), 0);
    EXPECT_TRUE(w.PumpUntil([&] { return changes.count() == 2; })) << "released: " << changes.count();
    EnableWindow(clear, FALSE);
    EXPECT_EQ(button.State(), STATE_SYSTEM_UNAVAILABLE);
    EXPECT_TRUE(w.PumpUntil([&] { return changes.count() == 3; })) << "disabled: " << changes.count();

    // The default action runs the button's route: disabled, nothing; enabled, it
    // empties the text, and the focus stays in the text box.
    HWND text = w.Control(ControlId::AppText);
    SetWindowTextW(text, L"some text");
    SetFocus(text);
    ASSERT_EQ(GetFocus(), text);
    EXPECT_TRUE(FAILED(button.object->accDoDefaultAction(Self())));
    w.PumpPosted();
    EXPECT_EQ(TextOf(text), L"some text") << "a disabled button takes no click";
    EnableWindow(clear, TRUE);
    EXPECT_EQ(button.object->accDoDefaultAction(Self()), S_OK);
    EXPECT_TRUE(w.PumpUntil([&] { return TextOf(text).empty(); })) << "the default action empties the text";
    EXPECT_EQ(GetFocus(), text) << "the focus stays where it was";

    SetWindowTextW(w.Control(ControlId::ClipText), L"to the clipboard");
    Accessible copy(w.Control(ControlId::ClipCopyButton));
    ASSERT_EQ(copy.result, S_OK);
    EXPECT_EQ(copy.object->accDoDefaultAction(Self()), S_OK);
    EXPECT_TRUE(w.PumpUntil([&] { return !w.clipboard.placed.empty(); })) << "the default action copies";
    EXPECT_EQ(w.clipboard.placed, std::vector<std::u16string>{u"to the clipboard"});
    EXPECT_EQ(GetFocus(), text);
}

// A client may hold the object after the window is gone: it then answers that it
// is no longer connected, and nothing calls into the freed button.
TEST(ToolButtonAccessibility, AnObjectHeldAfterItsButtonIsGoneAnswersNotConnected) {
    ComApartment com;
    Workshop w;
    ASSERT_TRUE(w.created);
    Accessible button(w.Control(ControlId::AppSendButton));
    ASSERT_EQ(button.result, S_OK);
    ASSERT_EQ(button.Role(), ROLE_SYSTEM_PUSHBUTTON);
    w.form.Destroy();
    BSTR name = nullptr;
    EXPECT_EQ(button.object->get_accName(Self(), &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(name, nullptr);
    VARIANT state{};
    EXPECT_EQ(button.object->get_accState(Self(), &state), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(button.object->accDoDefaultAction(Self()), CO_E_OBJNOTCONNECTED);
    long x, y, width, height;
    EXPECT_EQ(button.object->accLocation(&x, &y, &width, &height, Self()), CO_E_OBJNOTCONNECTED);
}

// Keys as the event loop hands them over, to the window with the focus.
bool Press(WORD key, bool shift = false, bool ctrl = false) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
    const MSG msg{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
    const bool used = lumvox::win::Window::PreviewKey(msg);
    state[VK_SHIFT] = state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    return used;
}

// The caption windows are no tab stops: Tab still goes round each page's cycle as
// designed, from the page's text box, and Shift+Tab back.
TEST(TabOrder, EachPageCycleStaysAsDesignedWithTheCaptionWindows) {
    Workshop w;
    ASSERT_TRUE(w.created);
    ShowWindow(w.form.Handle(), SW_SHOW);
    struct Page {
        ControlId text;
        std::vector<int> tab;  // the focus after each Tab, round to the start
    };
    const Page kPages[] = {
        {ControlId::AppText, {113, 152, 155, 100, 113}},
        {ControlId::NetText, {152, 155, 100, 126, 128, 131}},
        {ControlId::ClipText, {143, 152, 155, 100, 142}},
    };
    for (size_t page = 0; page < std::size(kPages); ++page) {
        SCOPED_TRACE(page);
        SetFocus(w.Control(kPages[page].text));
        ASSERT_EQ(GetFocus(), w.Control(kPages[page].text));
        std::vector<int> seen;
        for (size_t i = 0; i < kPages[page].tab.size(); ++i) {
            EXPECT_TRUE(Press(VK_TAB));
            seen.push_back(GetDlgCtrlID(GetFocus()));
        }
        EXPECT_EQ(seen, kPages[page].tab);
        const int before_last = kPages[page].tab[kPages[page].tab.size() - 2];
        EXPECT_TRUE(Press(VK_TAB, true));
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), before_last) << "Shift+Tab";
        SetFocus(w.Control(kPages[page].text));
        EXPECT_TRUE(Press(VK_TAB, false, true)) << "Ctrl+Tab turns to the next page";
    }
}

std::pair<DWORD, DWORD> SelectionOf(HWND edit) {
    DWORD from = 0, to = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return {from, to};
}

// A single-line field reached by Tab or Shift+Tab selects its whole text, so
// that digits typed into the port replace it; a multi-line box keeps its caret.
TEST(TabOrder, SingleLineFieldsSelectTheirWholeTextWhenReachedByTab) {
    Workshop w;
    ASSERT_TRUE(w.created);
    ShowWindow(w.form.Handle(), SW_SHOW);
    HWND host = w.Control(ControlId::NetHostEdit);
    HWND port = w.Control(ControlId::NetPortEdit);
    HWND text = w.Control(ControlId::NetText);
    SetWindowTextW(host, L"127.0.0.1");
    SetWindowTextW(port, L"7070");
    SetWindowTextW(text, L"hello");
    SetFocus(w.Control(ControlId::AppText));
    ASSERT_TRUE(Press(VK_TAB, false, true)) << "Ctrl+Tab to the second page";
    ASSERT_EQ(GetFocus(), text);
    struct Step {
        bool backwards;
        HWND lands;
        std::pair<DWORD, DWORD> selection;
    };
    const Step kSteps[] = {
        {true, port, {0, 4}},    // Shift+Tab from the message
        {true, host, {0, 9}},
        {false, port, {0, 4}},   // Tab
        {false, text, {2, 2}},   // the multi-line message keeps its caret
    };
    for (const Step& step : kSteps) {
        for (HWND edit : {host, port, text}) SendMessageW(edit, EM_SETSEL, 2, 2);
        EXPECT_TRUE(Press(VK_TAB, step.backwards));
        ASSERT_EQ(GetFocus(), step.lands);
        EXPECT_EQ(SelectionOf(step.lands), step.selection) << GetDlgCtrlID(step.lands);
    }
}

// Closes the message boxes of this thread soon after they open, keeping their texts.
class BoxCloser {
public:
    BoxCloser() { timer_ = SetTimer(nullptr, 0, 50, &Close); }
    ~BoxCloser() { KillTimer(nullptr, timer_); }
    static inline std::vector<std::wstring> texts;

private:
    static void CALLBACK Close(HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND hwnd, LPARAM) -> BOOL {
                if (ClassOf(hwnd) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
                std::wstring text;
                EnumChildWindows(
                    hwnd,
                    [](HWND child, LPARAM lp) -> BOOL {
                        if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 && GetWindowTextLengthW(child) > 0)
                            *reinterpret_cast<std::wstring*>(lp) = TextOf(child);
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&text));
                texts.push_back(text);
                SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
                return TRUE;
            },
            0);
    }
    UINT_PTR timer_ = 0;
};

std::wstring StatusPart(HWND status, int part) {
    const auto length = LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, part, 0));
    std::wstring text(length + 1u, L'\0');
    SendMessageW(status, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

// Enter in the command list reached by Tab (the focus rectangle on an entry,
// none selected) inserts that entry and selects it, and says so; a double click
// below the entries before any selection is still the error it always was.
TEST(CommandList, EnterWithNothingSelectedInsertsTheEntryUnderTheFocusRectangle) {
    Workshop w;
    ASSERT_TRUE(w.created);
    ShowWindow(w.form.Handle(), SW_SHOW);
    HWND list = w.Control(ControlId::CommandList);
    HWND text = w.Control(ControlId::AppText);
    for (int entry : {0, 3}) {
        SCOPED_TRACE(entry);
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SendMessageW(list, LB_SETCARETINDEX, entry, FALSE);
        SetFocus(list);
        ASSERT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
        ASSERT_EQ(SendMessageW(list, LB_GETCARETINDEX, 0, 0), entry);
        EXPECT_TRUE(Press(VK_RETURN));
        const std::u16string want = lumvox::core::WrapCommandEnvelope(lumvox::core::kCommandNames[entry]);
        EXPECT_EQ(TextOf(text), std::wstring(want.begin(), want.end()));
        EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), entry) << "the entry is selected";
        EXPECT_EQ(StatusPart(w.Control(ControlId::StatusLine), 1).rfind(L"첫 페이지 텍스트를 바꿨습니다: 명령어 ", 0), 0u);
    }

    // The same entry again: the same change, said as a new text.
    HWND status = w.Control(ControlId::StatusLine);
    const std::wstring first = StatusPart(status, 1);
    EXPECT_TRUE(Press(VK_RETURN));
    EXPECT_EQ(StatusPart(status, 1), first + L" (다시)");
    EXPECT_TRUE(Press(VK_RETURN));
    EXPECT_EQ(StatusPart(status, 1), first);

    SetWindowTextW(text, L"stays");
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    BoxCloser boxes;
    BoxCloser::texts.clear();
    SendMessageW(w.form.Handle(), WM_COMMAND, MAKEWPARAM(static_cast<int>(ControlId::CommandList), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(BoxCloser::texts, std::vector<std::wstring>{L"List index out of bounds (-1)"});
    EXPECT_EQ(TextOf(text), L"stays");
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
}

// Wine cannot switch a high-contrast theme on (its SPI_SETHIGHCONTRAST fails), so the
// window is told the theme's colours through its query, as the system's would be.
std::optional<lumvox::ui::ThemeColours> g_theme;
std::optional<lumvox::ui::ThemeColours> TestTheme() { return g_theme; }

// The window's client area as WM_PRINTCLIENT draws it, read back pixel by pixel.
class Snapshot {
public:
    explicit Snapshot(HWND hwnd, UINT message = WM_PRINTCLIENT, HWND painted = nullptr) {
        RECT rc;
        GetClientRect(painted ? painted : hwnd, &rc);
        width_ = rc.right;
        height_ = rc.bottom;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        if (message == WM_PRINTCLIENT) SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT | PRF_ERASEBKGND);
        else SendMessageW(hwnd, message, reinterpret_cast<WPARAM>(dc_), reinterpret_cast<LPARAM>(painted));
    }
    ~Snapshot() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    // 0xRRGGBB
    uint32_t At(int x, int y) const {
        const COLORREF c = GetPixel(dc_, x, y);
        return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
    int Count(uint32_t rgb) const {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) n += At(x, y) == rgb;
        return n;
    }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_ = 0, height_ = 0;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// With the theme on, each caption is drawn in its pair of the theme's colours (the
// pair of what it stands on), and the shapes are filled from them; off, the look is
// the layout's own.
TEST(HighContrast, CaptionsAndShapesFollowTheThemeAndComeBackWhenItGoesOff) {
    Workshop w;
    ASSERT_TRUE(w.created);
    w.form.SetHighContrastQuery(&TestTheme);
    const auto system = [](int index) {
        const COLORREF c = GetSysColor(index);
        return static_cast<uint32_t>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    };
    const uint32_t face = system(COLOR_BTNFACE), text = system(COLOR_WINDOWTEXT);
    struct Row {
        ControlId label;
        uint32_t off_fill, off_text, on_fill, on_text;
    };
    constexpr lumvox::ui::ThemeColours kTheme{0x102030, 0xF0E0D0, 0x203040, 0xE0D0C0, 0x304050, 0xD0C0B0};
    const Row kRows[] = {
        {ControlId::AppIntroLabel, 0xFBF0B3, text, 0x102030, 0xF0E0D0},
        {ControlId::CommandListLabel, face, 0x2F7CA6, 0x203040, 0xE0D0C0},
        {ControlId::NetHostLabel, face, text, 0x203040, 0xE0D0C0},
        {ControlId::ClipIntroLabel, 0xE6E6E6, text, 0x102030, 0xF0E0D0},
        {ControlId::MarkupHeadingLabel, 0x808080, 0xFFFFFF, 0x304050, 0xD0C0B0},
    };
    for (bool on : {false, true, false}) {
        g_theme = on ? std::optional(kTheme) : std::nullopt;
        SendMessageW(w.form.Handle(), WM_SYSCOLORCHANGE, 0, 0);
        for (const Row& row : kRows) {
            SCOPED_TRACE(std::to_string(static_cast<int>(row.label)) + (on ? " on" : " off"));
            const Snapshot label(w.Control(row.label));
            ASSERT_GT(label.width(), 0);
            // The bottom right corner is clear of the text; the text is drawn in its colour.
            EXPECT_EQ(label.At(label.width() - 1, label.height() - 1), on ? row.on_fill : row.off_fill);
            EXPECT_GT(label.Count(on ? row.on_text : row.off_text), 0);
        }
        const Snapshot page(w.form.Handle(), lumvox::ui::kPaintPageMessage, w.Control(ControlId::AppPage));
        EXPECT_EQ(page.At(16 + 3, 8 + 3), on ? 0x102030u : 0xFBF0B3u) << "the first page's intro shape";
    }
    g_theme.reset();
}

}  // namespace
