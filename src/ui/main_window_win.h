#pragma once
// The main window, of class "TfrmLumvoxMsgTest": three pages, two reference lists
// and a status line, built from the layout table. Its parts live in files by
// responsibility: main_window_win.cpp (the window: activation, pages, keys, routes,
// the page view), main_window_build_win.cpp (controls, fonts, menus, lists),
// main_window_geometry_win.cpp (sizes, relayout, snap, DPI) and
// main_window_paint_win.cpp (shapes, captions, control colours) and
// main_window_routes_win.cpp (notifications, menu choices and keys to actions).
#include <windows.h>

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/page_actions.h"
#include "core/send_log.h"
#include "commands.h"
#include "layout.h"
#include "painted_controls_win.h"
#include "platform/announce_win.h"
#include "platform/controls_win.h"
#include "platform/handles_win.h"
#include "platform/hostinfo_win.h"
#include "platform/window_win.h"

namespace lumvox::ui {

inline constexpr wchar_t kMainWindowClass[] = L"TfrmLumvoxMsgTest";

class SendLogWindow;

class MainWindow final : public win::Window, public core::PageView {
public:
    MainWindow();
    ~MainWindow() override;

    // Registers the common control classes the layout's controls are made of
    // (tabs, the report list, the status line); once per process, before Create.
    static void InitCommonControls();
    // Creates the window and every control from the layout, hidden, owned by `owner`.
    bool Create(HINSTANCE instance, HWND owner);
    // The page actions that the routes run; set before the window is shown.
    void SetPageActions(core::PageActions* actions) { actions_ = actions; }
    // The sends of this run, listed by the send log window (도구 > 전송 기록).
    void SetSendLog(core::SendLog* log) { send_log_ = log; }
    // Started before the window: the first activation takes its results.
    void SetHostFacts(win::HostFactsLookup* facts) { host_facts_ = facts; }
    // Where the window learns whether a high-contrast theme is on, asked at each
    // paint: the system unless set (Wine cannot switch one on, so its tests do).
    void SetHighContrastQuery(HighContrastQuery query) { high_contrast_query_ = query; }
    // What a key or click held back during a network send sounds like: the
    // system's default beep unless set (the tests count instead).
    void SetHeldInputSignal(std::function<void()> signal) { held_input_signal_ = std::move(signal); }

    // Centres the window in its monitor's work area and shows it in `show_state`.
    void ShowCentred(int show_state);
    // The event loop's general error report for whatever a handler threw.
    void ReportError(const std::exception_ptr& error) override;

    // PageView
    std::u16string Text(core::TextField field) override;
    void SetText(core::TextField field, std::u16string_view text) override;
    void AppendLine(core::TextField field, std::u16string_view text) override;
    bool UseProtocol() override;
    int SelectedCommandIndex() override;
    void ShowMessage(std::u16string_view text) override;
    void ShowSendState(core::SendState state, std::u16string_view words) override;
    void ShowNotice(std::u16string_view words) override;
    void RepeatSendState() override;
    std::optional<std::u16string> ChooseTextFile() override;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    bool HoldsBack(const MSG& msg) override;
    void OnDetached() override { controls_.fill(nullptr); }

    // The window (main_window_win.cpp).
    void OnActivate(WORD state);
    void OnFirstActivation();
    void UpdateStatusLine();
    void SayInStatusPart(std::u16string_view words, win::Announcement kind);
    std::u16string StatusPartText() const;
    // The network send, whose exchange runs off this thread (main_window_win.cpp).
    void StartNetworkSend();
    void OnNetworkSendEnded();
    void SetSendsAvailable(bool available);
    void OnSysCommand(WPARAM command, LPARAM lp);
    void PreferKoreanInputIn(const ControlSpec& layout);
    // Routes (main_window_routes_win.cpp): one path for a notification, a menu
    // choice and a key, with one enabled check.
    void WireRoutes();
    bool Idle() const;
    bool RunRoute(uint16_t source, UINT code);
    bool RunCommand(const CommandRow& command);
    void Run(Action action, uint16_t source);
    bool RunKeyRoute(WORD key);  // true when the key is used up
    bool InsertCommandByEnter();
    bool OnKeyPreview(WORD key, bool with_alt) override;
    void Quit();
    void ShowSendLog();
    void CheckShowingPageMarkup();
    // Pages and the Tab key.
    void ShowPage(int index);
    int ShowingPage() const;
    void FocusShowingPageText();
    bool HandleTabKey(bool backwards);
    bool SwitchPageByKey(bool backwards);

    // Building (main_window_build_win.cpp).
    bool OnCreate();
    void MakeFonts();
    void CreateControls();
    void ApplyMetrics(const ControlSpec& layout, HWND hwnd);
    void FillLists();
    void ShowControlsCreatedHidden();
    HFONT FontFor(Font font) const;
    HWND Control(ControlId id) const;
    win::Edit Field(core::TextField field) const;
    std::optional<ControlId> ControlOf(HWND hwnd) const;

    // Geometry (main_window_geometry_win.cpp).
    SIZE OuterSize() const;
    Rect Placed(const ControlSpec& layout, const RECT& client) const;
    void Relayout();
    void OnGetMinMaxInfo(MINMAXINFO& info);
    void OnMoving(RECT& rect);
    void OnDpiChanged(int dpi, const RECT& suggested);
    int Scale(int value) const { return ScaleToDpi(value, dpi_); }

    // Painting (main_window_paint_win.cpp).
    void OnPaint();
    void PaintControlsOn(HWND page, HDC dc);
    void PaintControls(Parent parent, HDC dc);
    LRESULT OnCtlColor(HDC dc, HWND control, bool button);

    std::array<HWND, kControlCount> controls_{};  // by position in the layout table
    win::UniqueHfont font_;          // Tahoma 12 px, shared by every control
    win::UniqueHfont heading_font_;  // Verdana 12 px bold, the white heading captions
    win::UniqueHfont status_font_;   // only when the window's DPI is not the system's
    int dpi_ = kLayoutDpi;
    HighContrastQuery high_contrast_query_ = &HighContrastColours;
    std::function<void()> held_input_signal_ = [] { MessageBeep(MB_OK); };
    bool activated_ = false;
    bool send_just_ended_ = false;  // a send's end was said and no action ran since
    HWND saved_focus_ = nullptr;
    core::PageActions* actions_ = nullptr;
    core::SendLog* send_log_ = nullptr;
    win::HostFactsLookup* host_facts_ = nullptr;
    std::unique_ptr<SendLogWindow> send_log_window_;  // made at its first opening
};

}  // namespace lumvox::ui
