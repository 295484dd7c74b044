#pragma once
// The fixed material the workshop carries: sample texts, the speech program's
// commands, the markup reference rows and the language identifiers.
#include <array>
#include <string_view>

namespace lumvox::core {

struct SampleText {
    std::u16string_view menu_caption;  // entry of the menu "예문"
    std::string_view handler;          // name of the menu handler that picks it
    std::u16string_view text;          // lines joined by CR LF, no final line break
};

struct MarkupRow {
    std::u16string_view markup;
    std::u16string_view description;
};

// In menu order: 단순 문장, 태그 문장, LANGID 선택, 높이, 빠르기, 스펠링, 소리 크기.
extern const std::array<SampleText, 7> kSampleTexts;
extern const std::array<std::u16string_view, 9> kCommandNames;
extern const std::array<MarkupRow, 9> kMarkupRows;
extern const std::array<std::u16string_view, 15> kLanguageIds;

}  // namespace lumvox::core
