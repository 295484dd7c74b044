#include "control_classes_win.h"

#include <commctrl.h>

#include "custom_controls_win.h"

namespace lumvox::ui {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

}  // namespace

win::ControlClass ClassFor(const ControlSpec& c) {
    const DWORD tab = (c.flags & flags::kTabStop) ? WS_TABSTOP : 0;
    switch (c.kind) {
    case Kind::PageControl: return {WC_TABCONTROLW, kChild | WS_CLIPCHILDREN | tab, 0};
    case Kind::Page:
        return {kPageClass, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (c.id == ControlId::AppPage ? DWORD{WS_VISIBLE} : DWORD{0}), 0};
    case Kind::Shape:
    case Kind::RoundedShape: break;  // painted, never created
    // Drawn as the captions were painted: no prefix characters, cut at their bounds,
    // in the colours the window gives them (OnCtlColor).
    case Kind::Label: return {L"STATIC", kChild | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
    case Kind::WrappingLabel: return {L"STATIC", kChild | SS_LEFT | SS_NOPREFIX, 0};
    case Kind::ListBox:
        return {L"LISTBOX", kChild | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | tab, WS_EX_CLIENTEDGE};
    case Kind::Memo: {
        DWORD style = kChild | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | tab;
        if (!(c.flags & flags::kWordWrap)) style |= ES_AUTOHSCROLL;
        if (c.flags & flags::kVerticalScroll) style |= WS_VSCROLL;
        return {L"EDIT", style, WS_EX_CLIENTEDGE};
    }
    case Kind::Edit: return {L"EDIT", kChild | ES_AUTOHSCROLL | tab, WS_EX_CLIENTEDGE};
    case Kind::ToolButton: return {kToolButtonClass, kChild, 0};
    case Kind::FlatToolButton: return {kToolButtonClass, kChild | kToolButtonFlat, 0};
    case Kind::CheckBox: return {L"BUTTON", kChild | BS_AUTOCHECKBOX | tab, 0};
    case Kind::ReportList:
        return {WC_LISTVIEWW, kChild | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | tab, WS_EX_CLIENTEDGE};
    case Kind::StatusLine:
        // Placed by the layout like every other control, not by its own docking.
        return {STATUSCLASSNAMEW, kChild | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0};
    }
    return {L"STATIC", kChild, 0};
}

}  // namespace lumvox::ui
