// The main window while a network send waits on a loopback peer that never
// answers: the window keeps answering, input is held back, Escape cancels; and
// the status line's part for the send's state, with the events that a screen
// reader hears, seen by an out-of-context WinEvent hook.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

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

std::ostream& operator<<(std::ostream& out, const StatusEvent& e) {
    return out << (e.event == EVENT_OBJECT_NAMECHANGE ? "name-change" : "live-region") << " child " << e.child
               << " (" << e.text.size() << " units)";
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

    // Keys, clicks, a second F9 and a menu choice change nothing while it waits.
    PostMessageW(text, WM_KEYDOWN, 'X', 0);
    PostMessageW(text, WM_CHAR, 'X', 0);
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

    w.PostKey(text, VK_ESCAPE);
    ASSERT_TRUE(w.PumpUntil([&] { return w.log.total() == 1; }));
    const lumvox::core::SendRecord& record = w.log.records().back();
    EXPECT_EQ(lumvox::core::CauseName(record.cause.code), "cancelled");
    EXPECT_EQ(record.request, silent.Request()) << "the request is recorded as it went out";
    EXPECT_FALSE(w.actions.NetworkSendUnderWay());
    EXPECT_TRUE(silent.WaitClientClosed()) << "the connection is closed";
    const std::wstring cancelled = Wide(lumvox::core::CauseTextKorean(record.cause));
    EXPECT_EQ(PartText(status, 1), cancelled);
    EXPECT_EQ(PartText(status, 0), L"") << "the first part is the speech program's alone";

    // The send's two states, each announced on the part (child 2) with its text.
    w.PumpPosted();
    const std::vector<StatusEvent> want = {
        {EVENT_OBJECT_NAMECHANGE, 2, sending},
        {EVENT_OBJECT_LIVEREGIONCHANGED, 2, sending},
        {EVENT_OBJECT_NAMECHANGE, 2, cancelled},
        {EVENT_OBJECT_LIVEREGIONCHANGED, 2, cancelled},
    };
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

TEST(NetworkSendWindow, ADeliveredSendSaysSoInTheStatusLineAndIsAnnounced) {
    RawReplyServer peer("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent");
    Workshop w;
    ASSERT_TRUE(w.created);
    HWND status = w.Control(ControlId::StatusLine);
    StatusEventHook hook(status);
    ASSERT_TRUE(hook.hooked());
    w.StartNetworkSend(peer.port(), L"안녕");
    ASSERT_TRUE(w.PumpUntil([&] { return w.log.total() == 1; }));
    EXPECT_EQ(w.log.records().back().outcome, lumvox::core::SendOutcome::Delivered);
    EXPECT_EQ(PartText(status, 1), L"전송됨");
    w.PumpPosted();
    ASSERT_EQ(hook.seen().size(), 4u);
    EXPECT_EQ(hook.seen()[2], (StatusEvent{EVENT_OBJECT_NAMECHANGE, 2, L"전송됨"}));
    EXPECT_EQ(hook.seen()[3], (StatusEvent{EVENT_OBJECT_LIVEREGIONCHANGED, 2, L"전송됨"}));
}

}  // namespace
