// Starts the real lumvox-standin.exe and sends it what the workshop sends on
// each channel; every check waits on the stand-in's log, never on a fixed time.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "core/utf.h"
#include "json_reader.h"
#include "platform/speech_app_link_win.h"
#include "window_texts.h"

namespace lumvox::standin {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

// Only a stand-in that has hung or died takes this long.
constexpr auto kDeadline = 60s;

std::string Utf8(std::u16string_view text) { return lumvox::core::ToUtf8Lossy(text); }

std::wstring Directory(std::wstring path) { return path.substr(0, path.find_last_of(L"\\/")); }

std::wstring StandInPath() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    // <build>/tests/standin/this.exe beside <build>/tools/standin/lumvox-standin.exe
    return Directory(Directory(Directory(self))) + L"\\tools\\standin\\lumvox-standin.exe";
}

std::wstring FreshLogPath() {
    static int counter = 0;
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"lumvox-standin-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + L".jsonl";
}

struct Winsock {
    Winsock() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { WSACleanup(); }
};

class Socket {
public:
    explicit Socket(SOCKET s = INVALID_SOCKET) : s_(s) {}
    ~Socket() {
        if (s_ != INVALID_SOCKET) closesocket(s_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET get() const { return s_; }

private:
    SOCKET s_;
};

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// One request on its own connection, the way the workshop makes it.
class HttpClient {
public:
    explicit HttpClient(int port) : socket_(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {
        DWORD limit_ms = std::chrono::duration_cast<std::chrono::milliseconds>(kDeadline).count();
        setsockopt(socket_.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit_ms), sizeof limit_ms);
        sockaddr_in address = Loopback(port);
        connected_ = connect(socket_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    bool connected() const { return connected_; }
    void Send(std::string_view bytes) {
        while (!bytes.empty()) {
            int n = send(socket_.get(), bytes.data(), static_cast<int>(std::min<size_t>(bytes.size(), 1 << 20)), 0);
            if (n <= 0) return;
            bytes.remove_prefix(n);
        }
    }
    void EndSending() { shutdown(socket_.get(), SD_SEND); }
    // Everything up to the stand-in's orderly close; "<recv error>" when the
    // connection breaks or the stand-in keeps it open past the deadline.
    std::string ReadToClose() {
        std::string reply;
        char buffer[4096];
        for (;;) {
            int n = recv(socket_.get(), buffer, sizeof buffer, 0);
            if (n == 0) return reply;
            if (n < 0) return reply + "<recv error " + std::to_string(WSAGetLastError()) + ">";
            reply.append(buffer, n);
        }
    }

    // True once the stand-in has closed or reset the connection; never waits.
    bool PeerClosed() {
        u_long non_blocking = 1;
        ioctlsocket(socket_.get(), FIONBIO, &non_blocking);
        char byte;
        int n = recv(socket_.get(), &byte, 1, MSG_PEEK);
        int error = WSAGetLastError();
        u_long blocking = 0;
        ioctlsocket(socket_.get(), FIONBIO, &blocking);
        return n == 0 || (n < 0 && error != WSAEWOULDBLOCK);
    }

private:
    Socket socket_;
    bool connected_ = false;
};

std::string WorkshopRequest(std::string_view target, int port) {
    return "GET " + std::string(target) + " HTTP/1.1\r\n" +
           "Content-Type: application/x-www-form-urlencoded\r\n"
           "Host: 127.0.0.1:" + std::to_string(port) + "\r\n" +
           "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
           "\r\n";
}

constexpr std::string_view kSentReply =
    "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: 4\r\nConnection: close\r\n\r\nsent";

class StandIn {
public:
    explicit StandIn(std::vector<std::wstring> extra_args = {}) : log_path_(FreshLogPath()) {
        std::wstring command = L"\"" + StandInPath() + L"\" --log \"" + log_path_ + L"\"";
        bool has_port = false;
        for (const auto& arg : extra_args) {
            command += L" \"" + arg + L"\"";
            has_port = has_port || arg.starts_with(L"--port");
        }
        // A free port, so that tests never depend on 7070 being unused.
        if (!has_port) command += L" --port 0";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process_)) {
            ADD_FAILURE() << "cannot start the stand-in, error " << GetLastError();
            return;
        }
        CloseHandle(process_.hThread);
        ready_ = WaitFor([](const JsonObject& e) { return Member<std::string>(e, "event") == "ready"; }, "the ready event in the log");
        port_ = static_cast<int>(Member<int64_t>(ready_, "port").value_or(0));
    }

    ~StandIn() {
        if (!process_.hProcess) return;
        if (HWND window = Window()) PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the stand-in did not end after WM_CLOSE";
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, INFINITE);
        }
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        EXPECT_EQ(code, 0u) << "exit code of the stand-in";
        CloseHandle(process_.hProcess);
        DeleteFileW(log_path_.c_str());
    }

    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    int port() const { return port_; }
    const JsonObject& ready() const { return ready_; }

