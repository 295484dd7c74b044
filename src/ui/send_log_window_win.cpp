#include "send_log_window_win.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "json/send_record_json.h"
#include "core/action_error.h"
#include "platform/clipboard_win.h"
#include "platform/file_dialog_win.h"
#include "platform/system_error_win.h"
#include "send_log_texts.h"

namespace lumvox::ui {
namespace {

constexpr int kMargin = 8;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 26;
constexpr int kColumnWidths[] = {90, 80, 50, 80, 360, 240};

using win::Wide;

constexpr uint16_t Id(SendLogControl id) { return static_cast<uint16_t>(id); }

constexpr int kLabelHeight = 16;

// Each caption just before what it names: assistive technology names a list or a box by it.
constexpr win::ChildSpec kControls[] = {
    {Id(SendLogControl::ListLabel), {L"STATIC", SS_LEFT | SS_NOPREFIX}, u"보낸 것 (최신이 맨 아래):"},
    {Id(SendLogControl::List), {WC_LISTVIEWW, LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_CLIENTEDGE}, u""},
    {Id(SendLogControl::DetailLabel), {L"STATIC", SS_LEFT | SS_NOPREFIX}, u"고른 전송의 자세한 내용:"},
    {Id(SendLogControl::Detail),
     {L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE},
     u""},
    {Id(SendLogControl::CopyButton), {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP}, u"복사"},
    {Id(SendLogControl::SaveButton), {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP}, u"저장..."},
};

// The send's start in local time.
SYSTEMTIME LocalStart(const core::SendRecord& record) {
    using namespace std::chrono;
    // FILETIME counts 100 ns steps since 1601; the system clock counts since 1970.
    const auto since_1970 = duration_cast<duration<long long, std::ratio<1, 10'000'000>>>(
        record.start.time_since_epoch());
    const unsigned long long ticks = static_cast<unsigned long long>(since_1970.count()) + 116444736000000000ull;
    FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    FILETIME local{};
    SYSTEMTIME time{};
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &time);
    return time;
}

std::u16string Clock(const SYSTEMTIME& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::string Iso(const SYSTEMTIME& t) {
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

std::u16string LongTime(const SYSTEMTIME& t) {
    const std::string iso = Iso(t);
    std::u16string out(iso.begin(), iso.end());
    out[10] = u' ';
    return out;
}

void AppendRow(const win::ListView& list, const LogRow& row) {
    const std::u16string_view cells[] = {row.time, row.channel, row.length, row.outcome, row.cause, row.warnings};
    list.AppendRow(cells);
}

[[noreturn]] void ThrowWriteError(std::u16string_view head, std::u16string_view path, DWORD error) {
    throw core::ActionError(std::u16string(head) + u"\"" + std::u16string(path) + u"\". " +
                            win::SystemErrorText(error));
}

}  // namespace

SendLogWindow::~SendLogWindow() { log_.SetListener(nullptr); }

bool SendLogWindow::Open(HINSTANCE instance, HWND owner) {
    if (!hwnd_) {
        static const bool registered = RegisterClassFor(ClassOf(instance, kSendLogWindowClass));
        if (!registered) return false;
        if (!CreateAttached(0, kSendLogWindowClass, Wide(kSendLogTitle).c_str(),
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, {CW_USEDEFAULT, CW_USEDEFAULT}, {820, 520}, owner,
                            nullptr, instance))
            return false;
        log_.SetListener([this] { AddNewest(); });
    }
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd_);
    FocusNewestRow();
    return true;
}

LRESULT SendLogWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_SIZE: Relayout(); return 0;
    case WM_GETMINMAXINFO: {
        auto& info = *reinterpret_cast<MINMAXINFO*>(lp);
        info.ptMinTrackSize = {360, 240};
        return 0;
    }
    case WM_CLOSE: Close(); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            if (HWND focus = GetFocus(); focus && IsChild(hwnd_, focus)) last_focus_ = focus;
        }
        return Default(msg, wp, lp);
    // The frame itself shows no focus: it goes on to the control that had it.
    case WM_SETFOCUS:
        SetFocus(last_focus_ && IsWindow(last_focus_) ? last_focus_ : Item(SendLogControl::List));
        return 0;
    }
    return Default(msg, wp, lp);
}

// Hidden, kept for the next opening. The main window is activated first: hiding
// the active window would let the system activate whichever window comes next.
void SendLogWindow::Close() {
    if (HWND owner = GetWindow(hwnd_, GW_OWNER); owner && GetActiveWindow() == hwnd_) SetActiveWindow(owner);
    ShowWindow(hwnd_, SW_HIDE);
}

// The newest send, selected alone, with the focus on it.
void SendLogWindow::FocusNewestRow() {
    const win::ListView list = List();
    const int count = list.Count();
    if (count > 0) {
        list.SelectOnly(count - 1);
        ShowDetail();
    }
    last_focus_ = list.Handle();
    if (GetActiveWindow() == hwnd_) SetFocus(list.Handle());
}

