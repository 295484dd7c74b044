#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "core/action_error.h"
#include "core/utf.h"
#include "platform/file_source_posix.h"
#include "../core/code_page_cases.h"

namespace lumvox::posix {
namespace {

// A fresh folder in the temporary folder, removed with what it holds.
class TempFolder {
public:
    TempFolder() {
        char name[] = "/tmp/lvx-files-XXXXXX";
        path_ = mkdtemp(name);
    }
    ~TempFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string path = path_ + "/" + name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return path;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::u16string Wide(const std::string& path) { return *core::Utf8ToUtf16(path); }

TEST(PosixFileSource, ReadsRegularFilesWholeAndByteForByte) {
    std::string large(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 131 + (i >> 12));
    const TempFolder folder;
    PosixFileSource source;
    int n = 0;
    for (const std::string& content : {std::string(), std::string("x"), std::string("\xEF\xBB\xBF\xED\x95\x9C\r\n"), large}) {
        const std::string path = folder.Write("file" + std::to_string(n++) + ".txt", content);
        EXPECT_TRUE(source.ReadAll(Wide(path)) == content) << content.size();
    }
}

TEST(PosixFileSource, ReadsWhatIsNotARegularFileToItsEnd) {
    const TempFolder folder;
    const std::string fifo = folder.path() + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // More than one chunk of the reader, written in pieces.
    std::string bytes;
    for (int i = 0; i < 20000; ++i) bytes += "line " + std::to_string(i) + "\n";
    std::thread writer([&] {
        std::ofstream out(fifo, std::ios::binary);
        for (size_t at = 0; at < bytes.size(); at += 1000) out.write(bytes.data() + at, std::streamsize(std::min<size_t>(1000, bytes.size() - at)));
    });
    const std::string read = PosixFileSource().ReadAll(Wide(fifo));
    writer.join();
    EXPECT_EQ(read.size(), bytes.size());
    EXPECT_TRUE(read == bytes);
}

TEST(PosixFileSource, FailuresNameThePathAndTheSystemReason) {
    const TempFolder folder;
    struct Case {
        std::string path;
        std::u16string head;
        int error;
    };
    const Case cases[] = {
        {folder.path() + "/gone.txt", u"Cannot open file ", ENOENT},
        {folder.path(), u"Cannot read file ", EISDIR},
    };
    for (const Case& c : cases) {
        try {
            PosixFileSource().ReadAll(Wide(c.path));
            ADD_FAILURE() << c.path << " was read";
        } catch (const core::CauseError& e) {
            const std::u16string reason = *core::Utf8ToUtf16(std::strerror(c.error));
            EXPECT_EQ(e.message(), c.head + u"\"" + Wide(c.path) + u"\". " + reason) << c.path;
            EXPECT_EQ(e.cause().code, core::CauseCode::FileUnreadable);
            EXPECT_EQ(e.cause().path, Wide(c.path));
            EXPECT_EQ(e.cause().system_code, static_cast<std::uint32_t>(c.error));
        }
    }
}

// ReadInPlace lends what ReadAll returns, once, mapped or read; and fails alike.
TEST(PosixFileSource, LendsTheSameBytesInPlace) {
    const TempFolder folder;
    PosixFileSource source;
    auto lent = [&](const std::string& path) {
        std::string copy;
        int loans = 0;
        source.ReadInPlace(Wide(path), [&](std::string_view bytes) {
            copy = bytes;
            ++loans;
        });
        EXPECT_EQ(loans, 1) << path;
        return copy;
    };
    std::string large(2 * 1024 * 1024 + 5, '\0');
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 131 + (i >> 12));
    int n = 0;
    for (const std::string& content : {std::string(), std::string("\xEF\xBB\xBF\xED\x95\x9C\r\n"), large}) {
        const std::string path = folder.Write("lent" + std::to_string(n++) + ".txt", content);
        EXPECT_TRUE(lent(path) == content) << content.size();
    }

    const std::string fifo = folder.path() + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string piped(200 * 1024 + 3, 'p');
    std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << piped; });
    const std::string from_pipe = lent(fifo);
    writer.join();
    EXPECT_TRUE(from_pipe == piped) << from_pipe.size();

    for (const std::string& path : {folder.path() + "/gone.txt", folder.path()}) {
        std::u16string read_all_error, in_place_error;
        try {
            source.ReadAll(Wide(path));
        } catch (const core::CauseError& e) {
            read_all_error = e.message();
        }
        try {
            source.ReadInPlace(Wide(path), [](std::string_view) { ADD_FAILURE() << "bytes lent"; });
        } catch (const core::CauseError& e) {
            in_place_error = e.message();
        }
        EXPECT_FALSE(in_place_error.empty()) << path;
        EXPECT_EQ(in_place_error, read_all_error) << path;
    }
}

TEST(PosixFileSource, DecodesCodePagesThroughIconvAndFindsTheFirstUndefinedByte) {
    PosixFileSource source;
    for (const test::CodePageCase& c : test::kCodePageCases) {
        const core::CodePageText decoded = source.DecodeCodePage(c.bytes, c.code_page);
        EXPECT_TRUE(decoded.text.starts_with(c.starts) && decoded.text.ends_with(c.ends)) << c.code_page << " " << c.bytes;
        EXPECT_EQ(decoded.first_undefined, c.undefined_at) << c.code_page << " " << c.bytes;
        EXPECT_EQ(decoded.code_page, c.code_page);
    }
    // There is no ANSI code page here: the workshop's home code page stands in.
    const core::CodePageText home = source.DecodeCodePage("\xC7\xD1\xB1\xDB", std::nullopt);
    EXPECT_EQ(home.text, u"한글");
    EXPECT_EQ(home.code_page, 949u);
    EXPECT_EQ(source.DecodeAnsi("\xC7\xD1\xB1\xDB"), u"한글");
    // Past one conversion buffer, a character split across its end and all.
    std::string long_text;
    std::u16string expected;
    for (int i = 0; i < 20000; ++i) {
        long_text += (i % 7 == 0) ? "\r\n" : "\xC7\xD1";
        expected += (i % 7 == 0) ? u"\r\n" : u"한";
    }
    EXPECT_TRUE(source.DecodeCodePage(long_text + "\x80", 949).text == expected + u"\uFFFD");
    EXPECT_EQ(source.DecodeCodePage(long_text + "\x80", 949).first_undefined, long_text.size());
    for (unsigned known : test::kKnownCodePages) EXPECT_TRUE(source.HasCodePage(known)) << known;
    for (unsigned unknown : test::kUnknownCodePages) EXPECT_FALSE(source.HasCodePage(unknown)) << unknown;
}

}  // namespace
}  // namespace lumvox::posix