    // The stand-in's top-level window; the test's lock keeps other "Lumvox" windows away.
    HWND Window() const {
        struct Search {
            DWORD pid;
            HWND found;
        } search{process_.dwProcessId, nullptr};
        EnumWindows(
            [](HWND hwnd, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                DWORD pid = 0;
                GetWindowThreadProcessId(hwnd, &pid);
                if (pid != s->pid || GetParent(hwnd)) return TRUE;
                s->found = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND Child(const wchar_t* window_class) const {
        return FindWindowExW(Window(), nullptr, window_class, nullptr);
    }

    std::vector<JsonObject> Events() const {
        std::vector<JsonObject> events;
        HANDLE file = CreateFileW(log_path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return events;
        std::string bytes;
        char buffer[65536];
        DWORD n = 0;
        while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
        CloseHandle(file);
        // A line counts once its line end is written.
        for (size_t start = 0, end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
            auto event = ParseJsonObject(std::string_view(bytes).substr(start, end - start));
            EXPECT_TRUE(event) << "not a JSON object: " << bytes.substr(start, end - start);
            if (event) events.push_back(std::move(*event));
        }
        return events;
    }

    std::vector<JsonObject> Events(std::string_view kind) const {
        std::vector<JsonObject> chosen;
        for (auto& e : Events())
            if (Member<std::string>(e, "event") == kind) chosen.push_back(std::move(e));
        return chosen;
    }

    // Polls the log until an event satisfies `wanted`, or fails at the deadline.
    JsonObject WaitFor(const std::function<bool(const JsonObject&)>& wanted, std::string_view what) const {
        return WaitUntil([&]() -> std::optional<JsonObject> {
            for (auto& e : Events())
                if (wanted(e)) return e;
            return std::nullopt;
        }, what);
    }

    // The n-th (from 1) event of a kind.
    JsonObject WaitForNth(std::string_view kind, size_t n) const {
        return WaitUntil([&]() -> std::optional<JsonObject> {
            auto events = Events(kind);
            if (events.size() < n) return std::nullopt;
            return events[n - 1];
        }, std::string(kind) + " event #" + std::to_string(n) + " in the log");
    }

    template <class F>
    typename std::invoke_result_t<F>::value_type WaitUntil(F probe, std::string_view what) const {
        auto until = std::chrono::steady_clock::now() + kDeadline;
        for (;;) {
            if (auto found = probe()) return *found;
            if (process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) {
                ADD_FAILURE() << "the stand-in ended while waiting for " << what;
                return {};
            }
            if (std::chrono::steady_clock::now() > until) {
                ADD_FAILURE() << "no " << what << " within the deadline";
                return {};
            }
            std::this_thread::sleep_for(10ms);
        }
    }

private:
    std::wstring log_path_;
    PROCESS_INFORMATION process_{};
    JsonObject ready_;
    int port_ = 0;
};

// By message: GetWindowTextW does not ask a control of another process.
std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    return text;
}

TEST(StandInWindow, IsTheTopLevelLumvoxThatTheWorkshopProbeFinds) {
    {
        StandIn standin;
        HWND window = standin.Window();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(WindowText(window), L"Lumvox");
        EXPECT_EQ(FindWindowW(nullptr, L"Lumvox"), window);
        EXPECT_TRUE(lumvox::win::IsSpeechAppRunning());
        EXPECT_EQ(Member<std::string>(standin.ready(), "address"), "127.0.0.1");
        EXPECT_EQ(Member<bool>(standin.ready(), "listening"), true);
        EXPECT_GT(standin.port(), 0);
    }
    EXPECT_FALSE(lumvox::win::IsSpeechAppRunning()) << "the window goes with the stand-in";
}

// The stand-in starts with the focus on its first control, the reply modes; Tab,
// as its event loop receives it, goes round the controls that are tab stops: the
// reply modes, Clear, the event list, the detail. The list and the detail are
// named by the caption windows just before them.
TEST(StandInWindow, StartsOnItsFirstControlTabGoesRoundAndTheListsAreNamed) {
    StandIn standin;
    HWND window = standin.Window();
    ASSERT_NE(window, nullptr);
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    auto focus = [thread] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
    };
    HWND modes = standin.Child(L"ComboBox");
    HWND clear = standin.Child(L"Button");
    HWND events = standin.Child(WC_LISTVIEWW);
    HWND detail = standin.Child(L"Edit");
    ASSERT_TRUE(modes && clear && events && detail);
    auto focus_on = [&](HWND expected, std::string_view what) {
        return standin.WaitUntil([&]() -> std::optional<bool> {
            if (focus() != expected) return std::nullopt;
            return true;
        }, what);
    };
    ASSERT_TRUE(focus_on(modes, "the focus on the first control at the start"));
    for (HWND expected : {clear, events, detail, modes}) {
        PostMessageW(focus(), WM_KEYDOWN, VK_TAB, 0);
        ASSERT_TRUE(focus_on(expected, "the focus on the next control"));
    }
    using lumvox::standin::WindowTexts;
    const WindowTexts& texts = lumvox::standin::TextsIn(lumvox::standin::LanguageOf(GetUserDefaultUILanguage()));
    for (const auto& [control, caption] : {std::pair{events, texts.events_label}, std::pair{detail, texts.detail_label}}) {
        HWND before = GetWindow(control, GW_HWNDPREV);
        ASSERT_NE(before, nullptr);
        wchar_t cls[16] = {};
        GetClassNameW(before, cls, 16);
        EXPECT_EQ(_wcsicmp(cls, L"Static"), 0);
        std::u16string want;
        lumvox::core::AppendUtf8AsUtf16(caption, want);
        EXPECT_EQ(WindowText(before), std::wstring(want.begin(), want.end()));
    }
}

TEST(CopyData, LogsAndShowsIdentifierByteCountTextAndHex) {
    struct Case {
        std::u16string_view text;
        ULONG_PTR dw_data;
        DWORD cb_data;  // usually 2 × length; one odd count
        std::string_view shown_text, hex;
    };
    const Case kCases[] = {
        {u"안녕하세요", 1024, 10, "안녕하세요", "48 C5 55 B1 58 D5 38 C1 94 C6"},
        {u"<lumvox>a\r\nb</lumvox>", 1024, 42, "<lumvox>a\r\nb</lumvox>",
         "3C 00 6C 00 75 00 6D 00 76 00 6F 00 78 00 3E 00 61 00 0D 00 0A 00 62 00 3C 00 2F 00 6C 00 75 00 6D 00 76 "
         "00 6F 00 78 00 3E 00"},
        {u"\U0001F600", 1024, 4, "\U0001F600", "3D D8 00 DE"},
        {u"", 1024, 0, "", ""},
        {u"x", 7, 2, "x", "78 00"},
        {u"ab", 1024, 3, "a", "61 00 62"},
    };
    StandIn standin;
    HWND window = standin.Window();
    ASSERT_NE(window, nullptr);
    HWND detail = standin.Child(L"Edit");
    ASSERT_NE(detail, nullptr);
    size_t n = 0;
    for (const auto& c : kCases) {
        std::u16string buffer(c.text);  // NUL-terminated like the workshop's, the NUL not counted
        COPYDATASTRUCT data{c.dw_data, c.cb_data, buffer.data()};
        EXPECT_EQ(SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), TRUE);
        JsonObject event = standin.WaitForNth("copydata", ++n);
        SCOPED_TRACE(Utf8(c.text));
        EXPECT_EQ(Member<int64_t>(event, "dwData"), static_cast<int64_t>(c.dw_data));
        EXPECT_EQ(Member<int64_t>(event, "cbData"), c.cb_data);
        EXPECT_EQ(Member<int64_t>(event, "wParam"), 0);
        EXPECT_EQ(Member<std::string>(event, "text"), c.shown_text);
        EXPECT_EQ(Member<std::string>(event, "hex"), c.hex);
        // The window shows the newest message in full.
        std::wstring wanted_hex(c.hex.begin(), c.hex.end());
        standin.WaitUntil([&]() -> std::optional<bool> {
            std::wstring shown = WindowText(detail);
            if (shown.find(L"dwData " + std::to_wstring(c.dw_data) + L", cbData " + std::to_wstring(c.cb_data)) ==
                    std::wstring::npos ||
                shown.find(wanted_hex) == std::wstring::npos)
                return std::nullopt;
            return true;
        }, "the message in the window's detail");
    }
}

TEST(CopyData, TheWindowListsTheNewest1000EventsAndTheLogEveryOne) {
    constexpr size_t kSent = 1005;
    StandIn standin;
    HWND window = standin.Window();
    HWND list = standin.Child(L"SysListView32");
    HWND detail = standin.Child(L"Edit");
    ASSERT_TRUE(window && list && detail);
    for (size_t i = 1; i <= kSent; ++i) {
        std::string digits = std::to_string(i);
        std::u16string text = u"n" + std::u16string(digits.begin(), digits.end());
        COPYDATASTRUCT data{1024, static_cast<DWORD>(text.size() * 2), text.data()};
        SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }
    standin.WaitForNth("copydata", kSent);
    EXPECT_EQ(standin.Events("copydata").size(), kSent);
    // The newest is selected and its detail shown: the row found its detail after older ones went.
    standin.WaitUntil([&]() -> std::optional<bool> {
        if (WindowText(detail).find(L"Copy-data message") == std::wstring::npos ||
            WindowText(detail).find(L"6E 00 31 00 30 00 30 00 35 00") == std::wstring::npos)
            return std::nullopt;
        return true;
    }, "the detail of n1005, the last one sent");
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1000);
}

