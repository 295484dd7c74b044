// The real lumvox-send.exe against a real receiving window and the clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Received {
    ULONG_PTR id = 0;
    DWORD bytes = 0;
    std::vector<unsigned char> data;
    int count = 0;
};
Received g_received;

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) {
        auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        g_received.id = record->dwData;
        g_received.bytes = record->cbData;
        auto* p = static_cast<const unsigned char*>(record->lpData);
        g_received.data.assign(p, p + record->cbData);
        ++g_received.count;
        return TRUE;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

class Receiver {
public:
    Receiver() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ReceiverProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LumvoxSendTestReceiver";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"Lumvox", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
        g_received = {};
    }
    ~Receiver() { DestroyWindow(hwnd_); }
    HWND get() const { return hwnd_; }

private:
    HWND hwnd_;
};

std::wstring SendExe() {
    std::wstring path = L"Z:" LUMVOX_SEND_EXE;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// Runs lumvox-send, handling this thread's messages meanwhile so that the
// receiver window can answer its copy-data message.
DWORD RunSend(const std::wstring& arguments) {
    std::wstring command = L"\"" + SendExe() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0xFFFFFFFF;
    CloseHandle(process.hThread);
    const DWORD deadline = GetTickCount() + 30000;
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, deadline - GetTickCount(), QS_ALLINPUT) ==
           WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (GetTickCount() > deadline) break;
    }
    DWORD code = 0xFFFFFFFE;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return code;
}

// Runs lumvox-send with its standard output (and standard error, if asked)
// going to a file, and reads it back.
DWORD RunSendCapturing(const std::wstring& arguments, std::string& out, bool with_errors = false) {
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"lvs", 0, path);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0xFFFFFFFF;
    std::wstring command = L"\"" + SendExe() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = with_errors ? file : GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    DWORD code = 0xFFFFFFFF;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 30000);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    out.clear();
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) out.append(chunk, got);
    CloseHandle(file);
    DeleteFileW(path);
    return code;
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return L"<cannot open>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST(LumvoxSendExe, AppDeliversTheTrimmedTextWithItsIdentifierAndByteCount) {
    Receiver receiver;
    ASSERT_TRUE(receiver.get());
    EXPECT_EQ(RunSend(L"--app \"  \xC548\xB155 \xD558\xC138\xC694\r\n\""), 0u);
    ASSERT_EQ(g_received.count, 1);
    EXPECT_EQ(g_received.id, 1024u);
    EXPECT_EQ(g_received.bytes, 12u);
    const std::wstring expected = L"\xC548\xB155 \xD558\xC138\xC694";
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(g_received.data.data()), g_received.data.size() / 2),
              expected);

    EXPECT_EQ(RunSend(L"--app --protocol \" \""), 0u);
    EXPECT_EQ(g_received.count, 2);
    EXPECT_EQ(g_received.bytes, 34u);
}

TEST(LumvoxSendExe, AppRepeatSendsEveryCopyOneAtATime) {
    Receiver receiver;
    ASSERT_TRUE(receiver.get());
    const DWORD code = RunSend(L"--app --repeat 20 \"\xC548\xB155\"");
    // A copy that this thread does not take within the channel's 10 ms is given
    // up, as the channel does for a busy receiver: on a loaded machine a few may
    // not arrive, and those are counted as not confirmed (exit 5). More than one
    // did: the text was sent again and again.
    EXPECT_TRUE(code == 0u || code == 5u) << code;
    int received = g_received.count;
    EXPECT_GT(received, 1);
    EXPECT_LE(received, 20);
    EXPECT_EQ(g_received.bytes, 4u);
    EXPECT_EQ(RunSend(L"--app --repeat 2 --concurrency 2 x"), 2u) << "copy-data goes one at a time";
    EXPECT_EQ(g_received.count, received);
}

TEST(LumvoxSendExe, AppWithoutTheSpeechProgramExitsWithFour) {
    ASSERT_EQ(FindWindowW(nullptr, L"Lumvox"), nullptr);
    EXPECT_EQ(RunSend(L"--app hello"), 4u);
    EXPECT_EQ(RunSend(L"--app \" \""), 3u);
}

