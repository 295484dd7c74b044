#pragma once
// A top-level window on its own thread that records every WM_COPYDATA it gets,
// standing in for the speech program's window. It can be made to hang.
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumvox::core::testing {

struct CopyDataRecord {
    WPARAM sender;
    ULONG_PTR id;
    DWORD byte_count;
    std::vector<uint8_t> bytes;
};

class CopyDataReceiver {
public:
    explicit CopyDataReceiver(const wchar_t* title);
    ~CopyDataReceiver();
    CopyDataReceiver(const CopyDataReceiver&) = delete;
    CopyDataReceiver& operator=(const CopyDataReceiver&) = delete;

    HWND window() const { return window_; }
    // Waits until `count` records have arrived (or a generous deadline passes,
    // so that a fault fails the test instead of hanging it).
    std::vector<CopyDataRecord> WaitForRecords(size_t count);
    std::vector<CopyDataRecord> Records();
    // The window's thread stops handling messages until Release().
    void Hang();
    void Release();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Run(const wchar_t* title);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<CopyDataRecord> records_;
    bool ready_ = false;
    bool hanging_ = false;
    HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND window_ = nullptr;
    std::thread thread_;
};

inline constexpr std::chrono::seconds kDeadlockGuard{30};

}  // namespace lumvox::core::testing
