// The main window while a network send waits on a loopback peer that never
// answers: the window keeps answering, input is held back, Escape cancels; and
// the status line's part for the send's state, with the events that a screen
// reader hears, seen by an out-of-context WinEvent hook.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "core/network_link.h"
#include "core/page_actions.h"
#include "core/send_log.h"
#include "http_test_server.h"
#include "page_fakes.h"
#include "ui/application_win.h"
#include "ui/layout.h"
#include "ui/main_window_win.h"

namespace {

using namespace std::chrono_literals;
using lumvox::core::test::RawReplyServer;
using lumvox::ui::ControlId;
using Then = RawReplyServer::Then;

// Bounds waits that only a broken window would run into; never a speed check.
constexpr auto kSafetyWait = 10s;

HWND FindControl(HWND root, ControlId id) {
    struct Search {
        int id;
        HWND found = nullptr;
    } search{static_cast<int>(id)};
    EnumChildWindows(
        root,
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            if (GetDlgCtrlID(hwnd) != s.id) return TRUE;
            s.found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring PartText(HWND status, int part) {
    const auto length = LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, part, 0));
    std::wstring text(length + 1u, L'\0');
    SendMessageW(status, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

std::wstring Wide(std::u16string_view text) { return {text.begin(), text.end()}; }

std::wstring Port(std::uint16_t port) { return std::to_wstring(port); }

// What an out-of-context WinEvent hook saw of the status bar's client object:
// the event, the child, and the child's text when the hook was called.
struct StatusEvent {
    DWORD event;
    LONG child;
    std::wstring text;
    friend bool operator==(const StatusEvent&, const StatusEvent&) = default;
};

// Event 0 marks a message box closed by the test.
constexpr DWORD kBoxClosed = 0;

std::ostream& operator<<(std::ostream& out, const StatusEvent& e) {
    const char* name = e.event == kBoxClosed                ? "box closed"
                       : e.event == EVENT_OBJECT_NAMECHANGE ? "name-change"
                                                            : "live-region";
    return out << name << " child " << e.child << " (" << e.text.size() << " units)";
}

class StatusEventHook {
public:
    explicit StatusEventHook(HWND status) {
        status_ = status;
        seen_.clear();
        hook_ = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, &Seen,
                                GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    }
    ~StatusEventHook() {
        if (hook_) UnhookWinEvent(hook_);
    }
    bool hooked() const { return hook_ != nullptr; }
    const std::vector<StatusEvent>& seen() const { return seen_; }
    static void Mark(StatusEvent e) { seen_.push_back(std::move(e)); }
    // The part's texts that were announced (each name change), in order.
    std::vector<std::wstring> Announced() const {
        std::vector<std::wstring> texts;
        for (const StatusEvent& e : seen_)
            if (e.event == EVENT_OBJECT_NAMECHANGE && e.child == 2) texts.push_back(e.text);
        return texts;
    }

private:
    static void CALLBACK Seen(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
        if (hwnd != status_ || object != OBJID_CLIENT) return;
        if (event != EVENT_OBJECT_NAMECHANGE && event != EVENT_OBJECT_LIVEREGIONCHANGED) return;
        seen_.push_back({event, child, child > 0 ? PartText(hwnd, child - 1) : TextOf(hwnd)});
    }
    static inline HWND status_ = nullptr;
    static inline std::vector<StatusEvent> seen_;
    HWINEVENTHOOK hook_ = nullptr;
};

// The main window as the program wires it, with the real network link and
// recording fakes for the other channels.
struct Workshop {
    Workshop() {
        lumvox::ui::MainWindow::InitCommonControls();
        created = application.Initialize() && form.Create(instance, application.Handle());
        form.SetPageActions(&actions);
        form.SetSendLog(&log);
    }
    ~Workshop() {
        KillTimer(nullptr, box_closer);
        form.SetPageActions(nullptr);
        form.Destroy();
    }
    // A box that a faulty window shows would hold this thread in the box's own
    // loop, which still runs timers: this one closes it after the safety wait,
    // so that the test fails instead of hanging.
    static void CALLBACK CloseBoxes(HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND hwnd, LPARAM) -> BOOL {
                wchar_t name[16] = {};
                GetClassNameW(hwnd, name, 16);
                if (std::wstring(name) == L"#32770") PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
                return TRUE;
            },
            0);
    }
    UINT_PTR box_closer = SetTimer(nullptr, 0, std::chrono::milliseconds(kSafetyWait).count(), &CloseBoxes);
    // For a test that lets a box show: closes it soon, marking in the hook's list
    // when it did, with the box's text.
    static void CALLBACK CloseBoxesSoon(HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND hwnd, LPARAM) -> BOOL {
                wchar_t name[16] = {};
                GetClassNameW(hwnd, name, 16);
                if (std::wstring(name) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
                std::wstring text;
                EnumChildWindows(
                    hwnd,
                    [](HWND child, LPARAM lp) -> BOOL {
                        wchar_t cls[16] = {};
                        GetClassNameW(child, cls, 16);
                        if (_wcsicmp(cls, L"Static") == 0 && GetWindowTextLengthW(child) > 0)
                            *reinterpret_cast<std::wstring*>(lp) = TextOf(child);
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&text));
                StatusEventHook::Mark({kBoxClosed, 0, text});
                SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
                return TRUE;
            },
            0);
    }
    HWND Control(ControlId id) const { return FindControl(form.Handle(), id); }

