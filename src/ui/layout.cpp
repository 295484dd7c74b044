#include "layout.h"

#include <algorithm>
#include <array>

namespace lumvox::ui {
namespace {

using enum ControlId;
using namespace flags;

constexpr uint32_t kLightYellow = 0xFBF0B3;  // RGB(251,240,179)
constexpr uint32_t kLightGreen = 0xE7FFB3;   // RGB(231,255,179)
constexpr uint32_t kLightGrey = 0xE6E6E6;    // RGB(230,230,230)
constexpr uint32_t kGrey = 0x808080;         // RGB(128,128,128)
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kSteelBlue = 0x2F7CA6;  // RGB(47,124,166)

// The pages fill the page control's display area: 626 x (283 + d) inside 634 x (312 + d).
constexpr Rect kPageBounds{4, 25, 626, 283};

constexpr ControlSpec kControls[] = {
    {PageTabs, "PageControl1", Parent::Window, Kind::PageControl, {0, 8, 634, 312}, Resize::Stretches, u"", kTabStop},
    {AppPage, "TabSheet1", Parent::PageControl, Kind::Page, kPageBounds, Resize::Stretches, u"어플리케이션 수신 모드에 메세지 보내기"},
    {NetPage, "TabSheet2", Parent::PageControl, Kind::Page, kPageBounds, Resize::Stretches, u"네트워크 수신 모드에 메세지 보내기"},
    {ClipPage, "TabSheet3", Parent::PageControl, Kind::Page, kPageBounds, Resize::Stretches, u"클립보드 TTS 모드"},

    {AppIntroShape, "Shape2", Parent::AppPage, Kind::Shape, {16, 8, 600, 43}, Resize::Fixed, u"", 0, Font::Window, kNoColour, kLightYellow, kLightYellow},
    {CommandListLabel, "Label1", Parent::AppPage, Kind::Label, {16, 64, 82, 14}, Resize::Fixed, u"Lumvox 명령어", 0, Font::Window, kSteelBlue},
    {CommandList, "ListBox1", Parent::AppPage, Kind::ListBox, {16, 87, 85, 186}, Resize::Stretches, u"", kTabStop | kKoreanInput},
    // The intro names the text box below it, having no caption of its own: so it comes just before it.
    {AppIntroLabel, "Label8", Parent::AppPage, Kind::WrappingLabel, {52, 15, 522, 28}, Resize::Fixed,
     u"Lumvox의 [어플리케이션 수신 모드]를 작동시키면, 같은 컴퓨터(로컬)에 설치된 다른 프로그램이 보낸 메세지를 받아 읽어줍니다.",
     0, Font::Window, kNoColour, kLightYellow},
    {AppText, "memoAppMode", Parent::AppPage, Kind::Memo, {124, 64, 492, 182}, Resize::Stretches, u"", kVerticalScroll | kKoreanInput},
    {AppSendButton, "sbtnSayRemoteMode", Parent::AppPage, Kind::ToolButton, {124, 253, 368, 24}, Resize::Moves, u"보내기   (F8)"},
    {AppClearButton, "SpeedButton2", Parent::AppPage, Kind::ToolButton, {514, 253, 102, 24}, Resize::Moves, u"비우기"},

    {NetIntroShape, "Shape3", Parent::NetPage, Kind::Shape, {13, 8, 600, 43}, Resize::Fixed, u"", 0, Font::Window, kNoColour, kLightGreen, kLightGreen},
    {NetIntroLabel, "Label9", Parent::NetPage, Kind::WrappingLabel, {80, 15, 465, 28}, Resize::Fixed,
     u"Lumvox의 [네트워크 수신 모드]를 작동시키면, 네트워크(LAN/WAN)에 연결되어 있는 다른 컴퓨터에서 보낸 메세지를 읽어줍니다.",
     0, Font::Window, kNoColour, kLightGreen},
    {NetProtocolLabel, "Label7", Parent::NetPage, Kind::Label, {61, 58, 492, 14}, Resize::Fixed,
     u"[네트워크 수신 모드]로 보내는 메시지는 정해진 프로토콜(문자)로 감싸서 만들어야 합니다."},
    {NetRelayShape, "Shape5", Parent::NetPage, Kind::Shape, {13, 81, 600, 43}, Resize::Fixed, u"", 0, Font::Window, kNoColour, kLightGreen, kLightGreen},
    {NetRelayLabel, "Label11", Parent::NetPage, Kind::WrappingLabel, {41, 89, 544, 28}, Resize::Fixed,
     u"Lumvox의 [네트워크 송신 모드]를 작동시키면, [어플리케이션 수신 모드] 나 [네트워크 수신 모드]로 받은 메세지를 네트워크(LAN/WAN)에 연결되어 있는 다른 컴퓨터로 보낼 수 있습니다.",
     0, Font::Window, kNoColour, kLightGreen},
    {NetHostLabel, "Label4", Parent::NetPage, Kind::Label, {17, 141, 67, 14}, Resize::Fixed, u"보낼 곳의 IP"},
    {NetHostEdit, "edIPtoSend", Parent::NetPage, Kind::Edit, {95, 138, 121, 22}, Resize::Fixed, u"", kTabStop | kKoreanInput},
    {NetPortLabel, "Label5", Parent::NetPage, Kind::Label, {243, 141, 23, 14}, Resize::Fixed, u"Port"},
    {NetPortEdit, "edPorttoSend", Parent::NetPage, Kind::Edit, {283, 138, 58, 22}, Resize::Fixed, u"7070", kTabStop | kKoreanInput},
    {NetPreviewButton, "SpeedButton5", Parent::NetPage, Kind::FlatToolButton, {360, 138, 237, 22}, Resize::Fixed, u"보낼 메시지 미리보기 (with Protocol)"},
    {NetTextLabel, "Label6", Parent::NetPage, Kind::Label, {48, 166, 36, 14}, Resize::Fixed, u"메세지"},
    {NetText, "MemoIPSend", Parent::NetPage, Kind::Memo, {95, 166, 502, 74}, Resize::Stretches, u"", kTabStop | kVerticalScroll | kKoreanInput},
    {NetSendButton, "btnSendOverIP", Parent::NetPage, Kind::ToolButton, {95, 250, 502, 24}, Resize::Moves, u"보내기   (F9)"},

    {ClipIntroShape, "Shape6", Parent::ClipPage, Kind::Shape, {13, 8, 600, 43}, Resize::Fixed, u"", 0, Font::Window, kNoColour, kLightGrey, kLightYellow},
    {ClipIntroLabel, "Label2", Parent::ClipPage, Kind::Label, {43, 22, 539, 14}, Resize::Fixed,
     u"Lumvox 환경설정에서 [클립보드 TTS] 기능을 켜면 지정한 시간마다 클립보드의 텍스트를 읽습니다.", 0, Font::Window, kNoColour, kLightGrey},
    {ClipText, "memoClipboardTTS", Parent::ClipPage, Kind::Memo, {13, 64, 600, 179}, Resize::Stretches, u"", kTabStop | kWordWrap},
    {UseProtocolCheck, "ckbUseProtocol", Parent::ClipPage, Kind::CheckBox, {13, 254, 97, 17}, Resize::Moves, u"프로토콜 사용", kTabStop},
    {ClipCopyButton, "sbtnCopyTextToClipboard", Parent::ClipPage, Kind::ToolButton, {122, 252, 373, 24}, Resize::Moves, u"클립보드로 복사하기"},
    {ClipClearButton, "sbtnEmptyMemoClipboardTTS", Parent::ClipPage, Kind::ToolButton, {513, 252, 100, 24}, Resize::Moves, u"비우기"},

    {MarkupHeadingShape, "Shape1", Parent::Window, Kind::RoundedShape, {128, 333, 220, 50}, Resize::Moves, u"", 0, Font::Window, kNoColour, kGrey, kBlack},
    {MarkupHeadingLabel, "Label3", Parent::Window, Kind::Label, {174, 343, 131, 14}, Resize::Moves, u"SAPI 5 XML Markup", 0, Font::Heading, kWhite, kGrey},
    {MarkupList, "ListView1", Parent::Window, Kind::ReportList, {14, 367, 442, 94}, Resize::Moves, u"", kTabStop},
    {LanguageHeadingShape, "Shape4", Parent::Window, Kind::RoundedShape, {501, 333, 84, 50}, Resize::Moves, u"", 0, Font::Window, kNoColour, kGrey, kBlack},
    {LanguageHeadingLabel, "Label10", Parent::Window, Kind::Label, {517, 343, 53, 14}, Resize::Moves, u"LANGID", 0, Font::Heading, kWhite, kGrey},
    {LanguageList, "ListBoxLANGID", Parent::Window, Kind::ListBox, {467, 367, 153, 94}, Resize::Moves, u"", kTabStop},
    // Stays on the bottom edge: with the client height 492 + d its top is 473 + d.
    {StatusLine, "StatusBar1", Parent::Window, Kind::StatusLine, {0, 473, 634, 19}, Resize::DockBottom, u"", 0, Font::System},
};

static_assert(std::size(kControls) == kControlCount, "kControlCount must count the layout table's rows");

// Each named control with its caption; the table above puts the caption just before it.
struct NamedControl {
    ControlId control, label;
};
constexpr NamedControl kNamedControls[] = {
    {CommandList, CommandListLabel}, {AppText, AppIntroLabel},
    {NetHostEdit, NetHostLabel},     {NetPortEdit, NetPortLabel},   {NetText, NetTextLabel},
    {ClipText, ClipIntroLabel},
    {MarkupList, MarkupHeadingLabel}, {LanguageList, LanguageHeadingLabel},
};

constexpr PageSpec kPages[] = {
    {AppPage, AppText, core::SendChannel::App},
    {NetPage, NetText, core::SendChannel::Net},
    {ClipPage, ClipText, core::SendChannel::Clip},
};

// AppText keeps its place (tab order 0 on its page) without being a stop.
constexpr ControlId kTabOrder[] = {
    PageTabs,
    AppText, CommandList,
    NetHostEdit, NetPortEdit, NetText,
    ClipText, UseProtocolCheck,
    MarkupList, LanguageList,
};

constexpr MenuEntry kMenu[] = {
    {"N1", u"프로그램", 0, true},
    {"N5", u"파일 열기", static_cast<uint16_t>(MenuId::OpenFile), false},
    {"N6", u"", 0, false},
    {"N4", u"종료", static_cast<uint16_t>(MenuId::Exit), false},
    {"N3", u"예문", 0, true},
    {"N7", u"단순 문장", static_cast<uint16_t>(MenuId::SamplePlain), false},
    {"N2", u"태그 문장", static_cast<uint16_t>(MenuId::SampleMarkup), false},
    {"N8", u"", 0, false},
    {"N9", u"LANGID 선택", static_cast<uint16_t>(MenuId::SampleLanguage), false},
    {"N10", u"높이", static_cast<uint16_t>(MenuId::SamplePitch), false},
    {"N11", u"빠르기", static_cast<uint16_t>(MenuId::SampleRate), false},
    {"N13", u"스펠링", static_cast<uint16_t>(MenuId::SampleSpelling), false},
    {"N12", u"소리 크기", static_cast<uint16_t>(MenuId::SampleVolume), false},
    {"ToolsMenu", u"도구(&T)", 0, true},
    {"SendLogItem", u"전송 기록(&L)", static_cast<uint16_t>(MenuId::SendLog), false},
    {"CheckMarkupItem", u"마크업 검사(&K)", static_cast<uint16_t>(MenuId::CheckMarkup), false},
    {"ToolsSeparator", u"", 0, false},
    {"SendToAppItem", u"어플리케이션으로 보내기(&A)", static_cast<uint16_t>(MenuId::SendToAppByMenu), false},
    {"SendOverNetworkItem", u"네트워크로 보내기(&N)", static_cast<uint16_t>(MenuId::SendOverNetworkByMenu), false},
    {"PreviewItem", u"보낼 메시지 미리보기(&P)", static_cast<uint16_t>(MenuId::PreviewByMenu), false},
    {"CopyItem", u"클립보드로 복사하기(&B)", static_cast<uint16_t>(MenuId::CopyByMenu), false},
    {"ClearItem", u"비우기(&E)", static_cast<uint16_t>(MenuId::ClearByMenu), false},
    {"FocusTextItem", u"텍스트로 이동(&T)", static_cast<uint16_t>(MenuId::FocusTextByMenu), false},
};

// The sample texts in menu order: SamplePlain, SampleMarkup, SampleLanguage, SamplePitch, SampleRate, SampleSpelling, SampleVolume.
constexpr MenuId kSampleEntries[] = {MenuId::SamplePlain, MenuId::SampleMarkup, MenuId::SampleLanguage, MenuId::SamplePitch,
                                     MenuId::SampleRate, MenuId::SampleSpelling, MenuId::SampleVolume};

constexpr ColumnSpec kColumns[] = {{u"마크업", 240}, {u"설명", 180}};

bool IsTabStop(ControlId id) {
    for (const auto& c : kControls)
        if (c.id == id) return (c.flags & kTabStop) != 0;
    return false;
}

int PageOf(ControlId id) {
    for (const auto& c : kControls)
        if (c.id == id) return PageIndexOf(c.parent);
    return -1;
}

}  // namespace

std::span<const ControlSpec> Controls() { return kControls; }

const ControlSpec& LayoutOf(ControlId id) {
    const auto* it = std::find_if(std::begin(kControls), std::end(kControls), [id](const auto& c) { return c.id == id; });
    return *it;  // every ControlId has its row; the tests check it
}

std::optional<ControlId> ControlIdFromInt(int value) {
    for (const auto& c : kControls)
        if (static_cast<int>(c.id) == value) return c.id;
    return std::nullopt;
}

std::optional<ControlId> LabelOf(ControlId control) {
    for (const auto& named : kNamedControls)
        if (named.control == control) return named.label;
    return std::nullopt;
}

std::span<const PageSpec> Pages() { return kPages; }

std::optional<ControlId> TextAreaOfPage(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kPages))) return std::nullopt;
    return kPages[index].text_area;
}