TEST(CopyData, AWorkshopSendOf40000UnitsArrivesWhole) {
    std::u16string text;
    while (text.size() < 40000) text += u"가나다 abc\r\n";
    text.resize(40000);
    StandIn standin;
    lumvox::win::SendToSpeechApp(text);
    JsonObject event = standin.WaitForNth("copydata", 1);
    EXPECT_EQ(Member<int64_t>(event, "dwData"), 1024);
    EXPECT_EQ(Member<int64_t>(event, "cbData"), 80000);
    EXPECT_EQ(Member<int64_t>(event, "units"), 40000);
    EXPECT_TRUE(Member<std::string>(event, "text") == Utf8(text)) << "the text differs";
    EXPECT_EQ(Member<std::string>(event, "hex").value_or("").size(), 80000u * 3 - 1);
}

TEST(Http, AnswersSentAndLogsTheWorkshopsRequestAsItCame) {
    Winsock winsock;
    StandIn standin;
    const std::string target = "/lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox";
    const std::string request = WorkshopRequest(target, standin.port());
    HttpClient client(standin.port());
    ASSERT_TRUE(client.connected());
    client.Send(request);
    EXPECT_EQ(client.ReadToClose(), kSentReply);

    JsonObject event = standin.WaitForNth("http", 1);
    EXPECT_EQ(Member<std::string>(event, "requestLine"), "GET " + target + " HTTP/1.1");
    EXPECT_EQ(Member<Strings>(event, "headers"),
              (Strings{"Content-Type: application/x-www-form-urlencoded",
                       "Host: 127.0.0.1:" + std::to_string(standin.port()),
                       "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8",
                       "User-Agent: Mozilla/3.0 (compatible; Indy Library)"}));
    EXPECT_EQ(Member<std::string>(event, "raw"), request);
    EXPECT_EQ(Member<std::string>(event, "text"), "안녕 하세요");
    EXPECT_EQ(Member<bool>(event, "envelopeClosed"), true);
    EXPECT_EQ(Member<std::string>(event, "reply"), "sent");
    EXPECT_EQ(Member<std::string>(event, "peer").value_or("").rfind("127.0.0.1:", 0), 0u);
}