void SendLogWindow::OnCreate() {
    font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    win::CreateChildren(hwnd_, kControls, controls_, font_.get());
    const win::ListView list = List();
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    std::array<win::ListView::Column, std::size(kColumnWidths)> columns;
    for (size_t i = 0; i < columns.size(); ++i) columns[i] = {kLogColumns[i], kColumnWidths[i]};
    list.AddColumns(columns);
    On(Id(SendLogControl::CopyButton), BN_CLICKED, [this] { CopySelected(); });
    On(Id(SendLogControl::SaveButton), BN_CLICKED, [this] { SaveAll(); });
    On(Id(SendLogControl::List), LVN_ITEMCHANGED, [this](LPARAM lp) -> LRESULT {
        const auto& change = *reinterpret_cast<const NMLISTVIEW*>(lp);
        if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED)) ShowDetail();
        return 0;
    });
    Refill();
}

HWND SendLogWindow::Item(SendLogControl id) const { return win::ChildOf(kControls, controls_, Id(id)); }

void SendLogWindow::Relayout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int width = client.right - 2 * kMargin;
    const int buttons_top = client.bottom - kMargin - kButtonHeight;
    const int list_height = (buttons_top - 3 * kMargin - 2 * kLabelHeight) * 55 / 100;
    MoveWindow(Item(SendLogControl::ListLabel), kMargin, kMargin, width, kLabelHeight, TRUE);
    MoveWindow(Item(SendLogControl::List), kMargin, kMargin + kLabelHeight, width, list_height, TRUE);
    const int detail_label_top = kMargin + kLabelHeight + list_height + kMargin;
    const int detail_top = detail_label_top + kLabelHeight;
    MoveWindow(Item(SendLogControl::DetailLabel), kMargin, detail_label_top, width, kLabelHeight, TRUE);
    MoveWindow(Item(SendLogControl::Detail), kMargin, detail_top, width, buttons_top - kMargin - detail_top, TRUE);
    const int save_left = client.right - kMargin - kButtonWidth;
    MoveWindow(Item(SendLogControl::SaveButton), save_left, buttons_top, kButtonWidth, kButtonHeight, TRUE);
    MoveWindow(Item(SendLogControl::CopyButton), save_left - kMargin - kButtonWidth, buttons_top, kButtonWidth,
               kButtonHeight, TRUE);
}

void SendLogWindow::Refill() {
    const win::ListView list = List();
    SendMessageW(list.Handle(), WM_SETREDRAW, FALSE, 0);
    list.DeleteAll();
    for (const core::SendRecord& record : log_.records()) AppendRow(list, LogRowOf(record, Clock(LocalStart(record))));
    SendMessageW(list.Handle(), WM_SETREDRAW, TRUE, 0);
    const int count = static_cast<int>(log_.records().size());
    if (count > 0) list.Select(count - 1);
}

// A send just ended: its row goes last, the oldest goes when the log is full.
// The selection follows the newest row only if it was on the newest row before;
// nothing here takes the focus.
void SendLogWindow::AddNewest() {
    if (!hwnd_ || log_.records().empty()) return;
    const win::ListView list = List();
    const int before = list.Count();
    const int selected = list.NextSelected();
    const bool follow = selected < 0 || selected == before - 1;
    if (before >= static_cast<int>(core::kSendLogCapacity)) list.DeleteRow(0);
    const core::SendRecord& record = log_.records().back();
    AppendRow(list, LogRowOf(record, Clock(LocalStart(record))));
    if (follow) list.Select(list.Count() - 1);
}

void SendLogWindow::ShowDetail() {
    const int row = List().NextSelected();
    if (row < 0 || row >= static_cast<int>(log_.records().size())) return;
    const core::SendRecord& record = log_.records()[static_cast<size_t>(row)];
    win::Edit(Item(SendLogControl::Detail)).SetText(LogDetail(record, LongTime(LocalStart(record))));
}

void SendLogWindow::CopySelected() {
    const win::ListView list = List();
    std::vector<LogRow> rows;
    for (int row = -1; (row = list.NextSelected(row)) >= 0;) {
        if (row >= static_cast<int>(log_.records().size())) break;
        const core::SendRecord& record = log_.records()[static_cast<size_t>(row)];
        rows.push_back(LogRowOf(record, LongTime(LocalStart(record))));
    }
    if (rows.empty()) return;
    win::WindowClipboard(hwnd_).PlaceText(RowsAsText(rows));
}

void SendLogWindow::SaveAll() {
    const auto chosen =
        win::ChooseFile(hwnd_, {win::FileDialog::Purpose::Save, L"JSON lines (*.jsonl)\0*.jsonl\0", L"jsonl"});
    if (!chosen) return;

    std::string bytes;
    for (const core::SendRecord& record : log_.records())
        bytes += json::SendLogLine(record, Iso(LocalStart(record))) + "\n";
    win::UniqueHandle file = win::AdoptFileHandle(
        CreateFileW(Wide(*chosen).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowWriteError(u"Cannot create file ", *chosen, GetLastError());
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        ThrowWriteError(u"Cannot write file ", *chosen, GetLastError());
}

}  // namespace lumvox::ui