int PageIndexOf(Parent parent) {
    switch (parent) {
    case Parent::AppPage: return 0;
    case Parent::NetPage: return 1;
    case Parent::ClipPage: return 2;
    default: return -1;
    }
}

std::span<const ControlId> TabOrder() { return kTabOrder; }

ControlId NextTabStop(std::optional<ControlId> from, int showing_page, bool backwards) {
    // The cycle as it stands for the showing page: stops, plus `from` to know where we are.
    std::array<ControlId, std::size(kTabOrder)> cycle{};
    size_t n = 0;
    for (ControlId id : kTabOrder) {
        const int page = PageOf(id);
        if (page >= 0 && page != showing_page) continue;
        if (IsTabStop(id) || (from && *from == id)) cycle[n++] = id;
    }
    size_t at = n;
    for (size_t i = 0; i < n; ++i)
        if (from && cycle[i] == *from) at = i;
    for (size_t step = 1; step <= n; ++step) {
        size_t i;
        if (at == n) i = backwards ? n - step : step - 1;  // from outside the cycle: its ends
        else i = backwards ? (at + n - step) % n : (at + step) % n;
        if (IsTabStop(cycle[i])) return cycle[i];
    }
    return ControlId::PageTabs;
}

std::span<const MenuEntry> Menu() { return kMenu; }

std::optional<size_t> SampleIndexOf(MenuId id) {
    for (size_t i = 0; i < std::size(kSampleEntries); ++i)
        if (kSampleEntries[i] == id) return i;
    return std::nullopt;
}

PaintColours ColoursOf(const ControlSpec& c, const ThemeColours* theme) {
    if (!theme) return {c.fill, c.outline, c.text_colour};
    // The rounded headings stand out as a highlight; the intro fills read as a window;
    // a caption takes the text of whatever it stands on (a shape, or the page's face).
    if (c.kind == Kind::RoundedShape) return {theme->highlight, theme->face_text, kNoColour};
    if (c.kind == Kind::Shape) return {theme->window, theme->window_text, kNoColour};
    if (c.font == Font::Heading) return {theme->highlight, kNoColour, theme->highlight_text};
    if (c.fill != kNoColour) return {theme->window, kNoColour, theme->window_text};
    return {theme->face, kNoColour, theme->face_text};
}

std::span<const ColumnSpec> MarkupColumns() { return kColumns; }

}  // namespace lumvox::ui
