// Driver commands for the channel tests: message boxes of a window, texts with
// line breaks (written escaped: \r \n \t \\ \uXXXX), long texts from files, the
// clipboard, check boxes, list selections, double clicks and typed text.
//
//   sync PATH [timeout]            returns once PATH's thread has taken a sent message:
//                                  the handler that was running has ended or shows a box
//   boxes PATH                     after a sync: how many dialogs PATH's window owns
//   wait-box PATH [timeout]        waits for a message box owned by PATH's window and
//                                  prints "TITLE<tab>ICON<tab>TEXT" (ICON 1 or 0, TEXT escaped)
//   close-box PATH [timeout]       presses the box's OK button and waits until it is gone
//   wait-dialog PATH [timeout]     waits for a dialog with input fields owned by PATH's window
//   text-esc PATH                  the window text, escaped
//   wait-text-esc PATH TEXT [timeout]
//   set-text-esc PATH TEXT         WM_SETTEXT with an escaped text
//   set-text-file PATH FILE        WM_SETTEXT with FILE's UTF-8 text; prints the length
//   checked PATH                   1 when the check box is ticked
//   select PATH INDEX              CB_SETCURSEL on a combo box (no notification)
//   clipboard [timeout]            "UNITS<tab>TEXT": the Unicode text on the clipboard,
//                                  waiting while another program holds it open
//   dblclick-item PATH INDEX       a real double click on row INDEX of a list box
//                                  (past the last entry: the blank area below it)
//   type PATH TEXT                 real typing into the focused control of PATH's window
//   wait-part-esc PATH INDEX TEXT [timeout]
//                                  waits until part INDEX of the status bar PATH shows TEXT
//   wait-part-prefix-esc PATH INDEX TEXT [timeout]
//                                  the same, for a part that begins with TEXT; prints the whole part
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver.h"

namespace lumvox::e2e {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;  // the text's static control in a message box
constexpr int kMessageBoxIconId = 1088;

std::wstring Escape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'\r': out += L"\\r"; break;
        case L'\n': out += L"\\n"; break;
        case L'\t': out += L"\\t"; break;
        case L'\\': out += L"\\\\"; break;
        default:
            if (c < 0x20) {
                wchar_t code[8];
                swprintf(code, 8, L"\\u%04X", static_cast<unsigned>(c));
                out += code;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::wstring Unescape(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
        case L'r': out += L'\r'; break;
        case L'n': out += L'\n'; break;
        case L't': out += L'\t'; break;
        case L'u':
            if (i + 4 >= text.size()) Fail(L"\\u needs four hex digits");
            out += static_cast<wchar_t>(std::stoi(text.substr(i + 1, 4), nullptr, 16));
            i += 4;
            break;
        default: out += text[i];
        }
    }
    return out;
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) Fail(L"not UTF-8");
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail(L"cannot open " + path);
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void SetText(HWND hwnd, const std::wstring& text) {
    DWORD_PTR ignored;
    if (!SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 10000, &ignored))
        Fail(L"window does not answer");
}

// A window whose thread is busy for a while (loading a file) is asked again later.
bool TextIfAnswering(HWND hwnd, std::wstring& text) {
    try {
        text = TextOf(hwnd);
        return true;
    } catch (const Failure&) {
        return false;
    }
}

HWND Root(HWND hwnd) { return GetAncestor(hwnd, GA_ROOT); }

bool HasEditDescendant(HWND dialog) {
    for (HWND child : Descendants(dialog))
        if (_wcsicmp(ClassOf(child).c_str(), L"Edit") == 0) return true;
    return false;
}

HWND ChildWithId(HWND parent, int id) {
    for (HWND child : Descendants(parent))
        if (GetDlgCtrlID(child) == id) return child;
    return nullptr;
}

std::vector<HWND> OwnedDialogs(HWND owner) {
    std::vector<HWND> dialogs;
    for (HWND hwnd : TopLevelWindows())
        if (ClassOf(hwnd) == L"#32770" && GetWindow(hwnd, GW_OWNER) == owner) dialogs.push_back(hwnd);
    return dialogs;
}

