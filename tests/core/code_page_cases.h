#pragma once
// Files without a byte-order mark in named code pages, as both systems' code
// page decoders must read them (iconv on Linux, MultiByteToWideChar on
// Windows). Where a byte is undefined, each system puts its own substitute,
// so only the text around it is given. (Windows reads 0x80 alone as U+0080
// in 949, where iconv has it undefined: that byte is left out.)
#include <cstddef>
#include <optional>
#include <string_view>

namespace lumvox::test {

struct CodePageCase {
    unsigned code_page;
    std::string_view bytes;
    std::u16string_view starts, ends;         // the decoded text starts and ends so
    std::optional<std::size_t> undefined_at;  // the first byte the code page does not define
};

inline constexpr CodePageCase kCodePageCases[] = {
    {949, "\xC7\xD1\xB1\xDB", u"한글", u"한글", std::nullopt},
    {949, "x\r\ny \xBE\xC8\xB3\xE7", u"x\r\ny 안녕", u"안녕", std::nullopt},
    {949, "a\xC7 b\xC7\xD1", u"a", u"b한", 1},         // a space is no trail byte
    {949, "\xC7\xD1\xFF\xC7\xD1", u"한", u"한", 2},     // nor is 0xFF
    {949, "\xB1\xDB\xC7", u"글", u"", 2},               // a lead byte the file cuts off
    {932, "\x82\xA0", u"あ", u"あ", std::nullopt},
    {936, "\xC4\xE3", u"你", u"你", std::nullopt},
    {1252, "caf\xE9 \x80", u"café €", u"€", std::nullopt},
    {1252, "\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D", u"", std::nullopt},  // as Windows has them
    // US-ASCII defines nothing from 0x80 up: no byte is read as a look-alike
    // ("G" for C7, U+0000 for 80), each is found.
    {20127, "plain text", u"plain text", u"plain text", std::nullopt},
    {20127, "ok \xC7\xD1!", u"ok ", u"!", 3},
    {20127, "a\x80" "b", u"a", u"b", 1},
    // UTF-7 is 7-bit: a high byte is never passed through.
    {65000, "a+AMc-b", u"a\u00C7b", u"a\u00C7b", std::nullopt},
    {65000, "hi \xC7 there", u"hi ", u" there", 3},
    {65001, "\xED\x95\x9C", u"한", u"한", std::nullopt},
    {65001, "ok\xED\x95", u"ok", u"", 2},
};

// Numbers no system converts, and ones every system does.
inline constexpr unsigned kUnknownCodePages[] = {12345, 99, 1200};
inline constexpr unsigned kKnownCodePages[] = {949, 932, 936, 950, 1252, 65001};

}  // namespace lumvox::test
