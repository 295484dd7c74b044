#pragma once
// Module lumvox::ui: the main window frmLumvoxMsgTest of class MainWindow.
#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/page_actions.h"
#include "layout.h"
#include "platform/handles_win.h"

namespace lumvox::ui {

using lumvox::win::UniqueHfont;

inline constexpr wchar_t kMainWindowClass[] = L"TfrmLumvoxMsgTest";

class MainWindow final : public lumvox::core::PageView {
public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    // Creates the window and every control from the layout, hidden, owned by `owner`.
    bool Create(HINSTANCE instance, HWND owner);
    void Destroy();
    HWND Handle() const { return hwnd_; }
    // The page actions that the handlers run; set before the window is shown.
    void SetPageActions(lumvox::core::PageActions* actions) { actions_ = actions; }

    // Centres the window in its monitor's work area and shows it in `show_state`.
    void ShowCentred(int show_state);
    // Key preview, called by the event loop before a message is dispatched. True
    // when the message was used up (Tab navigation); F8 and F9 still go on.
    bool PreviewMessage(const MSG& msg);
    // The event loop's general error report for whatever a handler threw.
    void ReportError(const std::exception_ptr& error);

    // PageView
    std::u16string Text(lumvox::core::TextField field) override;
    void SetText(lumvox::core::TextField field, std::u16string_view text) override;
    void AppendLine(lumvox::core::TextField field, std::u16string_view text) override;
    bool UseProtocol() override;
    int SelectedCommandIndex() override;
    void ShowMessage(std::u16string_view text) override;
    std::optional<std::u16string> ChooseTextFile() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    // Handlers named as the design names them.
    void OnFirstActivation();
    void UpdateStatusLine();
    void FocusShowingPageText();
    void RunKeyAction(WORD& key);
    void Quit();
    void SendToApp();
    void SendOverNetwork();
    void PreviewNetworkText();
    void CopyToClipboard();
    void ClearClipText();
    void UseProtocolToggled();
    void InsertSample(size_t index);
    void InsertSelectedCommand();
    void ClearAppText();
    void LoadTextFile();

    // Window messages.
    bool OnCreate();
    void OnActivate(WORD state);
    void OnCommand(WORD id, WORD code);
    LRESULT OnNotify(const NMHDR& header);
    LRESULT OnCtlColor(HDC dc, bool button);
    void OnGetMinMaxInfo(MINMAXINFO& info);
    void OnPaint();
    void PaintControlsOn(HWND page, HDC dc);
    void PaintControls(Parent parent, HDC dc);
    void OnMoving(RECT& rect);
    void OnDpiChanged(int dpi, const RECT& suggested);
    void OnSysCommand(WPARAM command, LPARAM lp);

    SIZE OuterSize() const;
    void MakeFonts();
    void CreateControls();
    HFONT FontFor(Font font) const;
    void ApplyMetrics(const ControlSpec& layout, HWND hwnd);
    void FillLists();
    Rect Placed(const ControlSpec& layout, const RECT& client) const;
    void Relayout();
    void ShowPage(int index);
    int ShowingPage() const;
    bool HandleTabKey(bool backwards);
    bool SwitchPageByKey(bool backwards);
    void ApplyInputMethodPreference(bool focused);
    void Guarded(const std::function<void()>& handler);
    template <class Method> void RunAction(Method method);

    int Scale(int value) const { return ScaleToDpi(value, dpi_); }
    HWND Control(ControlId id) const;
    HWND Field(lumvox::core::TextField field) const;
    std::optional<ControlId> ControlOf(HWND hwnd) const;

    HWND hwnd_ = nullptr;
    std::array<HWND, 64> controls_{};  // by position in the layout table
    UniqueHfont font_;          // Tahoma 12 px, shared by every control
    UniqueHfont heading_font_;  // Verdana 12 px bold, the white heading captions
    UniqueHfont status_font_;   // only when the window's DPI is not the system's
    int dpi_ = kLayoutDpi;
    bool activated_ = false;
    HWND saved_focus_ = nullptr;
    lumvox::core::PageActions* actions_ = nullptr;
};

}  // namespace lumvox::ui
