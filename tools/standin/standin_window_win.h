#pragma once
// The stand-in's top-level window, titled "Lumvox": it receives the copy-data
// message, listens to the clipboard, runs the HTTP listener and lists every
// event, appending each to the log.
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "events.h"
#include "http_listener.h"
#include "options.h"
#include "platform/controls_win.h"
#include "platform/handles_win.h"
#include "platform/window_win.h"

namespace lumvox::standin {

// Appends one line per event; each line is written through at once so that
// readers see it while the stand-in runs.
class EventLog {
public:
    EventLog() = default;
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;
    bool Open(const std::wstring& path);  // empty path: no log
    void Write(const std::string& json_line);

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

class StandInWindow final : public win::Window {
public:
    StandInWindow(const Options& options, EventLog& log);
    ~StandInWindow() override;
    // Creates and shows the window; false when it could not be created.
    bool Create(HINSTANCE instance, int show);

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    void OnCreate();
    void OnReady();
    void OnSize(int width, int height);
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT& data);
    void OnClipboardUpdate();
    void OnTimer(UINT_PTR id);
    void OnReplyModeChosen();
    void OnClear();
    void OnEventChanged(const NMLISTVIEW& change);
    void OnEventCellWanted(NMLVDISPINFOW& cell);
    void OnPendingEvents();
    void OnDestroy();

    void StartListener();
    bool ReadClipboardText();
    void AddEvent(const Shown& shown, const std::string& json);
    void ListWaitingEvents();
    void ShowDetail(size_t index);
    void SetStatus();
    HWND Item(uint16_t id) const;

    Options options_;
    EventLog& log_;
    std::array<HWND, 8> controls_{};  // by position in the window's table
    win::ComboBox reply_;
    win::Control status_;
    win::Edit detail_;
    HWND events_ = nullptr;
    HWND last_focus_ = nullptr;  // the control that had the focus when the window was left
    win::UniqueHfont font_;
    // The listed events, oldest first. The list holds no text of its own: it
    // asks for a row's cells as it draws them, so listing an event costs a
    // count, not a row insert.
    struct Row {
        std::wstring cells[4];
        std::wstring detail;
    };
    std::deque<Row> rows_;
    bool list_timer_ = false;

    std::atomic<ReplyMode> reply_mode_;
    std::unique_ptr<HttpListener> listener_;
    HttpListener::Started listening_;

    // Filled by the copy-data handler and the listener's thread; emptied on the
    // window's thread, so the copy-data sender is released at once.
    std::mutex pending_mutex_;
    std::deque<CopyDataEvent> pending_copydata_;
    std::deque<HttpEvent> pending_http_;
    std::deque<RefusalEvent> pending_refusals_;

    DWORD clipboard_sequence_ = 0;
    int clipboard_retries_ = 0;
};

}  // namespace lumvox::standin
