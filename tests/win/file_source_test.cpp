#include <windows.h>

#include <gtest/gtest.h>

#include "../core/code_page_cases.h"
#include "../core/page_fakes.h"
#include "core/utf.h"
#include "platform/file_source_win.h"
#include "platform/handles_win.h"
#include "platform/system_error_win.h"

namespace lumvox::core {
namespace {

using namespace lumvox::win;

// A file in the temporary folder, removed at the end of the test.
class TempFile {
public:
    explicit TempFile(const std::string& bytes) {
        wchar_t folder[MAX_PATH], name[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"lvx", 0, name);
        path_ = name;
        lumvox::win::UniqueHandle file = lumvox::win::AdoptFileHandle(
            CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        EXPECT_TRUE(file && WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr));
    }
    ~TempFile() { DeleteFileW(path_.c_str()); }
    const std::wstring& wide() const { return path_; }
    std::u16string path() const { return std::u16string(path_.begin(), path_.end()); }

private:
    std::wstring path_;
};

UniqueHandle OpenWith(const TempFile& file, DWORD access, DWORD share) {
    return AdoptFileHandle(
        CreateFileW(file.wide().c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::u16string ReadError(lumvox::win::WindowsFileSource& source, std::u16string_view path) {
    try {
        source.ReadAll(path);
    } catch (const ActionError& e) {
        return e.message();
    }
    return u"(no error)";
}

TEST(SystemErrorText, HasNoTrailingBlanksOrFullStops) {
    for (DWORD code : {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND}) {
        const std::u16string text = lumvox::win::SystemErrorText(code);
        ASSERT_FALSE(text.empty()) << code;
        const char16_t last = text.back();
        EXPECT_TRUE(last != u'.' && last != u' ' && last != u'\r' && last != u'\n') << ToUtf8Lossy(text);
    }
}

TEST(WindowsFileSource, ReadsTheWholeFileAndClosesIt) {
    std::string bytes(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + (i >> 12));
    for (const std::string& content : {std::string(), std::string("x"), bytes}) {
        TempFile file(content);
        lumvox::win::WindowsFileSource source;
        {
            // Others may read it meanwhile.
            lumvox::win::UniqueHandle reader = OpenWith(file, GENERIC_READ, FILE_SHARE_READ);
            ASSERT_TRUE(reader);
            EXPECT_TRUE(source.ReadAll(file.path()) == content) << content.size();
        }
        EXPECT_TRUE(OpenWith(file, GENERIC_WRITE, 0)) << "the file was left open";
    }
}

// ReadInPlace lends what ReadAll returns, once, with the file open as ReadAll
// has it (others read, nobody writes), and closes it after.
TEST(WindowsFileSource, LendsTheWholeFileInPlaceAndClosesIt) {
    std::string bytes(2 * 1024 * 1024 + 5, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + (i >> 12));
    for (const std::string& content : {std::string(), std::string("x"), bytes}) {
        TempFile file(content);
        lumvox::win::WindowsFileSource source;
        std::string lent;
        int loans = 0;
        source.ReadInPlace(file.path(), [&](std::string_view in_place) {
            lent = in_place;
            ++loans;
            EXPECT_TRUE(OpenWith(file, GENERIC_READ, FILE_SHARE_READ)) << "others may read meanwhile";
            EXPECT_FALSE(OpenWith(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE)) << "but not write";
        });
        EXPECT_EQ(loans, 1);
        EXPECT_TRUE(lent == content) << content.size();
        EXPECT_TRUE(OpenWith(file, GENERIC_WRITE, 0)) << "the file was left open";
    }
    const std::u16string gone = TempFile("").path() + u".gone";
    lumvox::win::WindowsFileSource source;
    std::u16string error;
    try {
        source.ReadInPlace(gone, [](std::string_view) { ADD_FAILURE() << "bytes lent"; });
    } catch (const ActionError& e) {
        error = e.message();
    }
    EXPECT_EQ(error, ReadError(source, gone));
    EXPECT_NE(error.find(u"Cannot open file"), std::u16string::npos) << ToUtf8Lossy(error);
}

TEST(WindowsFileSource, OpenFailuresNameTheFullPathAndTheSystemReason) {
    TempFile file("text");
    lumvox::win::WindowsFileSource source;
    {
        lumvox::win::UniqueHandle writer = OpenWith(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_TRUE(writer);
        EXPECT_EQ(ReadError(source, file.path()),
                  u"Cannot open file \"" + file.path() + u"\". " + lumvox::win::SystemErrorText(ERROR_SHARING_VIOLATION));
    }
    const std::u16string gone = file.path() + u".gone";
    EXPECT_EQ(ReadError(source, gone), u"Cannot open file \"" + gone + u"\". " + lumvox::win::SystemErrorText(ERROR_FILE_NOT_FOUND));

    wchar_t cwd[MAX_PATH];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, cwd);
    std::u16string full(cwd, cwd + length);
    if (full.back() != u'\\') full += u'\\';
    EXPECT_EQ(ReadError(source, u"no-such-file.txt"),
              u"Cannot open file \"" + full + u"no-such-file.txt\". " + lumvox::win::SystemErrorText(ERROR_FILE_NOT_FOUND));
}

TEST(WindowsFileSource, DecodesAsciiInTheAnsiCodePage) {
    lumvox::win::WindowsFileSource source;
    std::string ascii;
    for (char c = 0x20; c < 0x7F; ++c) ascii += c;
    EXPECT_EQ(source.DecodeAnsi(ascii), std::u16string(ascii.begin(), ascii.end()));
    EXPECT_EQ(source.DecodeAnsi(""), u"");
    EXPECT_FALSE(source.DecodeAnsi("\xE9").empty()) << "an undefined byte still becomes a character";
}

TEST(WindowsFileSource, DecodesNamedCodePagesAndFindsTheFirstUndefinedByte) {
    lumvox::win::WindowsFileSource source;
    for (const test::CodePageCase& c : test::kCodePageCases) {
        const CodePageText decoded = source.DecodeCodePage(c.bytes, c.code_page);
        EXPECT_TRUE(decoded.text.starts_with(c.starts) && decoded.text.ends_with(c.ends))
            << c.code_page << " " << ::testing::PrintToString(std::string(c.bytes));
        EXPECT_EQ(decoded.first_undefined, c.undefined_at) << c.code_page << " " << ::testing::PrintToString(std::string(c.bytes));
        EXPECT_EQ(decoded.code_page, c.code_page);
    }
    // A byte the code page leaves undefined is one U+FFFD, as on Linux, never
    // the system's best-fit look-alike.
    struct Exact { unsigned code_page; std::string_view bytes; std::u16string_view text; };
    const Exact kExact[] = {
        {20127, "ok \xC7\xD1!", u"ok \uFFFD\uFFFD!"},
        {20127, "a\x80" "b", u"a\uFFFDb"},
        {65000, "hi \xC7 there", u"hi \uFFFD there"},
        {949, "\xC7\xD1\xFF\xC7\xD1", u"한\uFFFD한"},
    };
    for (const Exact& e : kExact)
        EXPECT_EQ(source.DecodeCodePage(e.bytes, e.code_page).text, e.text) << e.code_page << " " << e.bytes;
    // The undefined byte is found on a later line too, past many good ones.
    std::string lines;
    for (int i = 0; i < 2000; ++i) lines += "\xC7\xD1\xB1\xDB\r\n";
    EXPECT_EQ(source.DecodeCodePage(lines + "ab\xC7\xD1\xFF", 949).first_undefined, lines.size() + 4);
    // Without a number, the system's ANSI code page, as the window reads files.
    const CodePageText ansi = source.DecodeCodePage("plain", std::nullopt);
    EXPECT_EQ(ansi.code_page, GetACP());
    EXPECT_EQ(ansi.text, u"plain");
    for (unsigned known : test::kKnownCodePages) EXPECT_TRUE(source.HasCodePage(known)) << known;
    for (unsigned unknown : test::kUnknownCodePages) EXPECT_FALSE(source.HasCodePage(unknown)) << unknown;
}

TEST(WindowsFileSource, FileOpenLoadsDecodedTextIntoTheFirstPage) {
    struct Case { std::string bytes; std::u16string_view text; };
    const Case cases[] = {
        {std::string("\xFE\xFF\xC5\x48\0\n\0a", 8), u"안\r\na"},
        {"\xEF\xBB\xBF" "line\rnext\n", u"line\r\nnext\r\n"},
        {"plain\nascii", u"plain\r\nascii"},
        {"\xEC\x95\x88\xEB\x85\x95 caf\xC3\xA9\n", u"안녕 café\r\n"},  // UTF-8 without a mark
    };
    for (const Case& c : cases) {
        TempFile file(c.bytes);
        testing::FakePageView view;
        testing::RecordingSpeechApp speech_app;
        testing::FakeNetwork network;
        testing::RecordingClipboard clipboard;
        lumvox::win::WindowsFileSource files;
        PageActions actions(view, PageLinks{speech_app, network, clipboard, files});
        view.fields[TextField::AppText] = u"old";
        view.chosen_file = file.path();
        actions.LoadTextFile();
        EXPECT_EQ(view.fields[TextField::AppText], c.text);
    }
}

}  // namespace
}  // namespace lumvox::core
