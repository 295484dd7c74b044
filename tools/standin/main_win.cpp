// lumvox-standin: a small receiver that stands in for the speech program, so the
// workshop can be tried where the speech program is not installed.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/utf.h"
#include "platform/dll_search_win.h"
#include "options.h"
#include "standin_window_win.h"

namespace {

std::wstring Wide(std::string_view utf8) {
    std::u16string text;
    lumvox::core::AppendUtf8AsUtf16(utf8, text);
    return std::wstring(text.begin(), text.end());
}

std::vector<std::u16string> Arguments() {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::u16string> args;
    for (int i = 1; i < count; ++i) {
        std::wstring_view arg = argv[i];
        args.emplace_back(arg.begin(), arg.end());
    }
    LocalFree(argv);
    return args;
}

int Tell(const std::string& text, UINT icon) {
    MessageBoxW(nullptr, Wide(text).c_str(), L"lumvox-standin", MB_OK | icon);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    lumvox::win::LoadLibrariesFromSystemOnly();
    using namespace lumvox::standin;
    ParsedOptions parsed = ParseOptions(Arguments());
    if (!parsed.error.empty()) {
        Tell(parsed.error + "\n\n" + kUsage, MB_ICONERROR);
        return 2;
    }
    if (parsed.options.help) return Tell(kUsage, MB_ICONINFORMATION);

    EventLog log;
    std::wstring log_path(parsed.options.log_path.begin(), parsed.options.log_path.end());
    if (!log.Open(log_path)) {
        Tell("cannot open the log " + lumvox::core::ToUtf8Lossy(parsed.options.log_path), MB_ICONERROR);
        return 3;
    }
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    StandInWindow window(parsed.options, log);
    if (!window.Create(instance, show)) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (lumvox::win::Window::PreviewKey(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
