// lumvox-send on Windows: all three channels.
#include <windows.h>

#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/clipboard_win.h"
#include "platform/dll_search_win.h"
#include "platform/file_source_win.h"
#include "platform/speech_app_link_win.h"
#include "core/action_error.h"
#include "core/network_link.h"
#include "send_main.h"

namespace {

using namespace lumvox::send;

// The clipboard must be opened for a window: with none, EmptyClipboard leaves
// no owner and placing the text fails.
class MessageOnlyWindow {
public:
    MessageOnlyWindow()
        : hwnd_(CreateWindowExW(0, L"STATIC", L"lumvox-send", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr)) {}
    ~MessageOnlyWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    MessageOnlyWindow(const MessageOnlyWindow&) = delete;
    MessageOnlyWindow& operator=(const MessageOnlyWindow&) = delete;
    HWND get() const { return hwnd_; }

private:
    HWND hwnd_;
};

class WindowsPlatform final : public SendPlatform {
public:
    lumvox::core::SendLinks Links() override { return {.speech_app = &app_, .network = &net_, .clipboard = &clip_}; }
    lumvox::core::FileSource& Files() override { return files_; }
    lumvox::core::CodePageDecoder& CodePages() override { return files_; }
    ProcessCounters Counters() override {
        ProcessCounters counters;
        PROCESS_MEMORY_COUNTERS_EX memory{};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                 sizeof memory)) {
            counters.working_set_bytes = memory.WorkingSetSize;
            counters.private_bytes = memory.PrivateUsage;
        }
        DWORD handles = 0;
        if (GetProcessHandleCount(GetCurrentProcess(), &handles)) counters.handles = handles;
        counters.gdi_objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        counters.user_objects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
        return counters;
    }
    std::string ReadStandardInput() override {
        _setmode(_fileno(stdin), _O_BINARY);
        std::string bytes;
        char chunk[64 * 1024];
        while (const size_t got = std::fread(chunk, 1, sizeof chunk, stdin)) bytes.append(chunk, got);
        if (std::ferror(stdin)) {
            const int error = errno;
            lumvox::core::SendCause cause(lumvox::core::CauseCode::InputUnreadable,
                                          lumvox::core::Utf8ToUtf16(std::strerror(error)).value_or(u""));
            cause.system_code = static_cast<std::uint32_t>(error);
            throw lumvox::core::CauseError(u"Cannot read standard input. " + cause.system_text, cause);
        }
        return bytes;
    }

private:
    MessageOnlyWindow owner_;
    lumvox::win::WindowMessageLink app_;
    lumvox::core::HttpNetworkLink net_;
    lumvox::win::WindowClipboard clip_{owner_.get()};
    lumvox::win::WindowsFileSource files_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    lumvox::win::LoadLibrariesFromSystemOnly();
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    WindowsPlatform platform;
    return RunSendMainOn(args, platform, stdout, stderr);
}