// A message box: a visible dialog of the owner's with the box's text and no input field.
HWND FindBox(HWND owner) {
    for (HWND hwnd : OwnedDialogs(owner))
        if (IsWindowVisible(hwnd) && ChildWithId(hwnd, kMessageBoxTextId) && !HasEditDescendant(hwnd)) return hwnd;
    return nullptr;
}

HWND WaitBox(const std::wstring& path, int timeout_ms) {
    HWND owner = Root(Need(path));
    HWND box = nullptr;
    if (!WaitFor(timeout_ms, [&] { return (box = FindBox(owner)) != nullptr; })) Fail(L"no message box");
    return box;
}

void Sync(HWND hwnd, int timeout_ms) {
    DWORD_PTR ignored;
    if (!SendMessageTimeoutW(Root(hwnd), WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeout_ms), &ignored))
        Fail(L"the window's thread did not answer in time");
}

std::wstring ClipboardText(int timeout_ms) {
    std::wstring text;
    bool read = false;
    // Another program (the stand-in) may hold the clipboard open for a moment.
    WaitFor(timeout_ms, [&] {
        if (!OpenClipboard(nullptr)) return false;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
                const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
                text.assign(p, std::find(p, p + capacity, L'\0'));
                GlobalUnlock(data);
                read = true;
            }
        }
        CloseClipboard();
        return true;
    });
    if (!read) Fail(L"no Unicode text on the clipboard");
    return text;
}

// Left button down and up twice at one point, in one batch, so they make a double click.
void DoubleClickAt(POINT screen) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[5] = {};
    const DWORD buttons[5] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 5; ++i) {
        in[i].type = INPUT_MOUSE;
        in[i].mi.dx = static_cast<LONG>((screen.x * 65535LL + w / 2) / (w - 1));
        in[i].mi.dy = static_cast<LONG>((screen.y * 65535LL + h / 2) / (h - 1));
        in[i].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | buttons[i];
    }
    SendInput(5, in, sizeof(INPUT));
}

void TypeText(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wScan = c;
            in.ki.dwFlags = KEYEVENTF_UNICODE | up;
            inputs.push_back(in);
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

LRESULT Ask(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result)) Fail(L"window does not answer");
    return static_cast<LRESULT>(result);
}

// A status bar's part of another process: the text is written into memory of
// that process, then read back.
std::wstring PartText(HWND status, int part) {
    DWORD pid = 0;
    GetWindowThreadProcessId(status, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) Fail(L"cannot open the window's process");
    const size_t length = LOWORD(Ask(status, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part)));
    std::wstring text(length + 1, L'\0');
    const size_t bytes = text.size() * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    bool read = false;
    if (remote) {
        Ask(status, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(remote));
        read = ReadProcessMemory(process, remote, text.data(), bytes, nullptr) != 0;
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    if (!read) Fail(L"cannot read the part's text");
    text.resize(length);
    return text;
}

}  // namespace

