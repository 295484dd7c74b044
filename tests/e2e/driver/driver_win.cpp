// A small Win32 driver for end-to-end tests: finds windows, reads texts and rects,
// sends keys, clicks and menu commands, and waits on conditions with a timeout.
//
//   lumvox_e2e_driver COMMAND ARGS... [ ";" COMMAND ARGS...]...
//
// A window is named by a path. Its first step names a top-level window:
//   class:NAME    by class          title:TEXT   by whole title
//   prefix:TEXT   title begins with TEXT
// Each further step, after "/", names a descendant of the window before it:
//   ID            the control with this control ID (decimal)
//   @CLASS        the first descendant of that class, @CLASS#N the N-th (from 0)
// Example: class:MainWindow/114 is AppText of the main window.
//
// Commands print their result on one line (UTF-8) and exit non-zero on failure.
// Times are in milliseconds; every wait gives up after its timeout (default 10000).
#include <windows.h>

#include <oleacc.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "driver.h"

namespace lumvox::e2e {

using Clock = std::chrono::steady_clock;
constexpr int kDefaultTimeoutMs = 10000;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void Print(const std::wstring& line) {
    const std::string bytes = Utf8(line) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

[[noreturn]] void Fail(const std::wstring& why) { throw Failure(Utf8(why)); }

int ToInt(const std::wstring& text) {
    try {
        size_t used = 0;
        const int value = std::stoi(text, &used, 0);
        if (used == text.size()) return value;
    } catch (...) {
    }
    Fail(L"not a number: " + text);
}

// --- finding windows ---------------------------------------------------------

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

// Window texts of other processes' controls come only through WM_GETTEXT.
std::wstring TextOf(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) Fail(L"window does not answer");
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             2000, &got))
        Fail(L"window does not answer");
    text.resize(got);
    return text;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> all;
    EnumWindows([](HWND hwnd, LPARAM lp) {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, [](HWND hwnd, LPARAM lp) {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t sep) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == sep) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// Another process's top-level title is read from the server, without a message, so
// a window whose thread is busy or ending does not stop the lookup.
std::wstring TitleOf(HWND hwnd) {
    std::wstring title(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, title.data(), static_cast<int>(title.size()));
    title.resize(static_cast<size_t>(got > 0 ? got : 0));
    return title;
}

HWND FindTopLevel(const std::wstring& step) {
    for (HWND hwnd : TopLevelWindows()) {
        if (StartsWith(step, L"class:") && ClassOf(hwnd) == step.substr(6)) return hwnd;
        if (StartsWith(step, L"title:") && TitleOf(hwnd) == step.substr(6)) return hwnd;
        if (StartsWith(step, L"prefix:") && StartsWith(TitleOf(hwnd), step.substr(7))) return hwnd;
    }
    return nullptr;
}

HWND FindChild(HWND parent, const std::wstring& step) {
    if (!step.empty() && step[0] == L'@') {
        const auto hash = step.find(L'#', 1);
        const std::wstring cls = step.substr(1, hash == std::wstring::npos ? std::wstring::npos : hash - 1);
        int index = hash == std::wstring::npos ? 0 : ToInt(step.substr(hash + 1));
        for (HWND hwnd : Descendants(parent))
            if (ClassOf(hwnd) == cls && index-- == 0) return hwnd;
        return nullptr;
    }
    const int id = ToInt(step);
    for (HWND hwnd : Descendants(parent))
        if (GetDlgCtrlID(hwnd) == id) return hwnd;
    return nullptr;
}

// nullptr when the path does not name a window (yet).
HWND Resolve(const std::wstring& path) {
    const auto steps = Split(path, L'/');
    // Titles may hold "/": a top-level step runs up to the first step that is a control.
    std::wstring top = steps[0];
    size_t next = 1;
    while (next < steps.size() && !steps[next].empty() && steps[next][0] != L'@' && !iswdigit(steps[next][0]))
        top += L"/" + steps[next++];
    HWND hwnd = FindTopLevel(top);
    for (; hwnd && next < steps.size(); ++next) hwnd = FindChild(hwnd, steps[next]);
    return hwnd;
}

HWND Need(const std::wstring& path) {
    HWND hwnd = Resolve(path);
    if (!hwnd) Fail(L"no window " + path);
    return hwnd;
}

int TimeoutArg(const std::vector<std::wstring>& args, size_t index) {
    return args.size() > index ? ToInt(args[index]) : kDefaultTimeoutMs;
}

// Polls `condition` until it holds or the time is up.
bool WaitFor(int timeout_ms, const std::function<bool()>& condition, int poll_ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        if (condition()) return true;
        if (Clock::now() >= end) return false;
        Sleep(static_cast<DWORD>(poll_ms));
    }
}

