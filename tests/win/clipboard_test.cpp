#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include <cstring>
#include <memory>
#include <set>

#include "../core/page_fakes.h"
#include "core/utf.h"
#include "platform/clipboard_win.h"
#include "platform/handles_win.h"

namespace lumvox::core {
namespace {

using namespace lumvox::win;

using WindowPtr = Unique<HWND, &DestroyWindow>;

WindowPtr MakeOwnerWindow() {
    return WindowPtr(CreateWindowExW(0, L"STATIC", L"clipboard owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr));
}

const UINT kMarkerFormat = RegisterClipboardFormatW(L"LumvoxTestMarker");

// Opened by this test for reading or seeding; closed on scope exit.
class TestClipboard {
public:
    TestClipboard() : open_(OpenClipboard(nullptr) != FALSE) {}
    ~TestClipboard() {
        if (open_) CloseClipboard();
    }
    bool open() const { return open_; }

private:
    bool open_;
};

void PlaceBytes(UINT format, const void* data, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    if (!SetClipboardData(format, block)) GlobalFree(block);
}

// What another program left: a text and a private format.
void SeedClipboard() {
    TestClipboard clipboard;
    ASSERT_TRUE(clipboard.open());
    ASSERT_TRUE(EmptyClipboard());
    PlaceBytes(CF_UNICODETEXT, L"before", sizeof L"before");
    PlaceBytes(kMarkerFormat, "marker", 6);
}

struct ClipboardState {
    std::set<UINT> formats;
    std::vector<uint8_t> unicode_text;  // the whole block of CF_UNICODETEXT
    HWND owner = nullptr;
};

ClipboardState ReadClipboard() {
    ClipboardState state;
    TestClipboard clipboard;
    EXPECT_TRUE(clipboard.open());
    if (!clipboard.open()) return state;
    state.owner = GetClipboardOwner();
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
        state.formats.insert(format);
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        const auto* first = static_cast<const uint8_t*>(GlobalLock(data));
        state.unicode_text.assign(first, first + GlobalSize(data));
        GlobalUnlock(data);
    }
    return state;
}

std::vector<uint8_t> WithTerminator(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    for (char16_t unit : text) bytes.insert(bytes.end(), {uint8_t(unit & 0xFF), uint8_t(unit >> 8)});
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

// A block may be larger than asked for; what counts is the text and its NUL at the start.
bool HoldsText(const std::vector<uint8_t>& block, std::u16string_view text) {
    const std::vector<uint8_t> expected = WithTerminator(text);
    return block.size() >= expected.size() && std::equal(expected.begin(), expected.end(), block.begin());
}

struct CopyPage {
    WindowPtr owner = MakeOwnerWindow();
    WindowClipboard clipboard{owner.get()};
    testing::FakePageView view;
    testing::RecordingSpeechApp speech_app;
    testing::FakeNetwork network;
    testing::FakeFiles files;
    PageActions actions{view, PageLinks{speech_app, network, clipboard, files}};
};

TEST(WindowClipboard, CopyLeavesExactlyTheTextWithAndWithoutEnvelope) {
    struct Case { std::u16string_view text; bool ticked; std::u16string_view placed; };
    const Case cases[] = {
        {u"", false, u""},
        {u"  a\r\n", false, u"  a\r\n"},
        {u"", true, u"<lumvox></lumvox>"},
        {u"안녕 \xD83D\xDE00\r\n", true, u"<lumvox>안녕 \xD83D\xDE00\r\n</lumvox>"},
    };
    // The platform may offer the text in its other text formats by conversion.
    const std::set<UINT> allowed = {CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT, CF_LOCALE};
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8Lossy(c.placed));
        SeedClipboard();
        CopyPage page;
        page.view.fields[TextField::ClipText] = c.text;
        page.view.use_protocol = c.ticked;
        page.actions.CopyToClipboard();
        const ClipboardState state = ReadClipboard();
        EXPECT_TRUE(HoldsText(state.unicode_text, c.placed));
        EXPECT_EQ(state.formats.count(kMarkerFormat), 0u) << "the clipboard was not emptied";
        for (UINT format : state.formats) EXPECT_EQ(allowed.count(format), 1u) << "format " << format;
        EXPECT_EQ(state.owner, page.owner.get()) << "opened for the application's window";
        EXPECT_EQ(page.view.fields[TextField::ClipText], c.text);
    }
}

std::wstring UniqueName(const wchar_t* what) {
    return std::wstring(L"LumvoxTest.") + what + L"." + std::to_wstring(GetCurrentProcessId());
}

std::wstring HelperPath(const wchar_t* exe) {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + exe;
}

TEST(WindowClipboard, HeldByAnotherProgramIsAnErrorAndChangesNothing) {
    SeedClipboard();
    const std::wstring ready_name = UniqueName(L"ready"), release_name = UniqueName(L"release");
    lumvox::win::UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, ready_name.c_str()));
    lumvox::win::UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, release_name.c_str()));
    std::wstring command = L"\"" + HelperPath(L"clipboard_holder.exe") + L"\" " + ready_name + L" " + release_name;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    lumvox::win::UniqueHandle holder(process.hProcess);
    CloseHandle(process.hThread);
    HANDLE started[] = {ready.get(), holder.get()};
    ASSERT_EQ(WaitForMultipleObjects(2, started, FALSE, 30000), WAIT_OBJECT_0) << "the holder did not open it";

    CopyPage page;
    page.view.fields[TextField::ClipText] = u"new text";
    std::u16string error;
    SendCause cause;
    try {
        page.actions.CopyToClipboard();
    } catch (const CauseError& e) {
        error = e.message();
        cause = e.cause();
    } catch (const ActionError& e) {
        error = e.message();
    }
    SetEvent(release.get());
    EXPECT_EQ(WaitForSingleObject(holder.get(), 30000), WAIT_OBJECT_0);
    DWORD exit_code = 1;
    GetExitCodeProcess(holder.get(), &exit_code);
    EXPECT_EQ(exit_code, 0u);

    const std::u16string_view prefix = u"Cannot open clipboard: ";
    ASSERT_EQ(error.substr(0, prefix.size()), prefix) << ToUtf8Lossy(error);
    EXPECT_GT(error.size(), prefix.size()) << "the system's description follows";
    const char16_t last = error.back();
    EXPECT_TRUE(last != u'.' && last != u' ' && last != u'\r' && last != u'\n') << ToUtf8Lossy(error);

    const ClipboardState state = ReadClipboard();
    EXPECT_TRUE(HoldsText(state.unicode_text, u"before"));
    EXPECT_EQ(state.formats.count(kMarkerFormat), 1u) << "the clipboard must be unchanged";

    // The send log's cause: the system's words, and the holder where the system tells.
    EXPECT_EQ(cause.code, CauseCode::ClipboardBusy);
    EXPECT_EQ(u"Cannot open clipboard: " + cause.system_text, error);
    EXPECT_EQ(cause.holder_window, u"clipboard holder");
    EXPECT_NE(cause.holder_process.find(u"clipboard_holder"), std::u16string::npos) << ToUtf8Lossy(cause.holder_process);
    std::printf("clipboard held open: %s\n", CauseTextEnglish(cause).c_str());
}

}  // namespace
}  // namespace lumvox::core
