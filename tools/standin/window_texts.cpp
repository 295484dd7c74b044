#include "window_texts.h"

namespace lumvox::standin {
namespace {

constexpr WindowTexts kEnglish = {
    "Answer to GET:",
    "Clear",
    "Events received:", "Selected event in full:",
    "Time", "Channel", "Details", "Text",
    {"200 \"sent\" (delivered)", "200 without \"sent\"", "500 with \"sent\"", "no answer (silent)"},
    "HTTP on ",
    "HTTP off: cannot listen on ",
    "no log",
    "log: ",
};

constexpr WindowTexts kKorean = {
    "GET 응답:",
    "지우기",
    "받은 이벤트:", "선택한 이벤트의 자세한 내용:",
    "시각", "통로", "내용", "텍스트",
    {"200 \"sent\" (전달됨)", "200, \"sent\" 없음", "500, \"sent\" 포함", "응답 없음"},
    "HTTP 수신 중: ",
    "HTTP 꺼짐: 수신할 수 없음 ",
    "기록 없음",
    "기록: ",
};

}  // namespace

const WindowTexts& TextsIn(Language language) { return language == Language::Korean ? kKorean : kEnglish; }

Language LanguageOf(unsigned short language_id) {
    constexpr unsigned short kPrimaryKorean = 0x12;
    return (language_id & 0x3ff) == kPrimaryKorean ? Language::Korean : Language::English;
}

}  // namespace lumvox::standin
