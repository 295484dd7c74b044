#include "send_log_window_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "json/send_record_json.h"
#include "core/action_error.h"
#include "platform/clipboard_win.h"
#include "platform/system_error_win.h"
#include "send_log_texts.h"

namespace lumvox::ui {
namespace {

constexpr int kMargin = 8;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 26;
constexpr int kColumnWidths[] = {90, 80, 50, 80, 360, 240};

std::wstring Wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

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

void SetCell(HWND list, int row, int column, const std::u16string& text) {
    std::wstring wide = Wide(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void AppendRow(HWND list, const LogRow& row) {
    const int index = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    std::wstring time = Wide(row.time);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = time.data();
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    const std::u16string* cells[] = {&row.channel, &row.length, &row.outcome, &row.cause, &row.warnings};
    for (int column = 1; column <= 5; ++column) SetCell(list, index, column, *cells[column - 1]);
}

int SelectedRow(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED)); }

void SelectRow(HWND list, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
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
    case WM_COMMAND:
        if (HIWORD(wp) != BN_CLICKED) break;
        if (LOWORD(wp) == static_cast<WORD>(SendLogControl::CopyButton)) CopySelected();
        if (LOWORD(wp) == static_cast<WORD>(SendLogControl::SaveButton)) SaveAll();
        return 0;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lp);
        if (header.idFrom == static_cast<UINT_PTR>(SendLogControl::List) && header.code == LVN_ITEMCHANGED) {
            const auto& change = *reinterpret_cast<const NMLISTVIEW*>(lp);
            if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED)) ShowDetail();
        }
        return 0;
    }
    case WM_CLOSE: ShowWindow(hwnd_, SW_HIDE); return 0;  // kept, with its selection, for the next opening
    }
    return Default(msg, wp, lp);
}

void SendLogWindow::OnCreate() {
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    auto make = [&](DWORD ex, const wchar_t* cls, const wchar_t* text, DWORD style, SendLogControl id) {
        HWND child = CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                                     reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return child;
    };
    HWND list = make(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP,
                     SendLogControl::List);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 6; ++i) {
        std::wstring caption = Wide(kLogColumns[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = kColumnWidths[i];
        column.pszText = caption.data();
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    make(WS_EX_CLIENTEDGE, L"EDIT", L"", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
         SendLogControl::Detail);
    make(0, L"BUTTON", L"복사", BS_PUSHBUTTON | WS_TABSTOP, SendLogControl::CopyButton);
    make(0, L"BUTTON", L"저장...", BS_PUSHBUTTON | WS_TABSTOP, SendLogControl::SaveButton);
    Refill();
}

void SendLogWindow::Relayout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int width = client.right - 2 * kMargin;
    const int buttons_top = client.bottom - kMargin - kButtonHeight;
    const int list_height = (buttons_top - 3 * kMargin) * 55 / 100;
    const int detail_top = kMargin + list_height + kMargin;
    MoveWindow(Item(SendLogControl::List), kMargin, kMargin, width, list_height, TRUE);
    MoveWindow(Item(SendLogControl::Detail), kMargin, detail_top, width, buttons_top - kMargin - detail_top, TRUE);
    const int save_left = client.right - kMargin - kButtonWidth;
    MoveWindow(Item(SendLogControl::SaveButton), save_left, buttons_top, kButtonWidth, kButtonHeight, TRUE);
    MoveWindow(Item(SendLogControl::CopyButton), save_left - kMargin - kButtonWidth, buttons_top, kButtonWidth,
               kButtonHeight, TRUE);
}

void SendLogWindow::Refill() {
    HWND list = Item(SendLogControl::List);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (const core::SendRecord& record : log_.records()) AppendRow(list, LogRowOf(record, Clock(LocalStart(record))));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    const int count = static_cast<int>(log_.records().size());
    if (count > 0) SelectRow(list, count - 1);
}

// A send just ended: its row goes last, the oldest goes when the log is full.
// The selection follows the newest row only if it was on the newest row before;
// nothing here takes the focus.
void SendLogWindow::AddNewest() {
    if (!hwnd_ || log_.records().empty()) return;
    HWND list = Item(SendLogControl::List);
    const int before = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const int selected = SelectedRow(list);
    const bool follow = selected < 0 || selected == before - 1;
    if (before >= static_cast<int>(core::kSendLogCapacity)) SendMessageW(list, LVM_DELETEITEM, 0, 0);
    const core::SendRecord& record = log_.records().back();
    AppendRow(list, LogRowOf(record, Clock(LocalStart(record))));
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    if (follow) SelectRow(list, count - 1);
}

void SendLogWindow::ShowDetail() {
    const int row = SelectedRow(Item(SendLogControl::List));
    if (row < 0 || row >= static_cast<int>(log_.records().size())) return;
    const core::SendRecord& record = log_.records()[static_cast<size_t>(row)];
    SetWindowTextW(Item(SendLogControl::Detail), Wide(LogDetail(record, LongTime(LocalStart(record)))).c_str());
}

void SendLogWindow::CopySelected() {
    HWND list = Item(SendLogControl::List);
    std::vector<LogRow> rows;
    for (int row = -1; (row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;) {
        if (row >= static_cast<int>(log_.records().size())) break;
        const core::SendRecord& record = log_.records()[static_cast<size_t>(row)];
        rows.push_back(LogRowOf(record, LongTime(LocalStart(record))));
    }
    if (rows.empty()) return;
    win::WindowClipboard(hwnd_).PlaceText(RowsAsText(rows));
}

void SendLogWindow::SaveAll() {
    std::vector<wchar_t> path(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd_;
    dialog.lpstrFilter = L"JSON lines (*.jsonl)\0*.jsonl\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = L"jsonl";
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT;
    // As for the open-file dialog: its library is loaded at the first save, not at start-up.
    static const auto save_file_name = [] {
        HMODULE library = LoadLibraryW(L"comdlg32.dll");
        return reinterpret_cast<BOOL(WINAPI*)(OPENFILENAMEW*)>(
            reinterpret_cast<void*>(library ? GetProcAddress(library, "GetSaveFileNameW") : nullptr));
    }();
    if (!save_file_name || !save_file_name(&dialog)) return;
    const std::u16string chosen(reinterpret_cast<const char16_t*>(path.data()));

    std::string bytes;
    for (const core::SendRecord& record : log_.records())
        bytes += json::SendLogLine(record, Iso(LocalStart(record))) + "\n";
    win::UniqueHandle file = win::AdoptFileHandle(
        CreateFileW(path.data(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowWriteError(u"Cannot create file ", chosen, GetLastError());
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        ThrowWriteError(u"Cannot write file ", chosen, GetLastError());
}

}  // namespace lumvox::ui