    // Runs the event loop as the program does until `done`, or the safety wait;
    // the end of the loop is noted in `quit`.
    bool PumpUntil(const std::function<bool()>& done) {
        const auto give_up = std::chrono::steady_clock::now() + kSafetyWait;
        while (!done()) {
            if (std::chrono::steady_clock::now() > give_up) return false;
            MSG msg;
            if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            } else if (msg.message == WM_QUIT) {
                quit = true;
            } else {
                lumvox::ui::Application::Deliver(msg);
            }
        }
        return true;
    }
    // Everything posted so far has been delivered.
    void PumpPosted() const {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) lumvox::ui::Application::Deliver(msg);
    }
    void PostKey(HWND to, WORD key) const { PostMessageW(to, WM_KEYDOWN, key, 0); }
    void StartNetworkSend(std::uint16_t port, const wchar_t* text) const {
        SetWindowTextW(Control(ControlId::NetHostEdit), L"127.0.0.1");
        SetWindowTextW(Control(ControlId::NetPortEdit), Port(port).c_str());
        SetWindowTextW(Control(ControlId::NetText), text);
        PostKey(Control(ControlId::NetText), VK_F9);
    }

    HINSTANCE instance = GetModuleHandleW(nullptr);
    lumvox::core::SendLog log;
    lumvox::ui::Application application{instance};
    lumvox::ui::MainWindow form;
    lumvox::core::testing::RecordingSpeechApp speech_app;
    lumvox::core::HttpNetworkLink network;  // the default limits: seconds on a silent peer
    lumvox::core::testing::RecordingClipboard clipboard;
    lumvox::core::testing::FakeFiles files;
    lumvox::core::PageActions actions{form, {speech_app, network, clipboard, files}, &log};
    bool created = false;
    bool quit = false;
};