// --- input ---------------------------------------------------------------------

// Only when needed: every change of the foreground comes back to the program as
// focus events of the display, later, and would make it deactivate and activate.
void BringToFront(HWND hwnd) {
    HWND top = GetAncestor(hwnd, GA_ROOT);
    if (GetForegroundWindow() == top) return;
    SetForegroundWindow(top);
    WaitFor(2000, [top] { return GetForegroundWindow() == top; });
}

WORD VirtualKey(const std::wstring& name) {
    struct Named {
        const wchar_t* name;
        WORD vk;
    };
    static const Named kKeys[] = {{L"tab", VK_TAB},     {L"enter", VK_RETURN}, {L"esc", VK_ESCAPE}, {L"space", VK_SPACE},
                                  {L"left", VK_LEFT},   {L"right", VK_RIGHT},  {L"up", VK_UP},       {L"down", VK_DOWN},
                                  {L"home", VK_HOME},   {L"end", VK_END},      {L"back", VK_BACK},   {L"delete", VK_DELETE},
                                  {L"ctrl", VK_CONTROL}, {L"shift", VK_SHIFT}, {L"alt", VK_MENU}};
    for (const auto& k : kKeys)
        if (_wcsicmp(name.c_str(), k.name) == 0) return k.vk;
    if ((name[0] == L'F' || name[0] == L'f') && name.size() > 1 && iswdigit(name[1])) return static_cast<WORD>(VK_F1 + ToInt(name.substr(1)) - 1);
    if (name.size() == 1) return static_cast<WORD>(VkKeyScanW(name[0]) & 0xFF);
    Fail(L"unknown key " + name);
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

// "ctrl+shift+tab": modifiers down, key down and up (`repeat` times down first), modifiers up.
void SendChord(const std::wstring& chord, int repeat) {
    const auto names = Split(chord, L'+');
    std::vector<INPUT> inputs;
    for (size_t i = 0; i + 1 < names.size(); ++i) inputs.push_back(KeyInput(VirtualKey(names[i]), false));
    const WORD key = VirtualKey(names.back());
    for (int i = 0; i < repeat; ++i) inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    for (size_t i = names.size() - 1; i-- > 0;) inputs.push_back(KeyInput(VirtualKey(names[i]), true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void MouseClickAt(POINT screen) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[3] = {};
    for (auto& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = static_cast<LONG>((screen.x * 65535LL + w / 2) / (w - 1));
        i.mi.dy = static_cast<LONG>((screen.y * 65535LL + h / 2) / (h - 1));
        i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, in, sizeof(INPUT));
}

// The bounds of a window: in its parent's client area for a child, on the screen otherwise.
RECT BoundsOf(HWND hwnd) {
    RECT rc;
    GetWindowRect(hwnd, &rc);
    if (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::wstring RectText(const RECT& rc) {
    return std::to_wstring(rc.left) + L" " + std::to_wstring(rc.top) + L" " + std::to_wstring(rc.right - rc.left) + L" " +
           std::to_wstring(rc.bottom - rc.top);
}

HWND FocusOfThreadOf(HWND hwnd) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

std::wstring Describe(HWND hwnd) {
    if (!hwnd) return L"none";
    return std::to_wstring(GetDlgCtrlID(hwnd)) + L" " + ClassOf(hwnd);
}

// --- a window of our own -------------------------------------------------------

int MakeWindow(const std::wstring& title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(hwnd, msg, wp, lp);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LumvoxE2EWindow";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                wc.hInstance, nullptr);
    if (!hwnd) Fail(L"cannot create window");
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

// --- measuring a start-up -------------------------------------------------------

// Starts EXE, waits until a window of its process has a title beginning with PREFIX,
// then prints the milliseconds since the start and, a moment later, the peak working
// set in KiB; closes the program with WM_CLOSE to that window and prints, third, the
// milliseconds from the close to the end of its process (the time an installer
// started after it would still find it running).
void MeasureStart(const std::wstring& exe, const std::wstring& prefix, int settle_ms) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + exe + L"\"";
    const auto start = Clock::now();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) Fail(L"cannot start " + exe);
    HWND found = nullptr;
    const bool ok = WaitFor(30000, [&] {
        for (HWND hwnd : TopLevelWindows()) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            wchar_t title[256] = {};
            if (pid == pi.dwProcessId && GetWindowTextW(hwnd, title, 256) && StartsWith(title, prefix)) {
                found = hwnd;
                return true;
            }
        }
        return false;
    }, 2);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::milliseconds(settle_ms));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters);
    const auto close = Clock::now();
    if (found) PostMessageW(found, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
    const double close_ms = std::chrono::duration<double, std::milli>(Clock::now() - close).count();
    if (!ended) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!ok) Fail(L"no title beginning with " + prefix);
    if (!ended) Fail(L"still running 10 s after WM_CLOSE: " + exe);
    wchar_t line[128];
    swprintf(line, 128, L"%.1f %llu %.1f", ms, static_cast<unsigned long long>(counters.PeakWorkingSetSize / 1024),
             close_ms);
    Print(line);
}

// --- commands -------------------------------------------------------------------

void NeedArgs(const Args& a, size_t n, const wchar_t* usage) {
    if (a.size() < n) Fail(std::wstring(L"usage: ") + usage);
}

int RunCommand(const Args& a) {
    const std::wstring& cmd = a[0];
    if (cmd == L"wait-window") {  // PATH [timeout]: waits until it exists and is visible
        NeedArgs(a, 2, L"wait-window PATH [timeout]");
        HWND hwnd = nullptr;
        if (!WaitFor(TimeoutArg(a, 2), [&] { return (hwnd = Resolve(a[1])) && IsWindowVisible(hwnd); })) Fail(L"timed out waiting for " + a[1]);
        Print(TextOf(hwnd));
    } else if (cmd == L"wait-gone") {  // PATH [timeout]
        NeedArgs(a, 2, L"wait-gone PATH [timeout]");
        if (!WaitFor(TimeoutArg(a, 2), [&] { return Resolve(a[1]) == nullptr; })) Fail(L"still there: " + a[1]);
    } else if (cmd == L"wait-text" || cmd == L"wait-prefix") {  // PATH TEXT [timeout]
        NeedArgs(a, 3, L"wait-text|wait-prefix PATH TEXT [timeout]");
        std::wstring last;
        const bool whole = cmd == L"wait-text";
        if (!WaitFor(TimeoutArg(a, 3), [&] {
                HWND hwnd = Resolve(a[1]);
                if (!hwnd) return false;
                try {
                    last = TextOf(hwnd);
                } catch (const Failure&) {
                    return false;  // busy for now: ask again until the time is up
                }
                return whole ? last == a[2] : StartsWith(last, a[2]);
            }))
            Fail(L"timed out; text is \"" + last + L"\"");
        Print(last);
    } else if (cmd == L"wait-focus") {  // PATH [timeout]: waits until PATH has the keyboard focus
        NeedArgs(a, 2, L"wait-focus PATH [timeout]");
        HWND focus = nullptr;
        if (!WaitFor(TimeoutArg(a, 2), [&] {
                HWND hwnd = Resolve(a[1]);
                return hwnd && (focus = FocusOfThreadOf(hwnd)) == hwnd;
            }))
            Fail(L"focus is on " + Describe(focus));
    } else if (cmd == L"text-of") {
        NeedArgs(a, 2, L"text-of PATH");
        Print(TextOf(Need(a[1])));
    } else if (cmd == L"rect-of") {
        NeedArgs(a, 2, L"rect-of PATH");
        Print(RectText(BoundsOf(Need(a[1]))));
    } else if (cmd == L"client-origin") {  // PATH: the screen point of the client area's top left
        NeedArgs(a, 2, L"client-origin PATH");
        POINT origin{0, 0};
        ClientToScreen(Need(a[1]), &origin);
        Print(std::to_wstring(origin.x) + L" " + std::to_wstring(origin.y));
    } else if (cmd == L"client-of") {
        NeedArgs(a, 2, L"client-of PATH");
        RECT rc;
        GetClientRect(Need(a[1]), &rc);
        Print(std::to_wstring(rc.right) + L" " + std::to_wstring(rc.bottom));
    } else if (cmd == L"visible") {
        NeedArgs(a, 2, L"visible PATH");
        HWND hwnd = Resolve(a[1]);
        Print(hwnd && IsWindowVisible(hwnd) ? L"1" : L"0");
    } else if (cmd == L"focus-of") {  // PATH: the focused window of PATH's thread, "ID CLASS"
        NeedArgs(a, 2, L"focus-of PATH");
        Print(Describe(FocusOfThreadOf(Need(a[1]))));
    } else if (cmd == L"sel-of") {  // PATH: an edit control's selection, "START END" in UTF-16 units
        NeedArgs(a, 2, L"sel-of PATH");
        DWORD start = 0, end = 0;
        SendMessageW(Need(a[1]), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        Print(std::to_wstring(start) + L" " + std::to_wstring(end));
    } else if (cmd == L"dump") {  // PATH: every descendant, "ID CLASS X Y W H VISIBLE"
        NeedArgs(a, 2, L"dump PATH");
        for (HWND hwnd : Descendants(Need(a[1])))
            Print(Describe(hwnd) + L" " + RectText(BoundsOf(hwnd)) + L" " + (IsWindowVisible(hwnd) ? L"1" : L"0"));
    } else if (cmd == L"set-text") {
        NeedArgs(a, 3, L"set-text PATH TEXT");
        DWORD_PTR ignored;
        SendMessageTimeoutW(Need(a[1]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[2].c_str()), SMTO_ABORTIFHUNG, 5000, &ignored);
    } else if (cmd == L"click") {  // PATH: BM_CLICK, posted so that a modal box does not block us
        NeedArgs(a, 2, L"click PATH");
        PostMessageW(Need(a[1]), BM_CLICK, 0, 0);
    } else if (cmd == L"mouse-click") {  // PATH [X Y]: a real click, at the centre or at X,Y of the client area
        NeedArgs(a, 2, L"mouse-click PATH [X Y]");
        HWND hwnd = Need(a[1]);
        BringToFront(hwnd);
        RECT rc;
        GetClientRect(hwnd, &rc);
        POINT pt = a.size() >= 4 ? POINT{ToInt(a[2]), ToInt(a[3])} : POINT{rc.right / 2, rc.bottom / 2};
        ClientToScreen(hwnd, &pt);
        MouseClickAt(pt);
    } else if (cmd == L"key") {  // PATH CHORD [repeat]: real key presses into PATH's top-level window
        NeedArgs(a, 3, L"key PATH CHORD [repeat]");
        BringToFront(Need(a[1]));
        SendChord(a[2], a.size() > 3 ? ToInt(a[3]) : 1);
    } else if (cmd == L"post-key") {  // PATH VK: WM_KEYDOWN and WM_KEYUP posted to PATH
        NeedArgs(a, 3, L"post-key PATH VK");
        HWND hwnd = Need(a[1]);
        const WORD vk = VirtualKey(a[2]);
        PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
        PostMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
    } else if (cmd == L"command") {  // PATH CODE: the control's notification CODE, posted to its parent
        NeedArgs(a, 3, L"command PATH CODE");
        HWND hwnd = Need(a[1]);
        PostMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), ToInt(a[2])), reinterpret_cast<LPARAM>(hwnd));
    } else if (cmd == L"acc-of" || cmd == L"acc-do") {
        // PATH: acc-of prints the client object's "ROLE STATE DEFAULT-ACTION NAME" as
        // a screen reader reads them, from this other process; acc-do runs its
        // default action and prints the call's HRESULT in hex.
        NeedArgs(a, 2, L"acc-of|acc-do PATH");
        HWND hwnd = Need(a[1]);
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IAccessible* object = nullptr;
        const HRESULT found = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                         reinterpret_cast<void**>(&object));
        if (FAILED(found) || !object) Fail(L"no accessible object: " + std::to_wstring(found));
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        const auto take = [](BSTR text) {
            std::wstring taken = text ? std::wstring(text, SysStringLen(text)) : L"-";
            SysFreeString(text);
            return taken;
        };
        if (cmd == L"acc-do") {
            wchar_t hr[16];
            swprintf(hr, 16, L"%08lx", static_cast<unsigned long>(object->accDoDefaultAction(self)));
            Print(hr);
        } else {
            VARIANT role{}, state{};
            BSTR name = nullptr, action = nullptr;
            object->get_accRole(self, &role);
            object->get_accState(self, &state);
            object->get_accName(self, &name);
            object->get_accDefaultAction(self, &action);
            Print(std::to_wstring(role.vt == VT_I4 ? role.lVal : -1) + L" " + std::to_wstring(state.vt == VT_I4 ? state.lVal : -1) +
                  L" " + take(action) + L" " + take(name));
        }
        object->Release();
        CoUninitialize();
    } else if (cmd == L"has-icon") {  // PATH: 1 when the static control shows an icon (STM_GETICON)
        NeedArgs(a, 2, L"has-icon PATH");
        DWORD_PTR icon = 0;
        SendMessageTimeoutW(Need(a[1]), STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
        Print(icon ? L"1" : L"0");
    } else if (cmd == L"owner-of") {  // PATH: the title of the window's owner, or "none"
        NeedArgs(a, 2, L"owner-of PATH");
        HWND owner = GetWindow(Need(a[1]), GW_OWNER);
        Print(owner ? TextOf(owner) : L"none");
    } else if (cmd == L"work-area") {  // PATH: the work area of the window's monitor, "X Y W H"
        NeedArgs(a, 2, L"work-area PATH");
        MONITORINFO info{};
        info.cbSize = sizeof info;
        GetMonitorInfoW(MonitorFromWindow(Need(a[1]), MONITOR_DEFAULTTONEAREST), &info);
        Print(RectText(info.rcWork));
    } else if (cmd == L"menu") {  // PATH ID: the menu command ID
        NeedArgs(a, 3, L"menu PATH ID");
        PostMessageW(Need(a[1]), WM_COMMAND, MAKEWPARAM(ToInt(a[2]), 0), 0);
    } else if (cmd == L"syscommand") {  // PATH SC: minimize, restore, close or a number
        NeedArgs(a, 3, L"syscommand PATH minimize|restore|close|N");
        const WPARAM sc = a[2] == L"minimize" ? SC_MINIMIZE : a[2] == L"restore" ? SC_RESTORE : a[2] == L"close" ? SC_CLOSE : ToInt(a[2]);
        PostMessageW(Need(a[1]), WM_SYSCOMMAND, sc, 0);
    } else if (cmd == L"resize") {  // PATH W H: asks for an outer size, prints the size it got
        NeedArgs(a, 4, L"resize PATH W H");
        HWND hwnd = Need(a[1]);
        SetWindowPos(hwnd, nullptr, 0, 0, ToInt(a[2]), ToInt(a[3]), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT rc;
        GetWindowRect(hwnd, &rc);
        Print(std::to_wstring(rc.right - rc.left) + L" " + std::to_wstring(rc.bottom - rc.top));
    } else if (cmd == L"move") {  // PATH X Y
        NeedArgs(a, 4, L"move PATH X Y");
        SetWindowPos(Need(a[1]), nullptr, ToInt(a[2]), ToInt(a[3]), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (cmd == L"close") {
        NeedArgs(a, 2, L"close PATH");
        PostMessageW(Need(a[1]), WM_CLOSE, 0, 0);
    } else if (cmd == L"make-window") {  // TITLE: a top-level window of ours, until it is closed
        NeedArgs(a, 2, L"make-window TITLE");
        return MakeWindow(a[1]);
    } else if (cmd == L"measure-start") {  // EXE PREFIX [settle]: see MeasureStart
        NeedArgs(a, 3, L"measure-start EXE PREFIX [settle-ms]");
        MeasureStart(a[1], a[2], a.size() > 3 ? ToInt(a[3]) : 500);
    } else if (const auto code = RunChannelCommand(a)) {
        return *code;
    } else {
        Fail(L"unknown command " + cmd);
    }
    return 0;
}

}  // namespace lumvox::e2e

int wmain(int argc, wchar_t** argv) {
    using namespace lumvox::e2e;
    // Aware of each monitor's DPI, like the workshop: sizes are read and set in real pixels.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    std::vector<Args> commands(1);
    for (int i = 1; i < argc; ++i) {
        if (std::wstring(argv[i]) == L";") commands.emplace_back();
        else commands.back().push_back(argv[i]);
    }
    try {
        for (const Args& command : commands) {
            if (command.empty()) continue;
            if (const int code = RunCommand(command)) return code;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "driver: %s\n", e.what());
        return 1;
    }
    return 0;
}