TEST(Http, ARequestSentInPiecesIsReadWhole) {
    Winsock winsock;
    StandIn standin;
    const std::string request = WorkshopRequest("/lumvox=%3Cpitch%20middle=%225%22%3E%EC%A2%8B=lumvox", standin.port());
    HttpClient client(standin.port());
    ASSERT_TRUE(client.connected());
    // Cut inside a percent escape and inside the blank line that ends the head.
    const size_t cuts[] = {0, 20, request.size() - 1, request.size()};
    for (size_t i = 0; i + 1 < std::size(cuts); ++i) client.Send(request.substr(cuts[i], cuts[i + 1] - cuts[i]));
    EXPECT_EQ(client.ReadToClose(), kSentReply);
    JsonObject event = standin.WaitForNth("http", 1);
    EXPECT_EQ(Member<std::string>(event, "raw"), request);
    EXPECT_EQ(Member<std::string>(event, "text"), "<pitch middle=\"5\">좋");
}

TEST(Http, EachReplyModeGivesItsReply) {
    struct Case {
        const wchar_t* mode;
        std::string_view status_line;  // empty: no answer at all
        bool body_has_sent;
    };
    constexpr Case kCases[] = {
        {L"sent", "HTTP/1.1 200 OK", true},
        {L"nosent", "HTTP/1.1 200 OK", false},
        {L"500", "HTTP/1.1 500 Internal Server Error", true},
        {L"silent", "", false},
    };
    Winsock winsock;
    for (const auto& c : kCases) {
        SCOPED_TRACE(Utf8(std::u16string(c.mode, c.mode + wcslen(c.mode))));
        StandIn standin({L"--reply", c.mode});
        HttpClient client(standin.port());
        ASSERT_TRUE(client.connected());
        client.Send(WorkshopRequest("/lumvox=hi=lumvox", standin.port()));
        JsonObject event = standin.WaitForNth("http", 1);
        EXPECT_EQ(Member<std::string>(event, "text"), "hi");
        // A silent stand-in holds the connection until the client gives up;
        // giving up here shows that no byte came before.
        if (c.status_line.empty()) client.EndSending();
        std::string reply = client.ReadToClose();
        EXPECT_EQ(reply.substr(0, reply.find("\r\n")), c.status_line);
        std::string body = reply.substr(std::min(reply.size(), reply.find("\r\n\r\n") + 4));
        EXPECT_EQ(body.find("sent") != std::string::npos, c.body_has_sent) << reply;
    }
}