TEST(LumvoxSendExe, CodePageNamesHowAFileWithoutAMarkIsRead) {
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"lvx", 0, path);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "\xC7\xD1\xB1\xDB", 4, &written, nullptr);  // "한글" in code page 949
    CloseHandle(file);
    Receiver receiver;
    ASSERT_TRUE(receiver.get());
    EXPECT_EQ(RunSend(L"--app --codepage 949 --file \"" + std::wstring(path) + L"\""), 0u);
    ASSERT_EQ(g_received.count, 1);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(g_received.data.data()), g_received.data.size() / 2),
              L"\xD55C\xAE00");
    EXPECT_EQ(RunSend(L"--app --codepage 12345 --file \"" + std::wstring(path) + L"\""), 2u);
    EXPECT_EQ(g_received.count, 1);
    DeleteFileW(path);
}

// A byte the code page does not define is a U+FFFD and a warning with its
// offset, never the system's best-fit look-alike. A clipboard dry run prints
// the text as read (in UTF-8) and needs no receiver to answer in time.
TEST(LumvoxSendExe, CodePageBytesWithoutAMappingAreFoundNotBestFitted) {
    struct Case { std::wstring code_page; std::string bytes; std::string text; std::string warning; };
    const Case kCases[] = {
        {L"20127", "ok \xC7\xD1!\x80", "ok \xEF\xBF\xBD\xEF\xBF\xBD!\xEF\xBF\xBD",
         "the byte at offset 3 (0xC7) is not defined in code page 20127"},
        {L"20127", "\x80" "a", "\xEF\xBF\xBD" "a", "the byte at offset 0 (0x80) is not defined in code page 20127"},
        {L"65000", "hi \xC7 a+AMc-", "hi \xEF\xBF\xBD a\xC3\x87",
         "the byte at offset 3 (0xC7) is not defined in code page 65000"},
        {L"20127", "plain", "plain", ""},
    };
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"lvx", 0, path);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.bytes);
        HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, c.bytes.data(), static_cast<DWORD>(c.bytes.size()), &written, nullptr);
        CloseHandle(file);
        std::string words;
        EXPECT_EQ(RunSendCapturing(L"--clip --dry-run --codepage " + c.code_page + L" --file \"" + std::wstring(path) +
                                       L"\"",
                                   words, true),
                  0u);
        EXPECT_NE(words.find("\ntext: " + c.text + "\n"), std::string::npos) << words;
        if (c.warning.empty()) EXPECT_EQ(words.find("warning"), std::string::npos) << words;
        else EXPECT_NE(words.find(c.warning), std::string::npos) << words;
    }
    DeleteFileW(path);
}

TEST(LumvoxSendExe, ClipPlacesExactlyTheText) {
    EXPECT_EQ(RunSend(L"--clip \" a\xC548\r\n\""), 0u);
    EXPECT_EQ(ClipboardText(), L" a\xC548\r\n");
    EXPECT_EQ(RunSend(L"--clip --protocol \"\""), 0u);
    EXPECT_EQ(ClipboardText(), L"<lumvox></lumvox>");
}

// A folder where a file is wanted is a failure with its cause, exit 6, and
// with --json one JSON object on standard output.
TEST(LumvoxSendExe, AFolderAsTheTextOrBatchFileIsAFailureWithItsCause) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"lumvox-send-folder";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring arguments[] = {L"--clip --json --file \"" + folder + L"\"",
                                      L"--batch \"" + folder + L"\" --json", L"--check --json --file \"" + folder + L"\""};
    for (const std::wstring& args : arguments) {
        std::string out;
        EXPECT_EQ(RunSendCapturing(args, out), 6u);
        EXPECT_EQ(out.front(), '{') << out;
        EXPECT_EQ(out.find('\n'), out.size() - 1) << "one line: " << out;
        EXPECT_NE(out.find("\"cause\":\"file-unreadable\""), std::string::npos) << out;
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
