#pragma once
// The send log: a modeless, resizable window, owned by the main window, that
// lists every send of this run (newest last) with its time, channel, length,
// outcome, cause and warnings, and shows the selected one in full below. "복사"
// puts the selected rows on the clipboard; "저장..." writes the whole log as
// JSON lines that lumvox-send --batch replays. Made at its first opening only;
// each opening puts the focus on the newest row; Tab moves the focus through its
// controls, and Escape closes it and gives the activation back to the main window.
#include <windows.h>

#include <array>
#include <exception>
#include <functional>

#include "core/send_log.h"
#include "platform/controls_win.h"
#include "platform/handles_win.h"
#include "platform/window_win.h"

namespace lumvox::ui {

inline constexpr wchar_t kSendLogWindowClass[] = L"LumvoxWorkshopSendLog";
inline constexpr std::u16string_view kSendLogTitle = u"전송 기록";

// Control IDs inside the log window.
enum class SendLogControl : uint16_t {
    List = 301,
    Detail = 302,
    CopyButton = 303,
    SaveButton = 304,
    ListLabel = 305,    // the caption that names the list, just before it
    DetailLabel = 306,  // the same for the detail box
};

class SendLogWindow final : public win::Window {
public:
    using ErrorReport = std::function<void(const std::exception_ptr&)>;
    SendLogWindow(core::SendLog& log, ErrorReport report) : log_(log), report_(std::move(report)) {
        closes_on_escape_ = true;
    }
    ~SendLogWindow() override;

    // Creates the window on first use; shows it and brings it forward.
    bool Open(HINSTANCE instance, HWND owner);

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void ReportError(const std::exception_ptr& error) override { report_(error); }
    void OnCreate();
    void Relayout();
    void Refill();
    void AddNewest();
    void ShowDetail();
    void CopySelected();
    void SaveAll();
    HWND Item(SendLogControl id) const;
    win::ListView List() const { return win::ListView(Item(SendLogControl::List)); }

    core::SendLog& log_;
    ErrorReport report_;
    win::UniqueHfont font_;
    void Close();
    void FocusNewestRow();
    std::array<HWND, 6> controls_{};  // by position in the window's table
    HWND last_focus_ = nullptr;       // the control that had the focus when the window was left
};

}  // namespace lumvox::ui