TEST(Http, TheWindowSwitchesTheReplyMode) {
    struct Step {
        int index;  // in the window's list of modes
        std::string_view mode, status_line;
    };
    constexpr Step kSteps[] = {
        {2, "500", "HTTP/1.1 500 Internal Server Error"},
        {1, "nosent", "HTTP/1.1 200 OK"},
        {0, "sent", "HTTP/1.1 200 OK"},
    };
    Winsock winsock;
    StandIn standin;
    HWND window = standin.Window();
    HWND modes = standin.Child(L"ComboBox");
    ASSERT_TRUE(window && modes);
    size_t n = 0;
    for (const auto& step : kSteps) {
        SendMessageW(modes, CB_SETCURSEL, step.index, 0);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(modes), CBN_SELCHANGE), reinterpret_cast<LPARAM>(modes));
        EXPECT_EQ(Member<std::string>(standin.WaitForNth("reply", ++n), "reply"), step.mode);
        HttpClient client(standin.port());
        client.Send(WorkshopRequest("/lumvox=x=lumvox", standin.port()));
        std::string reply = client.ReadToClose();
        EXPECT_EQ(reply.substr(0, reply.find("\r\n")), step.status_line);
        EXPECT_EQ(reply.ends_with("\r\n\r\nsent"), step.mode != "nosent") << reply;
        EXPECT_EQ(Member<std::string>(standin.WaitForNth("http", n), "reply"), step.mode);
    }
}

