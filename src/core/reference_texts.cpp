#include "reference_texts.h"

namespace lumvox::core {
namespace {
// "단순 문장": 41 lines joined by CR LF, no line break at the end.
constexpr std::u16string_view kSample0 =
    u"안녕하세요?\r\n"
    u"음성출력의 세계로 오신 것을 환영합니다!\r\n"
    u"지금부터 몇 가지 발음 테스트를 하도록 하겠습니다.\r\n"
    u"\r\n"
    u"0 1 2 3 4 5 6 7 8 9 10\r\n"
    u"\r\n"
    u"345678987654321\r\n"
    u"\r\n"
    u"345,678,987,654,321.53709\r\n"
    u"\r\n"
    u"0.03141592\r\n"
    u"\r\n"
    u"가 나 다 라 마 바 사 아 자 차 카 타 파 하\r\n"
    u"\r\n"
    u"가나다라마바사아,자차카타파하!\r\n"
    u"\r\n"
    u"ㄱㄴㄷㄹㅁㅂㅅㅇㅈㅌㅋㅎ\r\n"
    u"\r\n"
    u"ㄱㄴㄷㄹㅁㅂㅅㅇㅈㅌㅋㅎ\r\n"
    u"\r\n"
    u"\"ㅂ\"과 \"ㅏ\"와, \"ㅌ\"이 모여 \"밭\"자를 만듭니다.\r\n"
    u"\r\n"
    u"전화번호는 5700-0124번입니다.\r\n"
    u"\r\n"
    u"전화번호는 \"5700-0124\"번입니다.\r\n"
    u"\r\n"
    u"1200 - 700 = 500\r\n"
    u"\r\n"
    u"1200에서 700을 빼면 500입니다.\r\n"
    u"\r\n"
    u"f(x) = 2x + 11\r\n"
    u"\r\n"
    u"Oh, yeah!\r\n"
    u"\r\n"
    u"The Lumvox is one of softwares that we can easily make the computer talk!\r\n"
    u"\r\n"
    u"How do you think about my pronunciation?\r\n"
    u"\r\n"
    u"Here is one last thing!\r\n"
    u"\r\n"
    u"감사합니다!";

// "태그 문장": 20 lines joined by CR LF, no line break at the end.
constexpr std::u16string_view kSample1 =
    u"<EMPH>안녕하세요?</EMPH>\r\n"
    u"룸복스 음성출력의 세계로 잘 오셨습니다!\r\n"
    u"태그를 이용하여 음성을 출력하면, 목소리에 다양한 변화를 줄 수 있습니다.\r\n"
    u"<VOLUME LEVEL=\"90\">\r\n"
    u"이렇게 <PITCH MIDDLE=\"+10\">하이톤으로 높여 말하게 하거나</PITCH>\r\n"
    u"때로는, <PITCH MIDDLE=\"-10\">낮게 내리 깔면서 말하게 하기도 하며</PITCH>,\r\n"
    u"말하는 속도를 <RATE SPEED=\"+10\">빠르게, 빠르게, 매우 빠르게</RATE>\r\n"
    u"그리고, <RATE SPEED=\"-10\">천천히, 느릿 느릿</RATE> 조절할 수도 있습니다.\r\n"
    u"뿐만 아니라, <VOLUME LEVEL=\"20\">속삭이듯이 조용하게</VOLUME>\r\n"
    u"<SILENCE MSEC=\"500\"/>또는,\r\n"
    u"<VOLUME LEVEL=\"200\">크게, 크게</VOLUME> 말하게 만들수도 있습니다.\r\n"
    u"아울러, 말하는 도중에 <SILENCE MSEC=\"3000\"/>이렇게 공백을 넣을 수도 있습니다.\r\n"
    u"음성 출력은, \r\n"
    u"<PITCH ABSMIDDLE=\"-10\"><RATE ABSSPEED=\"-10\">너</RATE></PITCH>\r\n"
    u"<PITCH ABSMIDDLE=\"+2\"><RATE ABSSPEED=\"-10\">무</RATE></PITCH>\r\n"
    u"<PITCH ABSMIDDLE=\"-2\"><RATE ABSSPEED=\"-4\">재</RATE></PITCH>\r\n"
    u"<PITCH ABSMIDDLE=\"+2\"><RATE ABSSPEED=\"+4\">밌</RATE></PITCH>\r\n"
    u"<PITCH ABSMIDDLE=\"+10\"><RATE ABSSPEED=\"-10\">죠?</RATE></PITCH>\r\n"
    u"감사합니다.\r\n"
    u"</VOLUME>";

// "LANGID 선택": 11 lines joined by CR LF, no line break at the end.
constexpr std::u16string_view kSample2 =
    u"<lang langid=\"412\">\r\n"
    u"한국어 문장입니다.\r\n"
    u"</lang>\r\n"
    u"\r\n"
    u"<lang langid=\"409\">\r\n"
    u"A English voice should speak this!\r\n"
    u"</lang>\r\n"
    u"\r\n"
    u"<lang langid=\"416\">\r\n"
    u"Este é uma frase de teste.\r\n"
    u"</lang>";

// "높이": 9 lines joined by CR LF, no line break at the end.
constexpr std::u16string_view kSample3 =
    u"<pitch absmiddle=\"5\">\r\n"
    u"노픈소리. 고음입니다.\r\n"
    u"\r\n"
    u"<pitch absmiddle=\"-5\">\r\n"
    u"낮은 목소리. 저음입니다.\r\n"
    u"\r\n"
    u"</pitch>\r\n"
    u"\r\n"
    u"</pitch>";

// "빠르기": 10 lines joined by CR LF, no line break at the end.
constexpr std::u16string_view kSample4 =
    u"<rate absspeed=\"5\">\r\n"
    u"속도 5입니다. 빠른 속도입니다.\r\n"
    u"\r\n"
    u"<rate absspeed=\"-5\">\r\n"
    u"속도를 늦춥니다.\r\n"
    u"-5로 지정했습니다.\r\n"
    u"\r\n"
    u"</rate>\r\n"
    u"\r\n"
    u"</rate>";

// "스펠링": 21 lines joined by CR LF, no line break at the end.
constexpr std::u16string_view kSample5 =
    u"<spell>\r\n"
    u"yumi\r\n"
    u"</spell>\r\n"
    u"\r\n"
    u"yumi\r\n"
    u"\r\n"
    u"<silence msec=\"1000\"/>\r\n"
    u"\r\n"
    u"<spell>\r\n"
    u"유미\r\n"
    u"</spell>\r\n"
    u"\r\n"
    u"유미\r\n"
    u"\r\n"
    u"<silence msec=\"1000\"/>\r\n"
    u"\r\n"
    u"<spell>\r\n"
    u"대한민국\r\n"
    u"</spell>\r\n"
    u"\r\n"
    u"대한민국";

// "소리 크기": 9 lines joined by CR LF, no line break at the end.
constexpr std::u16string_view kSample6 =
    u"<volume level=\"50\">\r\n"
    u"50프로 볼륨\r\n"
    u"\r\n"
    u"<volume level=\"100\">\r\n"
    u"100프로 볼륨\r\n"
    u"\r\n"
    u"</volume>\r\n"
    u"\r\n"
    u"</volume>";

}  // namespace

const std::array<SampleText, 7> kSampleTexts = {{
    {u"단순 문장", "N7Click", kSample0},
    {u"태그 문장", "N2Click", kSample1},
    {u"LANGID 선택", "N9Click", kSample2},
    {u"높이", "N10Click", kSample3},
    {u"빠르기", "N11Click", kSample4},
    {u"스펠링", "N13Click", kSample5},
    {u"소리 크기", "N12Click", kSample6},
}};

const std::array<std::u16string_view, 9> kCommandNames = {
    u"time",
    u"today",
    u"weather",
    u"goto:http://",
    u"diskspace",
    u"nextsong",
    u"prevsong",
    u"stopsong",
    u"playsong",
};

const std::array<MarkupRow, 9> kMarkupRows = {{
    {u"<volume level=\"50\">텍스트</volume>", u"소리 크기 (0 ~ 100)"},
    {u"<rate absspeed=\"5\">텍스트</rate>", u"절대 속도 (-10 ~ 0 ~ 10)"},
    {u"<rate speed=\"5\">텍스트</rate>", u"상대 속도 (-10 ~ 0 ~ 10)"},
    {u"<pitch absmiddle=\"5\">텍스트</pitch>", u"음 절대 높이 (-10 ~ 0 ~ 10)"},
    {u"<pitch middle=\"5\">텍스트</pitch>", u"음 상대 높이 (-10 ~ 0 ~ 10)"},
    {u"<emph>텍스트</emph>", u"강조"},
    {u"<spell>텍스트</spell>", u"철자를 읽는다 (영문)"},
    {u"<silence msec=\"500\"/>", u"무음(공백) 넣기"},
    {u"<voice required=\"VW Yumi\">", u"목소리를 선택한다"},
}};

const std::array<std::u16string_view, 15> kLanguageIds = {
    u"한국어 : 412",
    u"영어 (US) : 409",
    u"영어 (UK) : 809",
    u"포르투갈어 (BR) : 416",
    u"포르투갈어 (PT) : 816",
    u"일본어 : 411",
    u"중국어 : 404",
    u"중국어 (PRC) : 804",
    u"스페인어 (SPA) : 40a",
    u"스페인어 (ARG) : 2c0a",
    u"스페인어 (CHI) : 340a",
    u"스페인어 (MEX) : 80a",
    u"스페인어 (VEN) : 200a",
    u"독일어 : 407",
    u"프랑스어 : 40c",
};

}  // namespace lumvox::core
