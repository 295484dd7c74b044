#pragma once
// What the driver's command files share: window paths, texts, waits and input.
// Defined in driver_win.cpp.
#include <windows.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumvox::e2e {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using Args = std::vector<std::wstring>;

std::string Utf8(const std::wstring& text);
void Print(const std::wstring& line);
[[noreturn]] void Fail(const std::wstring& why);
int ToInt(const std::wstring& text);
void NeedArgs(const Args& a, size_t n, const wchar_t* usage);
int TimeoutArg(const std::vector<std::wstring>& args, size_t index);

std::wstring ClassOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);
std::vector<HWND> TopLevelWindows();
std::vector<HWND> Descendants(HWND parent);
HWND Resolve(const std::wstring& path);  // nullptr when the path names no window (yet)
HWND Need(const std::wstring& path);
bool WaitFor(int timeout_ms, const std::function<bool()>& condition, int poll_ms = 10);

void BringToFront(HWND hwnd);
WORD VirtualKey(const std::wstring& name);
void MouseClickAt(POINT screen);

// The commands of driver_channels_win.cpp: nullopt when `a` names none of them.
std::optional<int> RunChannelCommand(const Args& a);

}  // namespace lumvox::e2e
