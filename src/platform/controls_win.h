#pragma once
// The standard controls the windows use, as small wrappers around their handles,
// made from a window's table of controls. What a control tells its parent reaches
// its handler through the window base (win::Window::On), the same in every window.
#include <windows.h>

#include <span>
#include <string>
#include <string_view>

namespace lumvox::win {

inline std::wstring Wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

// The system class and styles a control is made with; WS_CHILD is added.
struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD ex_style = 0;
};

// One row of a window's table of controls, in creation (and so z and tab) order.
struct ChildSpec {
    uint16_t id;
    ControlClass cls;
    std::u16string_view caption;
};

// Makes one control of `parent` at `bounds` (parent's client coordinates), with the
// font unless null.
HWND CreateChild(HWND parent, uint16_t id, const ControlClass& cls, std::u16string_view caption, RECT bounds,
                 HFONT font);
// Makes every control of a table, shown, at `bounds` until the window places them,
// each handle into `made` at its row's position; false when one could not be made.
bool CreateChildren(HWND parent, std::span<const ChildSpec> table, std::span<HWND> made, HFONT font,
                    RECT bounds = {});
// The handle made for `id` by CreateChildren, or null.
HWND ChildOf(std::span<const ChildSpec> table, std::span<const HWND> made, uint16_t id);

class Control {
public:
    Control() = default;
    explicit Control(HWND hwnd) : hwnd_(hwnd) {}
    HWND Handle() const { return hwnd_; }
    std::u16string Text() const;
    void SetText(std::u16string_view text) const;
    void Focus() const { SetFocus(hwnd_); }

protected:
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return SendMessageW(hwnd_, msg, wp, lp); }
    HWND hwnd_ = nullptr;
};

class Button : public Control {
public:
    using Control::Control;
    bool IsChecked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
};

class Edit : public Control {
public:
    using Control::Control;
    void RemoveLengthLimit() const;
    void PutCaret(int at) const;  // and scrolls it into view
    void AppendLine(std::u16string_view line) const;
};

class ListBox : public Control {
public:
    using Control::Control;
    void Add(std::u16string_view item) const;
    int Selected() const { return static_cast<int>(Send(LB_GETCURSEL)); }
    void Select(int index) const { Send(LB_SETCURSEL, static_cast<WPARAM>(index)); }
    int Count() const { return static_cast<int>(Send(LB_GETCOUNT)); }
    int Caret() const { return static_cast<int>(Send(LB_GETCARETINDEX)); }  // the item with the focus rectangle
};

class ComboBox : public Control {
public:
    using Control::Control;
    void Add(std::u16string_view item) const;
    int Selected() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void Select(int index) const { Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
};

// A report-style list view: rows of cells under column headings.
class ListView : public Control {
public:
    using Control::Control;
    struct Column {
        std::u16string_view caption;
        int width;
    };
    void AddColumns(std::span<const Column> columns, int dpi = 96) const;  // widths at 96 DPI
    void SetExtendedStyle(DWORD style) const;
    int Count() const;
    void AppendRow(std::span<const std::u16string_view> cells) const;
    void DeleteRow(int row) const;
    void DeleteAll() const;
    int NextSelected(int after = -1) const;
    void Select(int row) const;  // selected and focused, scrolled into view
    void SelectOnly(int row) const;  // the same, the others unselected
};

}  // namespace lumvox::win