std::optional<int> RunChannelCommand(const Args& a) {
    const std::wstring& cmd = a[0];
    if (cmd == L"sync") {
        NeedArgs(a, 2, L"sync PATH [timeout]");
        Sync(Need(a[1]), TimeoutArg(a, 2));
    } else if (cmd == L"boxes") {
        NeedArgs(a, 2, L"boxes PATH");
        HWND hwnd = Need(a[1]);
        Sync(hwnd, 30000);
        Print(std::to_wstring(OwnedDialogs(Root(hwnd)).size()));
    } else if (cmd == L"wait-box") {
        NeedArgs(a, 2, L"wait-box PATH [timeout]");
        HWND box = WaitBox(a[1], TimeoutArg(a, 2));
        HWND icon = ChildWithId(box, kMessageBoxIconId);
        const bool has_icon = icon && IsWindowVisible(icon) && Ask(icon, STM_GETICON) != 0;
        Print(TextOf(box) + L"\t" + (has_icon ? L"1" : L"0") + L"\t" + Escape(TextOf(ChildWithId(box, kMessageBoxTextId))));
    } else if (cmd == L"close-box") {
        NeedArgs(a, 2, L"close-box PATH [timeout]");
        HWND box = WaitBox(a[1], TimeoutArg(a, 2));
        HWND ok = ChildWithId(box, IDOK);
        if (!ok) Fail(L"the box has no OK button");
        PostMessageW(ok, BM_CLICK, 0, 0);
        if (!WaitFor(TimeoutArg(a, 2), [box] { return !IsWindow(box); })) Fail(L"the box stays");
    } else if (cmd == L"wait-dialog") {
        NeedArgs(a, 2, L"wait-dialog PATH [timeout]");
        HWND owner = Root(Need(a[1]));
        HWND dialog = nullptr;
        if (!WaitFor(TimeoutArg(a, 2), [&] {
                for (HWND hwnd : OwnedDialogs(owner))
                    if (IsWindowVisible(hwnd) && HasEditDescendant(hwnd)) return (dialog = hwnd) != nullptr;
                return false;
            }))
            Fail(L"no dialog");
        Print(TextOf(dialog));
    } else if (cmd == L"text-esc") {
        NeedArgs(a, 2, L"text-esc PATH");
        Print(Escape(TextOf(Need(a[1]))));
    } else if (cmd == L"wait-text-esc") {
        NeedArgs(a, 3, L"wait-text-esc PATH TEXT [timeout]");
        const std::wstring want = Unescape(a[2]);
        std::wstring last;
        if (!WaitFor(TimeoutArg(a, 3), [&] {
                HWND hwnd = Resolve(a[1]);
                return hwnd && TextIfAnswering(hwnd, last) && last == want;
            }))
            Fail(L"timed out; text is \"" + Escape(last) + L"\"");
        Print(Escape(last));
    } else if (cmd == L"set-text-esc") {
        NeedArgs(a, 3, L"set-text-esc PATH TEXT");
        SetText(Need(a[1]), Unescape(a[2]));
    } else if (cmd == L"set-text-file") {
        NeedArgs(a, 3, L"set-text-file PATH FILE");
        HWND hwnd = Need(a[1]);
        SetText(hwnd, Wide(ReadFileBytes(a[2])));
        Print(std::to_wstring(Ask(hwnd, WM_GETTEXTLENGTH)));
    } else if (cmd == L"checked") {
        NeedArgs(a, 2, L"checked PATH");
        Print(Ask(Need(a[1]), BM_GETCHECK) == BST_CHECKED ? L"1" : L"0");
    } else if (cmd == L"select") {
        NeedArgs(a, 3, L"select PATH INDEX");
        if (Ask(Need(a[1]), CB_SETCURSEL, static_cast<WPARAM>(ToInt(a[2]))) == CB_ERR) Fail(L"no such entry");
    } else if (cmd == L"clipboard") {
        const std::wstring text = ClipboardText(TimeoutArg(a, 1));
        Print(std::to_wstring(text.size()) + L"\t" + Escape(text));
    } else if (cmd == L"dblclick-item") {
        NeedArgs(a, 3, L"dblclick-item PATH INDEX");
        HWND list = Need(a[1]);
        BringToFront(list);
        const auto height = static_cast<int>(Ask(list, LB_GETITEMHEIGHT));
        const auto top = static_cast<int>(Ask(list, LB_GETTOPINDEX));
        POINT pt{8, (ToInt(a[2]) - top) * height + height / 2};
        RECT client;
        GetClientRect(list, &client);
        if (pt.y >= client.bottom) Fail(L"the row lies outside the list");
        ClientToScreen(list, &pt);
        DoubleClickAt(pt);
    } else if (cmd == L"wait-part-esc" || cmd == L"wait-part-prefix-esc") {
        NeedArgs(a, 4, L"wait-part-esc|wait-part-prefix-esc PATH INDEX TEXT [timeout]");
        const std::wstring want = Unescape(a[3]);
        const bool prefix = cmd == L"wait-part-prefix-esc";
        std::wstring last;
        if (!WaitFor(TimeoutArg(a, 4), [&] {
                last = PartText(Need(a[1]), ToInt(a[2]));
                return prefix ? last.rfind(want, 0) == 0 : last == want;
            }))
            Fail(L"timed out; the part shows \"" + Escape(last) + L"\"");
        Print(Escape(last));
    } else if (cmd == L"type") {
        NeedArgs(a, 3, L"type PATH TEXT");
        BringToFront(Need(a[1]));
        TypeText(a[2]);
    } else {
        return std::nullopt;
    }
    return 0;
}

}  // namespace lumvox::e2e
