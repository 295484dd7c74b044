#include "copydata_receiver_win.h"

namespace lumvox::core::testing {
namespace {

constexpr wchar_t kClassName[] = L"LumvoxTestCopyDataReceiver";
constexpr UINT kHangMessage = WM_APP + 1;

}  // namespace

CopyDataReceiver::CopyDataReceiver(const wchar_t* title) : thread_([this, title] { Run(title); }) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ready_; });
}

CopyDataReceiver::~CopyDataReceiver() {
    Release();
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    thread_.join();
    CloseHandle(release_);
}

void CopyDataReceiver::Run(const wchar_t* title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);  // a second registration fails harmlessly
    HWND hwnd = CreateWindowExW(0, kClassName, title, WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                wc.hInstance, this);
    {
        std::lock_guard lock(mutex_);
        window_ = hwnd;
        ready_ = true;
    }
    changed_.notify_all();
    if (!hwnd) return;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}

LRESULT CALLBACK CopyDataReceiver::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CopyDataReceiver*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_COPYDATA: {
        const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lp);
        const auto* first = static_cast<const uint8_t*>(data.lpData);
        CopyDataRecord record{wp, data.dwData, data.cbData,
                              first ? std::vector<uint8_t>(first, first + data.cbData) : std::vector<uint8_t>()};
        {
            std::lock_guard lock(self->mutex_);
            self->records_.push_back(std::move(record));
        }
        self->changed_.notify_all();
        return TRUE;
    }
    case kHangMessage:
        {
            std::lock_guard lock(self->mutex_);
            self->hanging_ = true;
        }
        self->changed_.notify_all();
        WaitForSingleObject(self->release_, INFINITE);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

std::vector<CopyDataRecord> CopyDataReceiver::WaitForRecords(size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kDeadlockGuard, [&] { return records_.size() >= count; });
    return records_;
}

std::vector<CopyDataRecord> CopyDataReceiver::Records() {
    std::lock_guard lock(mutex_);
    return records_;
}

void CopyDataReceiver::Hang() {
    PostMessageW(window_, kHangMessage, 0, 0);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return hanging_; });
}

void CopyDataReceiver::Release() { SetEvent(release_); }

}  // namespace lumvox::core::testing
