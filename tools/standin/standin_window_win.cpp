#include "standin_window_win.h"

#include <commctrl.h>

#include <algorithm>

#include "core/utf.h"
#include "platform/handles_win.h"
#include "window_texts.h"

namespace lumvox::standin {
namespace {

constexpr wchar_t kClassName[] = L"LumvoxStandIn";
constexpr wchar_t kTitle[] = L"Lumvox";  // what the workshop looks for

constexpr UINT WM_APP_PENDING = WM_APP + 1;
constexpr UINT WM_APP_READY = WM_APP + 2;
constexpr UINT_PTR kClipboardRetryTimer = 1;
// Events are logged at once and listed in a batch a moment later: the list and
// the detail take milliseconds an event under Wine, and a copy-data sender that
// waits on this thread gives up after 10 ms.
constexpr UINT_PTR kListTimer = 2;
constexpr UINT kListDelayMs = 50;
// Another program may still hold the clipboard open when the update arrives.
constexpr UINT kClipboardRetryMs = 20;
constexpr int kClipboardMaxRetries = 50;
constexpr size_t kListTextChars = 200;
// The window lists the newest events only, so that a long run keeps its memory
// and the list stays quick; the log has every event.
constexpr size_t kListedEvents = 1000;

// The controls' IDs, in the order of the table below. The captions come from
// the system language's texts when the window is created.
enum : uint16_t { kReplyLabel = 101, kReply, kStatus, kClear, kEvents, kDetail, kEventsLabel, kDetailLabel };

constexpr win::ChildSpec kControls[] = {
    {kReplyLabel, {L"STATIC", SS_LEFT}, u""},
    {kReply, {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL}, u""},
    {kStatus, {L"STATIC", SS_LEFT | SS_ENDELLIPSIS}, u""},
    {kClear, {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP}, u""},
    // Each caption just before what it names: assistive technology names a list or a box by it.
    {kEventsLabel, {L"STATIC", SS_LEFT | SS_NOPREFIX}, u""},
    {kEvents,
     {WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
      WS_EX_CLIENTEDGE},
     u""},
    {kDetailLabel, {L"STATIC", SS_LEFT | SS_NOPREFIX}, u""},
    {kDetail, {L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE}, u""},
};

// The window's words follow the system's language.
const WindowTexts& Texts() {
    static const WindowTexts& texts = TextsIn(LanguageOf(GetUserDefaultUILanguage()));
    return texts;
}

enum Column : int { kColTime, kColChannel, kColSummary, kColText };
struct ColumnSpec {
    std::string_view WindowTexts::*caption;
    int width;
};
constexpr ColumnSpec kColumns[] = {{&WindowTexts::column_time, 100}, {&WindowTexts::column_channel, 80},
                                   {&WindowTexts::column_details, 250}, {&WindowTexts::column_text, 420}};

std::u16string Utf16(std::string_view utf8) {
    std::u16string text;
    lumvox::core::AppendUtf8AsUtf16(utf8, text);
    return text;
}

std::wstring Wide(std::string_view utf8) { return win::Wide(Utf16(utf8)); }

LocalTime Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

bool FontExists(const wchar_t* face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(query.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    win::WindowDc screen(nullptr);
    EnumFontFamiliesExW(
        screen.dc(), &query,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// Malgun Gothic holds Hangul itself; Tahoma reaches it through font linking.
HFONT CreateUiFont() {
    const wchar_t* face = FontExists(L"Malgun Gothic") ? L"Malgun Gothic" : L"Tahoma";
    const int height = -MulDiv(10, GetDeviceCaps(win::WindowDc(nullptr).dc(), LOGPIXELSY), 72);
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

}  // namespace

EventLog::~EventLog() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool EventLog::Open(const std::wstring& path) {
    if (path.empty()) return true;
    // Shared so that scripts and tests can read it while the stand-in runs.
    file_ = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file_ != INVALID_HANDLE_VALUE;
}

void EventLog::Write(const std::string& json_line) {
    if (file_ == INVALID_HANDLE_VALUE) return;
    std::string line = json_line + "\n";
    DWORD written = 0;
    WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

StandInWindow::StandInWindow(const Options& options, EventLog& log)
    : options_(options), log_(log), reply_mode_(options.reply) {}

StandInWindow::~StandInWindow() { Destroy(); }

bool StandInWindow::Create(HINSTANCE instance, int show) {
    if (!RegisterClassFor(ClassOf(instance, kClassName))) return false;
    if (!CreateAttached(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, {CW_USEDEFAULT, CW_USEDEFAULT}, {980, 620},
                        nullptr, nullptr, instance))
        return false;
    ShowWindow(hwnd_, show);
    UpdateWindow(hwnd_);
    return true;
}

LRESULT StandInWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_SIZE: OnSize(LOWORD(lp), HIWORD(lp)); return 0;
    case WM_COPYDATA: return OnCopyData(reinterpret_cast<HWND>(wp), *reinterpret_cast<const COPYDATASTRUCT*>(lp));
    case WM_CLIPBOARDUPDATE: OnClipboardUpdate(); return 0;
    case WM_TIMER: OnTimer(wp); return 0;
    case WM_APP_PENDING: OnPendingEvents(); return 0;
    case WM_APP_READY: OnReady(); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            if (HWND focus = GetFocus(); focus && IsChild(hwnd_, focus)) last_focus_ = focus;
        }
        return Default(msg, wp, lp);
    // The frame itself shows no focus: it goes on to the control that had it, at
    // first to the first control, as in a dialog box.
    case WM_SETFOCUS: SetFocus(last_focus_ && IsWindow(last_focus_) ? last_focus_ : Item(kReply)); return 0;
    }
    return Default(msg, wp, lp);
}

void StandInWindow::OnCreate() {
    font_.reset(CreateUiFont());
    win::CreateChildren(hwnd_, kControls, controls_, font_.get(), {0, 0, 10, 10});
    win::Control(Item(kReplyLabel)).SetText(Utf16(Texts().reply_label));
    win::Control(Item(kClear)).SetText(Utf16(Texts().clear));
    win::Control(Item(kEventsLabel)).SetText(Utf16(Texts().events_label));
    win::Control(Item(kDetailLabel)).SetText(Utf16(Texts().detail_label));
    reply_ = win::ComboBox(Item(kReply));
    status_ = win::Control(Item(kStatus));
    events_ = Item(kEvents);
    detail_ = win::Edit(Item(kDetail));
    for (std::string_view mode : Texts().reply_modes) reply_.Add(Utf16(mode));
    reply_.Select(static_cast<int>(options_.reply));
    ListView_SetExtendedListViewStyle(events_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    std::u16string captions[std::size(kColumns)];
    win::ListView::Column columns[std::size(kColumns)];
    for (size_t i = 0; i < std::size(kColumns); ++i) {
        captions[i] = Utf16(Texts().*kColumns[i].caption);
        columns[i] = {captions[i], kColumns[i].width};
    }
    win::ListView(events_).AddColumns(columns);
    SendMessageW(detail_.Handle(), EM_SETLIMITTEXT, 0, 0);
    On(kReply, CBN_SELCHANGE, [this] { OnReplyModeChosen(); });
    On(kClear, BN_CLICKED, [this] { OnClear(); });
    On(kEvents, LVN_ITEMCHANGED, [this](LPARAM lp) -> LRESULT {
        OnEventChanged(*reinterpret_cast<const NMLISTVIEW*>(lp));
        return 0;
    });
    On(kEvents, LVN_GETDISPINFOW, [this](LPARAM lp) -> LRESULT {
        OnEventCellWanted(*reinterpret_cast<NMLVDISPINFOW*>(lp));
        return 0;
    });

    clipboard_sequence_ = GetClipboardSequenceNumber();
    AddClipboardFormatListener(hwnd_);
    StartListener();
    SetStatus();
    PostMessageW(hwnd_, WM_APP_READY, 0, 0);
}

// Reported once the message loop runs and the window is painted: a copy-data
// sender gives up after 10 ms, so senders should find the window's thread idle.
void StandInWindow::OnReady() {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    log_.Write(ReadyJson(Now(), options_.address, listening_.port, listening_.error.empty(), reply_mode_));
}

void StandInWindow::StartListener() {
    HWND hwnd = hwnd_;
    listener_ = std::make_unique<HttpListener>([this] { return reply_mode_.load(); },
                                               [this, hwnd](HttpArrival arrival) {
                                                   {
                                                       std::lock_guard lock(pending_mutex_);
                                                       pending_http_.push_back({Now(), std::move(arrival.peer),
                                                                                arrival.reply, std::move(arrival.head)});
                                                   }
                                                   PostMessageW(hwnd, WM_APP_PENDING, 0, 0);
                                               },
                                               [this, hwnd](HttpRefusal refusal) {
                                                   {
                                                       std::lock_guard lock(pending_mutex_);
                                                       pending_refusals_.push_back(
                                                           {Now(), std::move(refusal.peer), refusal.reason,
                                                            std::move(refusal.detail), refusal.received,
                                                            std::move(refusal.start)});
                                                   }
                                                   PostMessageW(hwnd, WM_APP_PENDING, 0, 0);
                                               },
                                               ConnectionLimits{options_.max_connections,
                                                                std::chrono::seconds(options_.idle_limit_s)});
    listening_ = listener_->Start(options_.address, options_.port);
    if (!listening_.error.empty()) {
        listener_.reset();
        log_.Write(ListenErrorJson(Now(), options_.address, options_.port, listening_.error));
    }
}

void StandInWindow::SetStatus() {
    std::string status;
    if (listening_.error.empty()) {
        std::string host = options_.address.find(':') != std::string::npos ? "[" + options_.address + "]"
                                                                             : options_.address;
        status = std::string(Texts().http_on) + host + ":" + std::to_string(listening_.port);
    } else {
        status = std::string(Texts().http_off) + options_.address + ":" + std::to_string(options_.port) + " (" +
                 ValidUtf8(listening_.error) + ")";
    }
    status += "   |   " + (options_.log_path.empty() ? std::string(Texts().no_log)
                                                    : std::string(Texts().log) + lumvox::core::ToUtf8Lossy(options_.log_path));
    status_.SetText(Utf16(status));
}

void StandInWindow::OnSize(int width, int height) {
    constexpr int kMargin = 8, kRow = 26, kGap = 6, kLabel = 18;
    int top = kMargin + kRow + kGap;
    int below = std::max(0, height - top - kMargin - kGap - 2 * kLabel);
    int list_height = below * 11 / 20;
    HDWP batch = BeginDeferWindowPos(8);
    auto place = [&](uint16_t id, int x, int y, int w, int h) {
        batch = DeferWindowPos(batch, Item(id), nullptr, x, y, std::max(w, 0), std::max(h, 0),
                               SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(kReplyLabel, kMargin, kMargin + 4, 110, 20);
    place(kReply, kMargin + 114, kMargin, 220, 200);
    place(kClear, width - kMargin - 80, kMargin, 80, kRow);
    place(kStatus, kMargin + 346, kMargin + 4, width - kMargin - 80 - 10 - (kMargin + 346), 20);
    place(kEventsLabel, kMargin, top, width - 2 * kMargin, kLabel);
    place(kEvents, kMargin, top + kLabel, width - 2 * kMargin, list_height);
    const int detail_top = top + kLabel + list_height + kGap;
    place(kDetailLabel, kMargin, detail_top, width - 2 * kMargin, kLabel);
    place(kDetail, kMargin, detail_top + kLabel, width - 2 * kMargin, below - list_height);
    EndDeferWindowPos(batch);
    // The text column takes what the others leave.
    ListView_SetColumnWidth(events_, kColText, LVSCW_AUTOSIZE_USEHEADER);
}

LRESULT StandInWindow::OnCopyData(HWND sender, const COPYDATASTRUCT& data) {
    CopyDataEvent event{Now(), reinterpret_cast<uint64_t>(sender), data.dwData,
                        std::string(static_cast<const char*>(data.lpData), data.lpData ? data.cbData : 0)};
    {
        std::lock_guard lock(pending_mutex_);
        pending_copydata_.push_back(std::move(event));
    }
    // Shown and logged after returning: the workshop waits only 10 ms.
    PostMessageW(hwnd_, WM_APP_PENDING, 0, 0);
    return TRUE;
}

void StandInWindow::OnPendingEvents() {
    std::deque<CopyDataEvent> copydata;
    std::deque<HttpEvent> http;
    std::deque<RefusalEvent> refusals;
    {
        std::lock_guard lock(pending_mutex_);
        copydata.swap(pending_copydata_);
        http.swap(pending_http_);
        refusals.swap(pending_refusals_);
    }
    for (const auto& e : copydata) AddEvent(Show(e), ToJson(e));
    for (const auto& e : http) AddEvent(Show(e), ToJson(e));
    for (const auto& e : refusals) AddEvent(Show(e), ToJson(e));
}

void StandInWindow::OnClipboardUpdate() {
    clipboard_retries_ = 0;
    if (!ReadClipboardText()) SetTimer(hwnd_, kClipboardRetryTimer, kClipboardRetryMs, nullptr);
}

void StandInWindow::OnTimer(UINT_PTR id) {
    if (id == kListTimer) {
        KillTimer(hwnd_, kListTimer);
        list_timer_ = false;
        return ListWaitingEvents();
    }
    if (id != kClipboardRetryTimer) return;
    if (ReadClipboardText() || ++clipboard_retries_ >= kClipboardMaxRetries) KillTimer(hwnd_, kClipboardRetryTimer);
}

// Reads without emptying or placing anything, so the clipboard stays as it is.
// The sequence number is taken while the clipboard is open, so that it names
// the very item read. False when another program holds the clipboard open.
bool StandInWindow::ReadClipboardText() {
    ClipboardEvent event{Now(), 0, {}};
    {
        win::OpenedClipboard clipboard(hwnd_);
        if (!clipboard) return false;
        event.sequence = GetClipboardSequenceNumber();
        if (event.sequence == clipboard_sequence_) return true;
        clipboard_sequence_ = event.sequence;
        HANDLE data = IsClipboardFormatAvailable(CF_UNICODETEXT) ? GetClipboardData(CF_UNICODETEXT) : nullptr;
        if (!data) return true;
        win::LockedGlobal locked(data);
        const auto* text = static_cast<const char16_t*>(locked.data());
        if (!text) return true;
        const size_t capacity = locked.size() / sizeof(char16_t);
        event.text.assign(text, std::find(text, text + capacity, u'\0'));
    }
    AddEvent(Show(event), ToJson(event));
    return true;
}

void StandInWindow::OnReplyModeChosen() {
    const int index = reply_.Selected();
    if (index < 0 || index >= static_cast<int>(std::size(kReplyModes))) return;
    reply_mode_ = kReplyModes[index];
    log_.Write(ReplyChangedJson(Now(), reply_mode_));
}

void StandInWindow::OnClear() {
    rows_.clear();
    ListView_SetItemCount(events_, 0);
    detail_.SetText(u"");
}

void StandInWindow::OnEventChanged(const NMLISTVIEW& change) {
    if ((change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED) && change.iItem >= 0)
        ShowDetail(change.iItem);
}

// The list holds no text: it asks for each cell as it draws it.
void StandInWindow::OnEventCellWanted(NMLVDISPINFOW& cell) {
    LVITEMW& item = cell.item;
    if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && static_cast<size_t>(item.iItem) < rows_.size() &&
        item.iSubItem >= 0 && item.iSubItem < static_cast<int>(std::size(kColumns)))
        item.pszText = rows_[item.iItem].cells[item.iSubItem].data();
}

HWND StandInWindow::Item(uint16_t id) const { return win::ChildOf(kControls, controls_, id); }

void StandInWindow::AddEvent(const Shown& shown, const std::string& json) {
    log_.Write(json);
    if (rows_.size() == kListedEvents) rows_.pop_front();
    rows_.push_back({{Wide(ClockTime(Now())), Wide(shown.channel), Wide(shown.summary),
                      Wide(OneLine(shown.text, kListTextChars))},
                     Wide(WithCrLf(shown.detail))});
    if (!list_timer_) list_timer_ = SetTimer(hwnd_, kListTimer, kListDelayMs, nullptr) != 0;
    if (!list_timer_) ListWaitingEvents();
}

void StandInWindow::ListWaitingEvents() {
    if (rows_.empty()) return;
    int newest = static_cast<int>(rows_.size()) - 1;
    ListView_SetItemCountEx(events_, rows_.size(), LVSICF_NOSCROLL);
    // The newest event is selected, which shows its detail.
    ListView_SetItemState(events_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(events_, newest, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ShowDetail(newest);
    ListView_EnsureVisible(events_, newest, FALSE);
    InvalidateRect(events_, nullptr, FALSE);
}

void StandInWindow::ShowDetail(size_t index) {
    if (index < rows_.size()) SetWindowTextW(detail_.Handle(), rows_[index].detail.c_str());
}

void StandInWindow::OnDestroy() {
    // The listener's thread posts to this window: it ends first.
    listener_.reset();
    RemoveClipboardFormatListener(hwnd_);
    KillTimer(hwnd_, kClipboardRetryTimer);
    KillTimer(hwnd_, kListTimer);
    PostQuitMessage(0);
}

}  // namespace lumvox::standin
