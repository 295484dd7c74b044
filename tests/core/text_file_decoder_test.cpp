#include "core/text_file_decoder.h"

#include <gtest/gtest.h>

#include <random>

#include "core/action_error.h"
#include "core/send/links.h"
#include "core/utf.h"

namespace lumvox::core {
namespace {

std::string Show(std::u16string_view text) { return ToUtf8Lossy(text); }

std::u16string Decode(std::string_view bytes) { return DecodeTextFile(bytes, DecodeWindows1252); }

// Obviously right, unit by unit: what the decoder's line-break rule must give.
std::u16string ReferenceBreaks(std::u16string_view text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            out += u"\r\n";
            ++i;
        } else if (text[i] == u'\r' || text[i] == u'\n') {
            out += u"\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Utf16Bytes(std::u16string_view text, bool big_endian) {
    std::string out;
    for (char16_t u : text) {
        char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        if (big_endian) out += {hi, lo};
        else out += {lo, hi};
    }
    return out;
}

// The same text written in each way the decoder reads a file.
std::vector<std::pair<const char*, std::string>> EveryEncoding(std::u16string_view text) {
    std::string utf8 = *Utf16ToUtf8(text);
    return {{"utf-8 mark", "\xEF\xBB\xBF" + utf8},
            {"utf-16le mark", "\xFF\xFE" + Utf16Bytes(text, false)},
            {"utf-16be mark", "\xFE\xFF" + Utf16Bytes(text, true)}};
}

TEST(DetectByteOrderMark, MarksInTheirOrder) {
    struct Case { std::string_view bytes; TextFileEncoding encoding; size_t size; };
    const Case cases[] = {
        {"\xEF\xBB\xBF", TextFileEncoding::Utf8, 3},
        {"\xEF\xBB\xBFx", TextFileEncoding::Utf8, 3},
        {"\xFF\xFE", TextFileEncoding::Utf16Le, 2},
        {std::string_view("\xFF\xFE\0\0", 4), TextFileEncoding::Utf16Le, 2},
        {"\xFE\xFF", TextFileEncoding::Utf16Be, 2},
        {"\xEF\xBB", TextFileEncoding::Ansi, 0},
        {"\xBB\xEF\xBF", TextFileEncoding::Ansi, 0},
        {"\xFE", TextFileEncoding::Ansi, 0},
        {"x\xFF\xFE", TextFileEncoding::Ansi, 0},
        {"", TextFileEncoding::Ansi, 0},
    };
    for (const Case& c : cases) {
        ByteOrderMark mark = DetectByteOrderMark(c.bytes);
        EXPECT_EQ(mark.encoding, c.encoding) << c.bytes.size();
        EXPECT_EQ(mark.size, c.size) << c.bytes.size();
    }
}

TEST(DecodeTextFile, EachMarkIsRemovedAndDecodes) {
    struct Case { const char* name; std::string bytes; std::u16string text; };
    const Case cases[] = {
        {"utf-8", "\xEF\xBB\xBF" "a\xEC\x95\x88\xC3\xA9\xF0\x9F\x98\x80", u"a안é\xD83D\xDE00"},
        {"utf-8 mark only", "\xEF\xBB\xBF", u""},
        {"utf-8 second mark kept", "\xEF\xBB\xBF\xEF\xBB\xBFx", u"\uFEFFx"},
        {"utf-16le", std::string("\xFF\xFE" "a\0\x48\xC5\x3D\xD8\x00\xDE", 10), u"a안\xD83D\xDE00"},
        {"utf-16be", std::string("\xFE\xFF\0a\xC5\x48\xD8\x3D\xDE\x00", 10), u"a안\xD83D\xDE00"},
        {"utf-16le mark only", "\xFF\xFE", u""},
        {"utf-16le unpaired surrogate kept", std::string("\xFF\xFE\x00\xD8x\0", 6), u"\xD800x"},
        {"utf-16le odd byte", std::string("\xFF\xFE" "a\0b", 5), u"a\uFFFD"},
        {"utf-16be odd byte", std::string("\xFE\xFF\0ab", 5), u"a\uFFFD"},
        {"utf-16le NUL unit", std::string("\xFF\xFE\0\0", 4), std::u16string(u"\0", 1)},
        // Without a mark, well-formed UTF-8 with a non-ASCII byte is UTF-8 (Notepad's default)...
        {"no mark, utf-8", "\xEC\x95\x88\xEB\x85\x95 caf\xC3\xA9\r\n\xF0\x9F\x98\x80", u"안녕 café\r\n\xD83D\xDE00"},
        {"no mark, utf-8 after ascii", std::string(20000, 'x') + "\n\xC3\xA9", std::u16string(20000, u'x') + u"\r\né"},
        {"no mark, utf-8 mark in the middle", "x\xEF\xBB\xBF", u"x\uFEFF"},
        // ...and anything else is read in the ANSI code page (here Windows-1252).
        {"no mark, code page 949", "\xBE\xC8\xB3\xE7", u"\u00BE\u00C8\u00B3\u00E7"},
        {"no mark, utf-8 then a stray byte", "\xEC\x95\x88\x80", u"\u00EC\u2022\u02C6\u20AC"},
        {"partial mark", "\xEF\xBBx", u"\u00EF\u00BBx"},
        {"empty", "", u""},
    };
    for (const Case& c : cases) EXPECT_EQ(Decode(c.bytes), c.text) << c.name << ": " << Show(Decode(c.bytes));
}

TEST(DecodeTextFile, OnlyMarklessFilesGoToTheAnsiDecoder) {
    std::vector<std::string> seen;
    AnsiDecoder ansi = [&](std::string_view bytes) {
        seen.emplace_back(bytes);
        return std::u16string(u"decoded\n");
    };
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBFx", ansi), u"x");
    EXPECT_EQ(DecodeTextFile(std::string_view("\xFF\xFEx\0", 4), ansi), u"x");
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(DecodeTextFile("\xC3\xA9", ansi), u"é") << "well-formed UTF-8 without a mark";
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(DecodeTextFile("raw\xEF", ansi), u"decoded\r\n") << "its result gets CR LF too";
    EXPECT_EQ(DecodeTextFile("ascii\n", ansi), u"decoded\r\n") << "pure ASCII keeps the code page";
    EXPECT_EQ(DecodeTextFile("", ansi), u"decoded\r\n");
    EXPECT_EQ(seen, (std::vector<std::string>{"raw\xEF", "ascii\n", ""}));
    // A code page the user names takes well-formed UTF-8 too; a mark still decides.
    seen.clear();
    EXPECT_EQ(DecodeTextFile("\xC3\xA9", ansi, UnmarkedFile::AnsiOnly), u"decoded\r\n");
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF\xC3\xA9", ansi, UnmarkedFile::AnsiOnly), u"é");
    EXPECT_EQ(seen, (std::vector<std::string>{"\xC3\xA9"}));
}

// A source that only lends its bytes in place: ReadTextFile decodes them there,
// and what has no mark goes to the source's own ANSI decoder.
TEST(ReadTextFile, DecodesTheBytesTheSourceLends) {
    struct LendingFiles final : FileSource {
        std::string ReadAll(std::u16string_view) override { throw std::logic_error("copied"); }
        void ReadInPlace(std::u16string_view path, const std::function<void(std::string_view)>& use) override {
            paths.emplace_back(path);
            use(path == u"marked" ? std::string_view("\xEF\xBB\xBF" "a\nb") : std::string_view("plain\r"));
        }
        std::u16string DecodeAnsi(std::string_view bytes) override { return u"ansi:" + Widen(bytes); }
        static std::u16string Widen(std::string_view b) { return std::u16string(b.begin(), b.end()); }
        std::vector<std::u16string> paths;
    } files;
    EXPECT_EQ(ReadTextFile(files, u"marked"), u"a\r\nb");
    EXPECT_EQ(ReadTextFile(files, u"other"), u"ansi:plain\r\n");
    EXPECT_EQ(ReadTextFile(files, u"other", [](std::string_view) { return std::u16string(u"given\r"); }),
              u"given\r\n") << "an ANSI decoder given takes the source's place";
    EXPECT_EQ(files.paths, (std::vector<std::u16string>{u"marked", u"other", u"other"}));
}

TEST(DecodeTextFile, EveryLineBreakBecomesCrLf) {
    struct Case { std::u16string_view text, expected; };
    const Case cases[] = {
        {u"a\nb\nc", u"a\r\nb\r\nc"},          // LF only
        {u"a\rb\rc", u"a\r\nb\r\nc"},          // CR only
        {u"a\r\nb\r\nc", u"a\r\nb\r\nc"},      // CR LF stays
        {u"a\nb\rc\r\nd", u"a\r\nb\r\nc\r\nd"},  // mixed
        {u"a\n\rb", u"a\r\n\r\nb"},            // LF CR is two breaks
        {u"a\r\r\nb", u"a\r\n\r\nb"},
        {u"a\n\nb", u"a\r\n\r\nb"},
        {u"end\n", u"end\r\n"},                // a final break is kept
        {u"end\r", u"end\r\n"},
        {u"end\r\n", u"end\r\n"},
        {u"end", u"end"},                      // and none is added
        {u"\n", u"\r\n"},
        {u"\r", u"\r\n"},
        {u"안녕\n하세요\n", u"안녕\r\n하세요\r\n"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        for (const auto& [name, bytes] : EveryEncoding(c.text))
            EXPECT_EQ(Decode(bytes), c.expected) << name << ": " << Show(c.text);
        std::string ansi = *Utf16ToUtf8(c.text);
        if (ansi.find('\xEC') == std::string::npos) {  // ASCII only: the same in Windows-1252
            EXPECT_EQ(Decode(ansi), c.expected) << "no mark: " << Show(c.text);
        }
        EXPECT_EQ(NormalizeLineBreaks(c.text), c.expected) << Show(c.text);
    }
}

TEST(DecodeTextFile, IllFormedUtf8AfterTheMarkFailsTheWholeLoad) {
    const std::string_view bad[] = {
        "\x80",                  // stray continuation byte
        "ab\xBF",                //
        "\xEC\x95",              // truncated three-byte form
        "\xEC\x95x",             //
        "\xC3",                  // truncated two-byte form at the end
        "\xF0\x9F\x98",          // truncated four-byte form
        "\xC0\xAF",              // overlong
        "\xC1\xBF",              //
        "\xE0\x80\xAF",          //
        "\xF0\x8F\xBF\xBF",      //
        "\xED\xA0\x80",          // encoded surrogate
        "\xED\xBF\xBF",          //
        "\xF4\x90\x80\x80",      // above U+10FFFF
        "\xF5\x80\x80\x80",      //
        "\xFF",                  //
        "\xC3\xA9\xC3",          // valid, then truncated
    };
    for (std::string_view tail : bad) {
        for (const std::string& lead : {std::string(), std::string(100000, 'x') + "\n"}) {
            try {
                Decode("\xEF\xBB\xBF" + lead + std::string(tail));
                ADD_FAILURE() << "accepted " << ::testing::PrintToString(std::string(tail));
            } catch (const ActionError& e) {
                EXPECT_EQ(e.message(), kNoMappingMessage);
            }
            // Without the mark the same bytes are a code page text, wherever the fault lies.
            std::string markless = lead + std::string(tail);
            EXPECT_EQ(Decode(markless), NormalizeLineBreaks(DecodeWindows1252(markless)))
                << ::testing::PrintToString(std::string(tail));
        }
    }
}

TEST(DecodeTextFile, AgreesWithTheStrictDecoderOnLongMixedTexts) {
    // Long enough to cross the decoder's internal blocks, with breaks and
    // multi-byte forms landing on every offset.
    const std::u16string_view pieces[] = {u"a", u" ", u"\r", u"\n", u"\r\n", u"안", u"é",
                                          u"\xD83D\xDE00", u"0123456789abcdef", u"\t"};
    std::mt19937 random(20240611);
    for (int round = 0; round < 8; ++round) {
        std::u16string text;
        while (text.size() < 300000) text += pieces[random() % std::size(pieces)];
        const std::u16string expected = ReferenceBreaks(text);
        for (const auto& [name, bytes] : EveryEncoding(text)) {
            std::u16string got = Decode(bytes);
            ASSERT_EQ(got.size(), expected.size()) << name << " round " << round;
            EXPECT_TRUE(got == expected) << name << " round " << round;
        }
    }
    // Nothing but lone breaks: the output doubles, the most it can grow.
    for (std::u16string_view lone : {u"\n", u"\r"}) {
        const std::u16string text(100000, lone[0]);
        for (const auto& [name, bytes] : EveryEncoding(text)) {
            std::u16string got = Decode(bytes);
            ASSERT_EQ(got.size(), 200000u) << name;
            EXPECT_TRUE(got == ReferenceBreaks(text)) << name;
        }
    }
    // Random bytes: accepted exactly when the strict decoder accepts them.
    const unsigned char alphabet[] = {'a', '\r', '\n', 0x80, 0xBF, 0xC2, 0xC3, 0xE0, 0xED, 0xEC,
                                      0x95, 0xF0, 0xF4, 0x9F, 0x90, 0xA0, 0xC0, 0xFF};
    for (int round = 0; round < 4000; ++round) {
        std::string bytes;
        for (size_t n = 1 + random() % 12; n > 0; --n) bytes += static_cast<char>(alphabet[random() % std::size(alphabet)]);
        std::optional<std::u16string> strict = Utf8ToUtf16(bytes);
        try {
            std::u16string got = Decode("\xEF\xBB\xBF" + bytes);
            ASSERT_TRUE(strict.has_value()) << "accepted " << ::testing::PrintToString(bytes);
            EXPECT_EQ(got, ReferenceBreaks(*strict));
        } catch (const ActionError&) {
            ASSERT_FALSE(strict.has_value()) << "refused " << ::testing::PrintToString(bytes);
        }
    }
}

TEST(DecodeWindows1252, EveryByteIsOneCharacter) {
    struct Case { unsigned char byte; char16_t unit; };
    const Case cases[] = {
        {0x00, 0x0000}, {0x41, u'A'},   {0x7F, 0x007F}, {0x80, 0x20AC}, {0x81, 0x0081}, {0x8D, 0x008D},
        {0x8F, 0x008F}, {0x90, 0x0090}, {0x92, 0x2019}, {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0},
        {0xE9, 0x00E9}, {0xFF, 0x00FF},
    };
    for (const Case& c : cases) {
        std::u16string got = DecodeWindows1252(std::string(1, static_cast<char>(c.byte)));
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0], c.unit) << int(c.byte);
    }
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(DecodeWindows1252(all).size(), 256u);
}

}  // namespace
}  // namespace lumvox::core