TEST(NetworkSendWindow, AnswersAndHoldsInputBackWhileTheSendWaitsAndEscapeCancelsIt) {
    RawReplyServer silent("", Then::Hold);
    Workshop w;
    ASSERT_TRUE(w.created);
    int beeps = 0;
    w.form.SetHeldInputSignal([&beeps] { ++beeps; });
    HWND status = w.Control(ControlId::StatusLine);
    HWND text = w.Control(ControlId::NetText);
    SetWindowTextW(w.Control(ControlId::AppText), L"first page");
    StatusEventHook hook(status);
    ASSERT_TRUE(hook.hooked());

    w.StartNetworkSend(silent.port(), L"hi");
    ASSERT_TRUE(w.PumpUntil([&] { return w.actions.NetworkSendUnderWay(); }));
    ASSERT_FALSE(silent.Request().empty()) << "the request went out";
    const std::wstring sending = L"전송 중: 127.0.0.1:" + Port(silent.port()) + L" (Esc: 취소)";
    EXPECT_EQ(PartText(status, 1), sending);

    // Another thread's message is answered at once: the window's thread is free.
    auto answered = std::async(std::launch::async, [&] {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(w.form.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 100, &result) != 0;
    });
    ASSERT_TRUE(w.PumpUntil([&] { return answered.wait_for(0s) == std::future_status::ready; }));
    EXPECT_TRUE(answered.get()) << "a message sent to the window did not return within 100 ms";

    // Keys, clicks, a second F9 and a menu choice change nothing while it waits;
    // each key and click held back beeps and has the send's state said again,
    // its repeat, release, character and a modifier alone do not.
    PostMessageW(text, WM_KEYDOWN, 'X', 0);
    PostMessageW(text, WM_CHAR, 'X', 0);
    PostMessageW(text, WM_KEYDOWN, 'X', 1 << 30);  // the key held down: its repeat
    PostMessageW(text, WM_KEYUP, 'X', 0);
    PostMessageW(text, WM_KEYDOWN, VK_SHIFT, 0);
    HWND send_button = w.Control(ControlId::NetSendButton);
    PostMessageW(send_button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(send_button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    w.PostKey(text, VK_F9);
    PostMessageW(w.form.Handle(), WM_COMMAND, MAKEWPARAM(211, 0), 0);  // 예문 > 단순 문장
    w.PumpPosted();
    ASSERT_EQ(TextOf(text), L"hi");
    ASSERT_EQ(TextOf(w.Control(ControlId::AppText)), L"first page");
    ASSERT_TRUE(w.actions.NetworkSendUnderWay());
    ASSERT_EQ(w.log.total(), 0u);
    EXPECT_EQ(beeps, 3) << "X, the click and F9";

    w.PostKey(text, VK_ESCAPE);
    ASSERT_TRUE(w.PumpUntil([&] { return w.log.total() == 1; }));
    const lumvox::core::SendRecord& record = w.log.records().back();
    EXPECT_EQ(lumvox::core::CauseName(record.cause.code), "cancelled");
    EXPECT_EQ(record.request, silent.Request()) << "the request is recorded as it went out";
    EXPECT_FALSE(w.actions.NetworkSendUnderWay());
    EXPECT_TRUE(silent.WaitClientClosed()) << "the connection is closed";
    const std::wstring cancelled = Wide(lumvox::core::CauseTextKorean(record.cause)) + L" (1번째 전송)";
    EXPECT_EQ(PartText(status, 1), cancelled);
    EXPECT_EQ(PartText(status, 0), L"") << "the first part is the speech program's alone";

    // The send's two states, each announced on the part (child 2) with its text,
    // and the first said again for each input held back.
    w.PumpPosted();
    std::vector<StatusEvent> want;
    for (int said = 0; said < 1 + beeps; ++said) {
        want.push_back({EVENT_OBJECT_NAMECHANGE, 2, sending});
        want.push_back({EVENT_OBJECT_LIVEREGIONCHANGED, 2, sending});
    }
    want.push_back({EVENT_OBJECT_NAMECHANGE, 2, cancelled});
    want.push_back({EVENT_OBJECT_LIVEREGIONCHANGED, 2, cancelled});
    EXPECT_EQ(hook.seen(), want);

    // Input is taken again once the send has ended.
    PostMessageW(w.form.Handle(), WM_COMMAND, MAKEWPARAM(211, 0), 0);
    w.PumpPosted();
    EXPECT_NE(TextOf(w.Control(ControlId::AppText)), L"first page") << "the menu choice ran";
}

// Alt+F4 is not held back: the program ends as ever, and the send is stopped
// with the page actions, before the links it uses go.
TEST(NetworkSendWindow, AltF4DuringASendEndsTheProgramAndStopsTheSend) {
    RawReplyServer silent("", Then::Hold);
    {
        Workshop w;
        ASSERT_TRUE(w.created);
        w.StartNetworkSend(silent.port(), L"hi");
        ASSERT_TRUE(w.PumpUntil([&] { return w.actions.NetworkSendUnderWay(); }));
        ASSERT_FALSE(silent.Request().empty());
        PostMessageW(w.Control(ControlId::NetText), WM_SYSKEYDOWN, VK_F4, KF_ALTDOWN << 16);
        ASSERT_TRUE(w.PumpUntil([&] { return w.quit; }));
        EXPECT_TRUE(w.actions.NetworkSendUnderWay()) << "still waiting when the loop ends";
    }
    EXPECT_TRUE(silent.WaitClientClosed()) << "the connection is closed";
}

// Two deliveries of the same text are two different texts, each announced: a
// screen reader does not repeat a live text that did not change.
TEST(NetworkSendWindow, EachDeliveryIsSaidWithWhereItWentAndTwoInARowAreTwoTexts) {
    RawReplyServer first("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent");
    RawReplyServer second("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent");
    Workshop w;
    ASSERT_TRUE(w.created);
    HWND status = w.Control(ControlId::StatusLine);
    StatusEventHook hook(status);
    ASSERT_TRUE(hook.hooked());
    std::vector<std::wstring> ended;
    for (const RawReplyServer* peer : {&first, &second}) {
        const size_t before = w.log.total();
        w.StartNetworkSend(peer->port(), L"안녕");
        ASSERT_TRUE(w.PumpUntil([&] { return w.log.total() == before + 1; }));
        EXPECT_EQ(w.log.records().back().outcome, lumvox::core::SendOutcome::Delivered);
        ended.push_back(PartText(status, 1));
    }
    EXPECT_EQ(ended[0], L"전송됨: 네트워크 127.0.0.1:" + Port(first.port()) + L", 16자 (1번째 전송)");
    EXPECT_EQ(ended[1], L"전송됨: 네트워크 127.0.0.1:" + Port(second.port()) + L", 16자 (2번째 전송)");
    w.PumpPosted();
    const std::vector<std::wstring> want = {
        L"전송 중: 127.0.0.1:" + Port(first.port()) + L" (Esc: 취소)", ended[0],
        L"전송 중: 127.0.0.1:" + Port(second.port()) + L" (Esc: 취소)", ended[1],
    };
    EXPECT_EQ(hook.Announced(), want);
}

// A send that ends in a box: its cause, said as the box opens, is said again once
// the box is gone; two such sends are two texts.
TEST(NetworkSendWindow, ACauseHiddenByTheBoxIsSaidAgainAfterTheBoxIsClosed) {
    Workshop w;
    ASSERT_TRUE(w.created);
    HWND status = w.Control(ControlId::StatusLine);
    StatusEventHook hook(status);
    ASSERT_TRUE(hook.hooked());
    const UINT_PTR closer = SetTimer(nullptr, 0, 100, &Workshop::CloseBoxesSoon);
    const std::uint16_t closed = lumvox::core::test::ClosedPort();
    for (size_t send = 1; send <= 2; ++send) {
        w.StartNetworkSend(closed, L"hi");
        ASSERT_TRUE(w.PumpUntil([&] { return w.log.total() == send; }));
    }
    KillTimer(nullptr, closer);
    w.PumpPosted();
    const std::wstring cause = Wide(lumvox::core::CauseTextKorean(w.log.records().back().cause));
    const std::wstring sending = L"전송 중: 127.0.0.1:" + Port(closed) + L" (Esc: 취소)";
    const std::wstring box = L"인터넷이나 와이파이에 접속이 되어 있는지 확인해 보십시오!";
    std::vector<StatusEvent> want;
    for (const wchar_t* number : {L" (1번째 전송)", L" (2번째 전송)"}) {
        const std::wstring ended = cause + number;
        for (const std::wstring& said : {sending, ended}) {
            want.push_back({EVENT_OBJECT_NAMECHANGE, 2, said});
            want.push_back({EVENT_OBJECT_LIVEREGIONCHANGED, 2, said});
        }
        want.push_back({kBoxClosed, 0, box});
        want.push_back({EVENT_OBJECT_NAMECHANGE, 2, ended});
        want.push_back({EVENT_OBJECT_LIVEREGIONCHANGED, 2, ended});
    }
    EXPECT_EQ(hook.seen(), want);
}

// A copy that fails goes to the general error report: its cause, said before
// that box, is said again after it; an error box of another kind repeats nothing.
TEST(NetworkSendWindow, AClipboardFailureIsSaidAgainAfterTheErrorReport) {
    Workshop w;
    ASSERT_TRUE(w.created);
    HWND status = w.Control(ControlId::StatusLine);
    StatusEventHook hook(status);
    ASSERT_TRUE(hook.hooked());
    w.clipboard.failure = u"held";
    SetWindowTextW(w.Control(ControlId::ClipText), L"x");
    const UINT_PTR closer = SetTimer(nullptr, 0, 100, &Workshop::CloseBoxesSoon);
    HWND copy = w.Control(ControlId::ClipCopyButton);
    SendMessageW(copy, BM_CLICK, 0, 0);
    w.PumpPosted();
    ASSERT_EQ(w.log.total(), 1u);
    const std::wstring ended = Wide(lumvox::core::CauseTextKorean(w.log.records().back().cause)) + L" (1번째 전송)";
    // A double click on the command list with nothing selected: an error box that is no send's.
    SendMessageW(w.form.Handle(), WM_COMMAND, MAKEWPARAM(static_cast<int>(ControlId::CommandList), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(w.Control(ControlId::CommandList)));
    KillTimer(nullptr, closer);
    w.PumpPosted();
    const std::vector<StatusEvent> want = {
        {EVENT_OBJECT_NAMECHANGE, 2, ended}, {EVENT_OBJECT_LIVEREGIONCHANGED, 2, ended},
        {kBoxClosed, 0, L"held."},
        {EVENT_OBJECT_NAMECHANGE, 2, ended}, {EVENT_OBJECT_LIVEREGIONCHANGED, 2, ended},
        {kBoxClosed, 0, L"List index out of bounds (-1)"},
    };
    EXPECT_EQ(hook.seen(), want);
}

// While a send waits, the send buttons and their menu entries take nothing and
// say so; each button raises a state-change event as it goes and comes back.
TEST(NetworkSendWindow, TheSendButtonsAndTheirEntriesAreUnavailableWhileASendWaits) {
    RawReplyServer silent("", Then::Hold);
    Workshop w;
    ASSERT_TRUE(w.created);
    struct Send {
        ControlId button;
        UINT entry;
    };
    constexpr Send kSends[] = {
        {ControlId::AppSendButton, 233}, {ControlId::NetSendButton, 234}, {ControlId::ClipCopyButton, 236}};
    std::vector<HWND> buttons;
    for (const Send& send : kSends) buttons.push_back(w.Control(send.button));
    static std::vector<HWND> changed;
    changed.clear();
    const HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE, nullptr,
        [](HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG, DWORD, DWORD) {
            if (object == OBJID_CLIENT) changed.push_back(hwnd);
        },
        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    HMENU menu = GetMenu(w.form.Handle());
    const auto available = [&](const Send& send) {
        return IsWindowEnabled(w.Control(send.button)) && !(GetMenuState(menu, send.entry, MF_BYCOMMAND) & MF_GRAYED);
    };
    for (const Send& send : kSends) EXPECT_TRUE(available(send)) << send.entry;

    w.StartNetworkSend(silent.port(), L"hi");
    ASSERT_TRUE(w.PumpUntil([&] { return w.actions.NetworkSendUnderWay(); }));
    w.PumpPosted();
    for (const Send& send : kSends) EXPECT_FALSE(available(send)) << send.entry;
    EXPECT_TRUE(IsWindowEnabled(w.Control(ControlId::NetPreviewButton))) << "only the sends";
    for (HWND button : buttons) EXPECT_EQ(std::count(changed.begin(), changed.end(), button), 1);

    w.PostKey(w.Control(ControlId::NetText), VK_ESCAPE);
    ASSERT_TRUE(w.PumpUntil([&] { return w.log.total() == 1; }));
    w.PumpPosted();
    for (const Send& send : kSends) EXPECT_TRUE(available(send)) << send.entry;
    for (HWND button : buttons) EXPECT_EQ(std::count(changed.begin(), changed.end(), button), 2);
    UnhookWinEvent(hook);
}

}  // namespace
