#include "ui/layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace lumvox::ui {
namespace {

using enum ControlId;

TEST(Place, AppliesEachRuleToItsEdge) {
    struct Case {
        Resize rule;
        int d;
        Rect expected;
    };
    constexpr Rect kBounds{124, 64, 492, 182};
    constexpr Case kCases[] = {
        {Resize::Fixed, 100, kBounds},
        {Resize::Stretches, 100, {124, 64, 492, 282}},
        {Resize::Moves, 100, {124, 164, 492, 182}},
        {Resize::DockBottom, 100, {124, 164, 492, 182}},
        {Resize::Stretches, 0, kBounds},
        {Resize::Moves, -5, {124, 59, 492, 182}},
    };
    for (const auto& c : kCases) EXPECT_EQ(Place(kBounds, c.rule, c.d), c.expected) << static_cast<int>(c.rule) << " d=" << c.d;
}

// The window made 100 pixels taller than laid out (client height 592).
TEST(Place, HundredPixelsTallerMovesAndStretchesTheNamedControls) {
    constexpr int d = 100;
    EXPECT_EQ(Place(LayoutOf(AppText).bounds, LayoutOf(AppText).rule, d).h, 282);
    EXPECT_EQ(Place(LayoutOf(AppSendButton).bounds, LayoutOf(AppSendButton).rule, d).y, 353);
    EXPECT_EQ(Place(LayoutOf(MarkupList).bounds, LayoutOf(MarkupList).rule, d).y, 467);
    EXPECT_EQ(Place(LayoutOf(PageTabs).bounds, LayoutOf(PageTabs).rule, d), (Rect{0, 8, 634, 412}));
    const Rect status = Place(LayoutOf(StatusLine).bounds, LayoutOf(StatusLine).rule, d);
    EXPECT_EQ(status.y + status.h, kLayoutClientHeight + d) << "the status line stays on the bottom edge";
    EXPECT_EQ(Place(LayoutOf(AppIntroShape).bounds, LayoutOf(AppIntroShape).rule, d), LayoutOf(AppIntroShape).bounds);
}

TEST(Layout, BoundsAndRulesAsLaidOut) {
    struct Row {
        ControlId id;
        Rect bounds;
        Resize rule;
    };
    // Written out independently of the table, from the window's design.
    constexpr Row kRows[] = {
        {PageTabs, {0, 8, 634, 312}, Resize::Stretches},
        {AppIntroShape, {16, 8, 600, 43}, Resize::Fixed}, {AppIntroLabel, {52, 15, 522, 28}, Resize::Fixed},
        {CommandListLabel, {16, 64, 82, 14}, Resize::Fixed}, {CommandList, {16, 87, 85, 186}, Resize::Stretches},
        {AppText, {124, 64, 492, 182}, Resize::Stretches}, {AppSendButton, {124, 253, 368, 24}, Resize::Moves},
        {AppClearButton, {514, 253, 102, 24}, Resize::Moves},
        {NetIntroShape, {13, 8, 600, 43}, Resize::Fixed}, {NetIntroLabel, {80, 15, 465, 28}, Resize::Fixed},
        {NetProtocolLabel, {61, 58, 492, 14}, Resize::Fixed}, {NetRelayShape, {13, 81, 600, 43}, Resize::Fixed},
        {NetRelayLabel, {41, 89, 544, 28}, Resize::Fixed}, {NetHostLabel, {17, 141, 67, 14}, Resize::Fixed},
        {NetHostEdit, {95, 138, 121, 22}, Resize::Fixed}, {NetPortLabel, {243, 141, 23, 14}, Resize::Fixed},
        {NetPortEdit, {283, 138, 58, 22}, Resize::Fixed}, {NetPreviewButton, {360, 138, 237, 22}, Resize::Fixed},
        {NetTextLabel, {48, 166, 36, 14}, Resize::Fixed}, {NetText, {95, 166, 502, 74}, Resize::Stretches},
        {NetSendButton, {95, 250, 502, 24}, Resize::Moves},
        {ClipIntroShape, {13, 8, 600, 43}, Resize::Fixed}, {ClipIntroLabel, {43, 22, 539, 14}, Resize::Fixed},
        {ClipText, {13, 64, 600, 179}, Resize::Stretches}, {UseProtocolCheck, {13, 254, 97, 17}, Resize::Moves},
        {ClipCopyButton, {122, 252, 373, 24}, Resize::Moves},
        {ClipClearButton, {513, 252, 100, 24}, Resize::Moves},
        {MarkupHeadingShape, {128, 333, 220, 50}, Resize::Moves}, {MarkupHeadingLabel, {174, 343, 131, 14}, Resize::Moves},
        {MarkupList, {14, 367, 442, 94}, Resize::Moves}, {LanguageHeadingShape, {501, 333, 84, 50}, Resize::Moves},
        {LanguageHeadingLabel, {517, 343, 53, 14}, Resize::Moves}, {LanguageList, {467, 367, 153, 94}, Resize::Moves},
        {StatusLine, {0, 473, 634, 19}, Resize::DockBottom},
    };
    for (const auto& row : kRows) {
        const ControlSpec& layout = LayoutOf(row.id);
        EXPECT_EQ(layout.bounds, row.bounds) << layout.name;
        EXPECT_EQ(layout.rule, row.rule) << layout.name;
    }
    // Every page is the page control's display area: 626 x (283 + d).
    for (const auto& page : Pages()) {
        const ControlSpec& sheet = LayoutOf(page.sheet);
        EXPECT_EQ(sheet.bounds.w, 626) << sheet.name;
        EXPECT_EQ(sheet.bounds.h, 283) << sheet.name;
        EXPECT_EQ(sheet.rule, Resize::Stretches) << sheet.name;
    }
    EXPECT_EQ(Controls().size(), std::size(kRows) + Pages().size());
}

TEST(Layout, EveryControlHasOneRowUnderItsOwnIdAndName) {
    std::set<int> ids;
    std::set<std::string_view> names;
    for (const auto& c : Controls()) {
        EXPECT_TRUE(ids.insert(static_cast<int>(c.id)).second) << c.name;
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
        EXPECT_EQ(&LayoutOf(c.id), &c);
        EXPECT_EQ(ControlIdFromInt(static_cast<int>(c.id)), c.id);
    }
    EXPECT_FALSE(ControlIdFromInt(0).has_value());
    EXPECT_FALSE(ControlIdFromInt(201).has_value()) << "menu IDs are not control IDs";
}

TEST(Layout, CaptionsAndLooksAsDesigned) {
    EXPECT_EQ(LayoutOf(AppSendButton).caption, u"보내기   (F8)");
    EXPECT_EQ(LayoutOf(NetSendButton).caption, u"보내기   (F9)");
    EXPECT_EQ(LayoutOf(NetPreviewButton).caption, u"보낼 메시지 미리보기 (with Protocol)");
    EXPECT_EQ(LayoutOf(NetPreviewButton).kind, Kind::FlatToolButton);
    EXPECT_EQ(LayoutOf(NetPortEdit).caption, u"7070");
    EXPECT_EQ(LayoutOf(UseProtocolCheck).caption, u"프로토콜 사용");
    EXPECT_FALSE(LayoutOf(UseProtocolCheck).flags & flags::kChecked);
    EXPECT_EQ(LayoutOf(AppPage).caption, u"어플리케이션 수신 모드에 메세지 보내기");
    EXPECT_EQ(LayoutOf(NetPage).caption, u"네트워크 수신 모드에 메세지 보내기");
    EXPECT_EQ(LayoutOf(ClipPage).caption, u"클립보드 TTS 모드");
    EXPECT_EQ(LayoutOf(MarkupHeadingLabel).caption, u"SAPI 5 XML Markup");
    EXPECT_EQ(LayoutOf(MarkupHeadingLabel).font, Font::Heading);
    EXPECT_EQ(LayoutOf(LanguageHeadingLabel).font, Font::Heading);
    EXPECT_EQ(LayoutOf(MarkupHeadingLabel).text_colour, 0xFFFFFFu);
    EXPECT_EQ(LayoutOf(CommandListLabel).text_colour, 0x2F7CA6u);
    EXPECT_EQ(LayoutOf(StatusLine).font, Font::System);
    EXPECT_EQ(LayoutOf(ClipIntroShape).fill, 0xE6E6E6u);
    EXPECT_EQ(LayoutOf(ClipIntroShape).outline, 0xFBF0B3u);
    EXPECT_EQ(LayoutOf(MarkupHeadingShape).kind, Kind::RoundedShape);
    // Word wrap only on the third page's text area; scroll bars on the other two.
    EXPECT_TRUE(LayoutOf(ClipText).flags & flags::kWordWrap);
    EXPECT_FALSE(LayoutOf(ClipText).flags & flags::kVerticalScroll);
    EXPECT_FALSE(LayoutOf(AppText).flags & flags::kWordWrap);
    EXPECT_TRUE(LayoutOf(AppText).flags & flags::kVerticalScroll);
    // Captions on shapes stand on the shape's fill and lie inside it.
    for (auto [label, shape] : {std::pair{MarkupHeadingLabel, MarkupHeadingShape}, {LanguageHeadingLabel, LanguageHeadingShape}, {AppIntroLabel, AppIntroShape}, {NetIntroLabel, NetIntroShape},
                                {NetRelayLabel, NetRelayShape}, {ClipIntroLabel, ClipIntroShape}}) {
        const Rect l = LayoutOf(label).bounds, s = LayoutOf(shape).bounds;
        EXPECT_EQ(LayoutOf(label).fill, LayoutOf(shape).fill) << LayoutOf(label).name;
        EXPECT_TRUE(l.x >= s.x && l.y >= s.y && l.x + l.w <= s.x + s.w && l.y + l.h <= s.y + s.h) << LayoutOf(label).name;
    }
}

// A screen reader names a text box or a list by the static text just before it in
// the z order, which is the table's order among the controls that have windows.
TEST(Labels, EveryTextBoxAndListIsNamedByTheCaptionWindowJustBeforeIt) {
    struct Row {
        ControlId control, label;
        std::u16string_view name;
    };
    // Written out from the window's design: the visible caption, or the page's intro.
    const Row kRows[] = {
        {CommandList, CommandListLabel, u"Lumvox 명령어"},
        {AppText, AppIntroLabel, LayoutOf(AppIntroLabel).caption},
        {NetHostEdit, NetHostLabel, u"보낼 곳의 IP"},
        {NetPortEdit, NetPortLabel, u"Port"},
        {NetText, NetTextLabel, u"메세지"},
        {ClipText, ClipIntroLabel, LayoutOf(ClipIntroLabel).caption},
        {MarkupList, MarkupHeadingLabel, u"SAPI 5 XML Markup"},
        {LanguageList, LanguageHeadingLabel, u"LANGID"},
    };
    EXPECT_TRUE(LayoutOf(AppIntroLabel).caption.starts_with(u"Lumvox의 [어플리케이션 수신 모드]"));
    EXPECT_TRUE(LayoutOf(ClipIntroLabel).caption.starts_with(u"Lumvox 환경설정에서 [클립보드 TTS]"));
    size_t named = 0;
    const auto controls = Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlSpec& c = controls[i];
        const bool needs_name = c.kind == Kind::Memo || c.kind == Kind::Edit || c.kind == Kind::ListBox || c.kind == Kind::ReportList;
        EXPECT_EQ(LabelOf(c.id).has_value(), needs_name) << c.name;
        if (!needs_name) continue;
        ++named;
        const ControlSpec* before = nullptr;  // the window made just before it, on the same parent
        for (size_t j = i; j-- > 0;)
            if (controls[j].parent == c.parent && !IsPainted(controls[j].kind)) {
                before = &controls[j];
                break;
            }
        ASSERT_NE(before, nullptr) << c.name;
        EXPECT_EQ(before->id, LabelOf(c.id)) << c.name;
        EXPECT_TRUE(IsLabel(before->kind)) << c.name;
    }
    EXPECT_EQ(named, std::size(kRows));
    for (const Row& row : kRows) {
        EXPECT_EQ(LabelOf(row.control), row.label) << LayoutOf(row.control).name;
        EXPECT_EQ(LayoutOf(row.label).caption, row.name) << LayoutOf(row.control).name;
    }
    EXPECT_FALSE(LabelOf(UseProtocolCheck).has_value()) << "the check box carries its own caption";
    EXPECT_EQ(LayoutOf(UseProtocolCheck).caption, u"프로토콜 사용");
    for (const ControlSpec& c : controls) {
        if (IsLabel(c.kind)) {
            EXPECT_EQ(c.caption.find(u'&'), std::u16string_view::npos) << c.name << ": a name read from it would lose its '&'";
        }
    }
}

