#include "controls_win.h"

#include <commctrl.h>

namespace lumvox::win {

HWND CreateChild(HWND parent, uint16_t id, const ControlClass& cls, std::u16string_view caption, RECT bounds,
                 HFONT font) {
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    HWND hwnd = CreateWindowExW(cls.ex_style, cls.name, Wide(caption).c_str(), WS_CHILD | cls.style,
                                bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                                parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
    if (hwnd && font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return hwnd;
}

bool CreateChildren(HWND parent, std::span<const ChildSpec> table, std::span<HWND> made, HFONT font,
                    RECT bounds) {
    bool all = true;
    for (size_t i = 0; i < table.size() && i < made.size(); ++i) {
        const ChildSpec& c = table[i];
        const ControlClass shown{c.cls.name, c.cls.style | WS_VISIBLE, c.cls.ex_style};
        made[i] = CreateChild(parent, c.id, shown, c.caption, bounds, font);
        all = all && made[i];
    }
    return all && made.size() >= table.size();
}

HWND ChildOf(std::span<const ChildSpec> table, std::span<const HWND> made, uint16_t id) {
    for (size_t i = 0; i < table.size() && i < made.size(); ++i)
        if (table[i].id == id) return made[i];
    return nullptr;
}

std::u16string Control::Text() const {
    const int length = GetWindowTextLengthW(hwnd_);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    const int got = GetWindowTextW(hwnd_, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

void Control::SetText(std::u16string_view text) const { SetWindowTextW(hwnd_, Wide(text).c_str()); }

// No length limit beyond the control's largest.
void Edit::RemoveLengthLimit() const { Send(EM_SETLIMITTEXT, 0x7FFFFFFE); }

void Edit::PutCaret(int at) const {
    Send(EM_SETSEL, static_cast<WPARAM>(at), at);
    Send(EM_SCROLLCARET);
}

void Edit::AppendLine(std::u16string_view line) const {
    const auto end = static_cast<WPARAM>(GetWindowTextLengthW(hwnd_));
    Send(EM_SETSEL, end, static_cast<LPARAM>(end));
    const std::wstring text = Wide(line) + L"\r\n";
    Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void ListBox::Add(std::u16string_view item) const {
    Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
}

void ComboBox::Add(std::u16string_view item) const {
    Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
}

void ListView::AddColumns(std::span<const Column> columns, int dpi) const {
    int index = 0;
    for (const Column& c : columns) {
        std::wstring caption = Wide(c.caption);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = MulDiv(c.width, dpi, 96);
        column.pszText = caption.data();
        Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&column));
    }
}

void ListView::SetExtendedStyle(DWORD style) const { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, style, style); }

int ListView::Count() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }

void ListView::AppendRow(std::span<const std::u16string_view> cells) const {
    if (cells.empty()) return;
    const int row = Count();
    std::wstring text = Wide(cells[0]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = text.data();
    Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (size_t column = 1; column < cells.size(); ++column) {
        text = Wide(cells[column]);
        item.iSubItem = static_cast<int>(column);
        item.pszText = text.data();
        Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
}

void ListView::DeleteRow(int row) const { Send(LVM_DELETEITEM, static_cast<WPARAM>(row)); }

void ListView::DeleteAll() const { Send(LVM_DELETEALLITEMS); }

int ListView::NextSelected(int after) const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}

void ListView::SelectOnly(int row) const {
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    Select(row);
}

void ListView::Select(int row) const {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

}  // namespace lumvox::win