TEST(Http, APortInUseIsReportedAndTheOtherChannelsStillWork) {
    Winsock winsock;
    Socket taken(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address = Loopback(0);
    ASSERT_EQ(bind(taken.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(taken.get(), 1), 0);
    int length = sizeof address;
    getsockname(taken.get(), reinterpret_cast<sockaddr*>(&address), &length);
    int port = ntohs(address.sin_port);

    StandIn standin({L"--port", std::to_wstring(port)});
    EXPECT_EQ(Member<bool>(standin.ready(), "listening"), false);
    JsonObject error = standin.WaitForNth("error", 1);
    EXPECT_EQ(Member<int64_t>(error, "port"), port);
    EXPECT_FALSE(Member<std::string>(error, "text").value_or("").empty());

    std::u16string text = u"still here";
    COPYDATASTRUCT data{1024, static_cast<DWORD>(text.size() * 2), text.data()};
    SendMessageW(standin.Window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(Member<std::string>(standin.WaitForNth("copydata", 1), "text"), "still here");
}

// A window of the test's own that places clipboard items, as the workshop does.
class ClipboardWriter {
public:
    ClipboardWriter()
        : hwnd_(CreateWindowExW(0, L"STATIC", L"clipboard writer", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr)) {}
    ~ClipboardWriter() { DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }

    bool Place(UINT format, std::string_view bytes) {
        if (!Open()) return false;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes.size());
        if (void* p = GlobalLock(block)) {
            memcpy(p, bytes.data(), bytes.size());
            GlobalUnlock(block);
        }
        EmptyClipboard();
        bool placed = SetClipboardData(format, block) != nullptr;
        if (!placed) GlobalFree(block);
        CloseClipboard();
        return placed;
    }

    bool PlaceText(std::u16string_view text) {
        std::u16string with_nul(text);
        return Place(CF_UNICODETEXT, std::string_view(reinterpret_cast<const char*>(with_nul.c_str()),
                                                      (with_nul.size() + 1) * sizeof(char16_t)));
    }

    std::u16string Text() const {
        std::u16string text;
        if (!Open()) return u"<cannot open>";
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const char16_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }

private:
    // The stand-in holds the clipboard open for a moment while it reads an
    // update; a writer tries again, as any program sharing it must.
    bool Open() const {
        auto until = std::chrono::steady_clock::now() + kDeadline;
        while (!OpenClipboard(hwnd_)) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    HWND hwnd_;
};

TEST(Clipboard, LogsEachNewTextAndLeavesTheClipboardAsItWas) {
    const std::u16string_view kTexts[] = {u"클립보드 TTS", u"<lumvox>  a\r\n</lumvox>", u"", u"클립보드 TTS"};
    StandIn standin;
    ClipboardWriter writer;
    ASSERT_NE(writer.hwnd(), nullptr);
    UINT other_format = RegisterClipboardFormatW(L"LumvoxTestBytes");
    size_t n = 0;
    for (auto text : kTexts) {
        // An item without text is no text to read: the next logged event is the text.
        ASSERT_TRUE(writer.Place(other_format, "not text"));
        ASSERT_TRUE(writer.PlaceText(text));
        JsonObject event = standin.WaitForNth("clipboard", ++n);
        EXPECT_EQ(Member<std::string>(event, "text"), Utf8(text));
        EXPECT_EQ(Member<int64_t>(event, "units"), static_cast<int64_t>(text.size()));
        // Reading took nothing away and did not take the clipboard over.
        EXPECT_EQ(GetClipboardOwner(), writer.hwnd());
        EXPECT_EQ(writer.Text(), text);
    }
    EXPECT_EQ(standin.Events("clipboard").size(), std::size(kTexts));
}

std::string StatusLine(const std::string& reply) { return reply.substr(0, reply.find("\r\n")); }

TEST(ServerLimits, SlowAndHugeClientsDoNotHoldUpAGetAndTheIdleLimitDropsTheSlowOnes) {
    constexpr size_t kDribblers = 50;
    constexpr size_t kHugeLine = 10 << 20;
    Winsock winsock;
    StandIn standin({L"--idle-limit", L"6"});
    const int port = standin.port();
    const std::string slow = WorkshopRequest("/lumvox=slow=lumvox", port);

    std::vector<std::unique_ptr<HttpClient>> dribblers;
    for (size_t i = 0; i < kDribblers; ++i) {
        dribblers.push_back(std::make_unique<HttpClient>(port));
        ASSERT_TRUE(dribblers.back()->connected());
        dribblers.back()->Send(slow.substr(0, 1));
    }
    // Sent from a thread of its own: the send ends once the stand-in has refused
    // the line and read the rest away.
    HttpClient huge(port);
    ASSERT_TRUE(huge.connected());
    std::thread huge_sender([&] {
        huge.Send("GET /" + std::string(kHugeLine, 'a'));
        huge.EndSending();
    });

    HttpClient ordinary(port);
    ASSERT_TRUE(ordinary.connected());
    ordinary.Send(WorkshopRequest("/lumvox=ordinary=lumvox", port));
    EXPECT_EQ(ordinary.ReadToClose(), kSentReply);
    // Answered while every slow client still held its connection open.
    size_t held = 0;
    for (auto& d : dribblers) held += !d->PeerClosed();
    EXPECT_EQ(held, kDribblers) << "slow clients closed before the ordinary GET was answered";
    EXPECT_EQ(Member<std::string>(standin.WaitForNth("http", 1), "text"), "ordinary");

    huge_sender.join();
    EXPECT_EQ(StatusLine(huge.ReadToClose()), "HTTP/1.1 431 Request Header Fields Too Large");

    // One byte a second from each slow client, never the whole head, until the
    // stand-in has closed them all.
    size_t next = 1;
    standin.WaitUntil([&]() -> std::optional<bool> {
        size_t open = 0;
        for (auto& d : dribblers) open += !d->PeerClosed();
        if (open == 0) return true;
        for (auto& d : dribblers) d->Send(slow.substr(next, 1));
        next = std::min(next + 1, slow.size() - 5);
        std::this_thread::sleep_for(1s);
        return std::nullopt;
    }, "the idle limit closing every slow client");

    std::vector<JsonObject> drops = standin.WaitUntil([&]() -> std::optional<std::vector<JsonObject>> {
        auto events = standin.Events("dropped");
        if (events.size() < kDribblers) return std::nullopt;
        return events;
    }, "a dropped line for every slow client");
    std::set<std::string> peers;
    for (const auto& drop : drops) {
        EXPECT_EQ(Member<std::string>(drop, "reason"), "idle");
        EXPECT_EQ(Member<std::nullptr_t>(drop, "status"), nullptr);
        EXPECT_EQ(Member<std::string>(drop, "detail"), "no whole request head within 6 s");
        std::string start = Member<std::string>(drop, "start").value_or("");
        EXPECT_FALSE(start.empty());
        EXPECT_EQ(slow.rfind(start, 0), 0u) << start;
        EXPECT_EQ(Member<int64_t>(drop, "received"), static_cast<int64_t>(start.size()));
        peers.insert(Member<std::string>(drop, "peer").value_or(""));
    }
    EXPECT_EQ(peers.size(), kDribblers);

    auto refused = standin.Events("refused");
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(Member<std::string>(refused[0], "reason"), "too-large");
    EXPECT_EQ(Member<int64_t>(refused[0], "status"), 431);
    EXPECT_GT(Member<int64_t>(refused[0], "received").value_or(0), 4 << 20);
    EXPECT_EQ(Member<std::string>(refused[0], "start"), "GET /" + std::string(251, 'a'));
    EXPECT_EQ(standin.Events("http").size(), 1u);
}

TEST(ServerLimits, AConnectionBeyondTheCapIsClosedUnansweredAndLoggedUntilAPlaceIsFree) {
    Winsock winsock;
    StandIn standin({L"--max-connections", L"2", L"--idle-limit", L"2"});
    const int port = standin.port();
    // Accepted in the order they connected: the first two take the places.
    HttpClient first(port), second(port);
    ASSERT_TRUE(first.connected() && second.connected());
    first.Send("G");
    second.Send("G");
    HttpClient third(port);
    ASSERT_TRUE(third.connected());
    third.Send(WorkshopRequest("/lumvox=third=lumvox", port));
    EXPECT_EQ(third.ReadToClose().find("HTTP/"), std::string::npos) << "no answer beyond the cap";
    JsonObject refused = standin.WaitForNth("refused", 1);
    EXPECT_EQ(Member<std::string>(refused, "reason"), "connections");
    EXPECT_EQ(Member<std::string>(refused, "detail"), "2 connections were already open");
    EXPECT_EQ(Member<int64_t>(refused, "received"), 0);
    EXPECT_EQ(Member<std::string>(refused, "peer").value_or("").rfind("127.0.0.1:", 0), 0u);

    // Once the idle limit has ended the first two, a client is answered again.
    standin.WaitForNth("dropped", 2);
    HttpClient fourth(port);
    fourth.Send(WorkshopRequest("/lumvox=fourth=lumvox", port));
    EXPECT_EQ(fourth.ReadToClose(), kSentReply);
    EXPECT_EQ(Member<std::string>(standin.WaitForNth("http", 1), "text"), "fourth");
}

TEST(ServerLimits, MalformedAndCutShortRequestsAreAnsweredOrDroppedAndLogged) {
    struct Case {
        std::string_view bytes;
        bool end_sending;  // the client closes its side after the bytes
        std::string_view status_line;  // empty: closed without an answer
        std::string_view event, reason;
    };
    constexpr Case kCases[] = {
        {"GARBAGE\r\n\r\n", false, "HTTP/1.1 400 Bad Request", "refused", "malformed"},
        {"GET /lumvox=x=lumvox HTTP/1.1\r\nno colon\r\n\r\n", false, "HTTP/1.1 400 Bad Request", "refused",
         "malformed"},
        {"GET /lumvox=x=lumvox\r\n\r\n", false, "HTTP/1.1 400 Bad Request", "refused", "malformed"},
        {"GET /lumvox=cut", true, "", "dropped", "closed"},
    };
    Winsock winsock;
    StandIn standin;
    std::map<std::string_view, size_t> seen;
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.bytes)));
        HttpClient client(standin.port());
        ASSERT_TRUE(client.connected());
        client.Send(c.bytes);
        if (c.end_sending) client.EndSending();
        EXPECT_EQ(StatusLine(client.ReadToClose()), c.status_line);
        JsonObject event = standin.WaitForNth(c.event, ++seen[c.event]);
        EXPECT_EQ(Member<std::string>(event, "reason"), c.reason);
        EXPECT_EQ(Member<std::string>(event, "start"), c.bytes);
        EXPECT_EQ(Member<int64_t>(event, "received"), static_cast<int64_t>(c.bytes.size()));
    }
    EXPECT_EQ(standin.Events("http").size(), 0u) << "a refused request is no arrival";
}

}  // namespace
}  // namespace lumvox::standin