TEST(TabOrder, VisitsTheShowingPageBetweenTheTabStripAndTheLists) {
    struct Case {
        int page;
        ControlId from;
        bool backwards;
        ControlId expected;
    };
    constexpr Case kCases[] = {
        {0, PageTabs, false, CommandList},  // AppText is skipped
        {0, AppText, false, CommandList},   // but Tab from it goes on after it
        {0, AppText, true, PageTabs},
        {0, CommandList, false, MarkupList},
        {0, MarkupList, false, LanguageList},
        {0, LanguageList, false, PageTabs},
        {0, PageTabs, true, LanguageList},
        {1, PageTabs, false, NetHostEdit},
        {1, NetHostEdit, false, NetPortEdit},
        {1, NetPortEdit, false, NetText},
        {1, NetText, false, MarkupList},
        {1, MarkupList, true, NetText},
        {2, PageTabs, false, ClipText},
        {2, ClipText, false, UseProtocolCheck},
        {2, UseProtocolCheck, false, MarkupList},
        {2, MarkupList, true, UseProtocolCheck},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(NextTabStop(c.from, c.page, c.backwards), c.expected)
            << "page " << c.page << " from " << LayoutOf(c.from).name << (c.backwards ? " backwards" : "");
    EXPECT_EQ(NextTabStop(std::nullopt, 0, false), PageTabs);
    EXPECT_EQ(NextTabStop(std::nullopt, 0, true), LanguageList);
    EXPECT_EQ(NextTabStop(AppSendButton, 0, false), PageTabs) << "a push button is never in the cycle";
}

TEST(Pages, TextAreaThatTakesTheFocus) {
    EXPECT_EQ(TextAreaOfPage(0), AppText);
    EXPECT_EQ(TextAreaOfPage(1), NetText);
    EXPECT_EQ(TextAreaOfPage(2), ClipText);
    EXPECT_FALSE(TextAreaOfPage(-1).has_value());
    EXPECT_FALSE(TextAreaOfPage(3).has_value());
}

TEST(Menu, EntriesInOrderWithSeparatorsAndNoAccelerators) {
    struct Entry {
        std::string_view name;
        std::u16string_view caption;
    };
    constexpr Entry kExpected[] = {
        {"N1", u"프로그램"}, {"N5", u"파일 열기"}, {"N6", u""}, {"N4", u"종료"},
        {"N3", u"예문"}, {"N7", u"단순 문장"}, {"N2", u"태그 문장"}, {"N8", u""},
        {"N9", u"LANGID 선택"}, {"N10", u"높이"}, {"N11", u"빠르기"}, {"N13", u"스펠링"}, {"N12", u"소리 크기"},
        // Added, each with a mnemonic: the tools, and for the keyboard the pages' buttons and the way back to the text.
        {"ToolsMenu", u"도구(&T)"}, {"SendLogItem", u"전송 기록(&L)"}, {"CheckMarkupItem", u"마크업 검사(&K)"},
        {"ToolsSeparator", u""},
        {"SendToAppItem", u"어플리케이션으로 보내기(&A)"}, {"SendOverNetworkItem", u"네트워크로 보내기(&N)"},
        {"PreviewItem", u"보낼 메시지 미리보기(&P)"}, {"CopyItem", u"클립보드로 복사하기(&B)"},
        {"ClearItem", u"비우기(&E)"}, {"FocusTextItem", u"텍스트로 이동(&T)"},
    };
    constexpr size_t kOriginalEntries = 13;  // 프로그램 to 소리 크기: as they always were, without mnemonics
    const auto menu = Menu();
    ASSERT_EQ(menu.size(), std::size(kExpected));
    for (size_t i = 0; i < menu.size(); ++i) {
        EXPECT_EQ(menu[i].name, kExpected[i].name);
        EXPECT_EQ(menu[i].caption, kExpected[i].caption) << menu[i].name;
        if (i < kOriginalEntries) {
            EXPECT_EQ(menu[i].caption.find(u'&'), std::u16string_view::npos) << menu[i].name;
        }
        EXPECT_EQ(menu[i].id == 0, menu[i].top_level || menu[i].caption.empty()) << menu[i].name;
    }
    constexpr MenuId kSamples[] = {MenuId::SamplePlain, MenuId::SampleMarkup, MenuId::SampleLanguage, MenuId::SamplePitch, MenuId::SampleRate, MenuId::SampleSpelling, MenuId::SampleVolume};
    for (size_t i = 0; i < std::size(kSamples); ++i) EXPECT_EQ(SampleIndexOf(kSamples[i]), i);
    EXPECT_FALSE(SampleIndexOf(MenuId::OpenFile).has_value());
    EXPECT_FALSE(SampleIndexOf(MenuId::Exit).has_value());
    EXPECT_EQ(static_cast<int>(menu[kOriginalEntries + 2].id), 232);  // scripts choose 마크업 검사 by this number
    EXPECT_EQ(menu[kOriginalEntries + 2].name, "CheckMarkupItem");
}

TEST(SnapToWorkArea, EdgesCloserThanTheDistanceLandOnTheWorkArea) {
    constexpr Rect kWork{0, 0, 1280, 984};  // a task bar of 40 pixels below
    struct Case {
        Rect window, expected;
    };
    constexpr Case kCases[] = {
        {{14, 300, 650, 550}, {0, 300, 650, 550}},      // left edge 14 away
        {{15, 300, 650, 550}, {15, 300, 650, 550}},     // 15 is not closer than 15
        {{-14, 300, 650, 550}, {0, 300, 650, 550}},     // partly outside
        {{620, 300, 650, 550}, {630, 300, 650, 550}},   // right edge 10 away
        {{300, 10, 650, 550}, {300, 0, 650, 550}},      // top
        {{300, 430, 650, 550}, {300, 434, 650, 550}},   // bottom edge 4 away, onto the task bar's top
        {{5, 440, 650, 550}, {0, 434, 650, 550}},       // a corner
        {{300, 200, 650, 550}, {300, 200, 650, 550}},   // far from every edge
    };
    for (const auto& c : kCases)
        EXPECT_EQ(SnapToWorkArea(c.window, kWork, kSnapDistance), c.expected) << c.window.x << "," << c.window.y;
    EXPECT_EQ(SnapToWorkArea({1290, 10, 650, 550}, {1280, 0, 1024, 768}, 15), (Rect{1280, 0, 650, 550}))
        << "a second monitor's work area";
}

TEST(ScaleToDpi, RoundsLikeMulDiv) {
    struct Case {
        int value, dpi, expected;
    };
    constexpr Case kCases[] = {{650, 96, 650}, {650, 120, 813}, {650, 144, 975}, {12, 120, 15}, {14, 168, 25},
                               {492, 192, 984}, {-12, 120, -15}, {1, 144, 2}};
    for (auto c : kCases) EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
    EXPECT_EQ(ScaleToDpi(Rect{14, 367, 442, 94}, 144), (Rect{21, 551, 663, 141}));
}

// Off, the painted look stays the layout's; on, every fill and its text come from one
// pair of the theme's colours, so the pair's contrast is the theme's own.
TEST(PaintColours, HighContrastTakesTheThemePairsAndOffKeepsTheLayoutsLook) {
    constexpr ThemeColours kTheme{0x000001, 0xFFFF01, 0x000002, 0xFFFF02, 0x000003, 0xFFFF03};
    struct Case {
        ControlId id;
        PaintColours off, on;
    };
    const Case kCases[] = {
        {ControlId::AppIntroShape, {0xFBF0B3, 0xFBF0B3, kNoColour}, {0x000001, 0xFFFF01, kNoColour}},
        {ControlId::AppIntroLabel, {0xFBF0B3, kNoColour, kNoColour}, {0x000001, kNoColour, 0xFFFF01}},
        {ControlId::ClipIntroLabel, {0xE6E6E6, kNoColour, kNoColour}, {0x000001, kNoColour, 0xFFFF01}},
        {ControlId::CommandListLabel, {kNoColour, kNoColour, 0x2F7CA6}, {0x000002, kNoColour, 0xFFFF02}},
        {ControlId::NetHostLabel, {kNoColour, kNoColour, kNoColour}, {0x000002, kNoColour, 0xFFFF02}},
        {ControlId::MarkupHeadingShape, {0x808080, 0x000000, kNoColour}, {0x000003, 0xFFFF02, kNoColour}},
        {ControlId::LanguageHeadingLabel, {0x808080, kNoColour, 0xFFFFFF}, {0x000003, kNoColour, 0xFFFF03}},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(ColoursOf(LayoutOf(c.id), nullptr), c.off) << LayoutOf(c.id).name;
        EXPECT_EQ(ColoursOf(LayoutOf(c.id), &kTheme), c.on) << LayoutOf(c.id).name;
    }
    // Every caption on a shape takes the text of the pair its shape is filled from.
    for (const ControlSpec& label : Controls()) {
        if (label.kind != Kind::Label && label.kind != Kind::WrappingLabel) continue;
        const PaintColours on = ColoursOf(label, &kTheme);
        EXPECT_EQ(on.text & 0xFF, on.fill & 0xFF) << label.name << ": fill and text from different pairs";
    }
}

}  // namespace
}  // namespace lumvox::ui
