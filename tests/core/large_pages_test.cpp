#include "core/large_pages.h"
#include "core/text_file_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#endif

namespace lumvox::core {
namespace {

constexpr std::size_t kMiB = 1u << 20;

#if defined(__linux__)

// A fresh private mapping whose first byte lies on a 2 MiB boundary.
class FreshMemory {
public:
    explicit FreshMemory(std::size_t bytes) : size_(bytes + 2 * kMiB) {
        raw_ = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        const auto at = reinterpret_cast<std::uintptr_t>(raw_);
        base_ = reinterpret_cast<char*>((at + 2 * kMiB - 1) & ~std::uintptr_t(2 * kMiB - 1));
    }
    FreshMemory(const FreshMemory&) = delete;
    FreshMemory& operator=(const FreshMemory&) = delete;
    ~FreshMemory() { munmap(raw_, size_); }
    bool ok() const { return raw_ != MAP_FAILED; }
    char* base() const { return base_; }

private:
    std::size_t size_;
    void* raw_;
    char* base_;
};

// Whether the kernel's map of this process marks the mapping holding `at` for large
// pages ("hg" among its VmFlags).
bool MarkedForLargePages(const void* at) {
    std::ifstream smaps("/proc/self/smaps");
    const auto address = reinterpret_cast<std::uintptr_t>(at);
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t from = 0, to = 0;
        char dash = 0;
        std::istringstream head(line);
        if (head >> std::hex >> from >> dash >> to && dash == '-' && line.find(':') > line.find(' ')) {
            inside = from <= address && address < to;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            std::istringstream flags(line.substr(8));
            for (std::string flag; flags >> flag;)
                if (flag == "hg") return true;
            return false;
        }
    }
    return false;
}

bool SystemHasLargePages() { return access("/sys/kernel/mm/transparent_hugepage/enabled", F_OK) == 0; }

// Each case: a buffer at `offset` past a 2 MiB boundary, of `bytes`; the advice
// must cover exactly the whole 2 MiB pages inside it.
TEST(PreferLargePages, MarksTheWholeLargePagesInsideTheBufferAndNothingElse) {
    struct Case {
        const char* what;
        std::size_t offset, bytes;
        bool taken;
    } const cases[] = {
        {"aligned, 8 MiB", 0, 8 * kMiB, true},
        {"starts 4 KiB past a boundary", 4096, 8 * kMiB, true},
        {"ends 1 byte short of a boundary", 0, 6 * kMiB - 1, true},
        {"just at the minimum, unaligned", 12345, kLargePageHintMin, true},
        {"below the minimum", 0, kLargePageHintMin - 1, false},
        {"small", 0, 64 * 1024, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FreshMemory memory(12 * kMiB);
        ASSERT_TRUE(memory.ok());
        char* const data = memory.base() + c.offset;
        const bool taken = PreferLargePages(data, c.bytes);
        EXPECT_EQ(taken, c.taken && SystemHasLargePages());
        const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(data);
        const std::uintptr_t first = (start + 2 * kMiB - 1) & ~std::uintptr_t(2 * kMiB - 1);
        const std::uintptr_t end = (start + c.bytes) & ~std::uintptr_t(2 * kMiB - 1);
        for (std::uintptr_t page = reinterpret_cast<std::uintptr_t>(memory.base()); page < start + c.bytes + 2 * kMiB;
             page += 2 * kMiB / 2) {
            const bool inside = taken && page >= first && page < end;
            EXPECT_EQ(MarkedForLargePages(reinterpret_cast<void*>(page)), inside)
                << "at " << (page - reinterpret_cast<std::uintptr_t>(memory.base())) / 1024 << " KiB";
        }
        // Head and tail left out: the bytes just before the first whole page, and the last byte.
        if (taken && start < first) EXPECT_FALSE(MarkedForLargePages(reinterpret_cast<void*>(first - 1)));
        if (taken && end < start + c.bytes) EXPECT_FALSE(MarkedForLargePages(reinterpret_cast<void*>(start + c.bytes - 1)));
    }
}

// The decoder's result for a big text is written into memory marked that way, from
// every kind of file; a small one's is left alone.
TEST(PreferLargePages, TheDecodersBigResultsAreMarked) {
    const AnsiDecoder ansi = [](std::string_view bytes) { return DecodeWindows1252(bytes); };
    struct Case {
        const char* what;
        std::string bytes;
        bool big;
    } const cases[] = {
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + std::string(6 * kMiB, 'a'), true},
        {"UTF-16LE", "\xFF\xFE" + std::string(6 * kMiB, 'a'), true},
        {"ANSI, line breaks made CR LF", std::string(6 * kMiB, '\n'), true},
        {"UTF-8, small", "\xEF\xBB\xBF" + std::string(64 * 1024, 'a'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string text = DecodeTextFile(c.bytes, ansi);
        ASSERT_GT(text.size(), 1u);
        EXPECT_EQ(MarkedForLargePages(text.data() + text.size() / 2), c.big && SystemHasLargePages());
    }
}

#else

TEST(PreferLargePages, IsNeverTakenWithoutTheSystemsLargePages) {
    for (const std::size_t bytes : {std::size_t{0}, std::size_t{64 * 1024}, kLargePageHintMin, 16 * kMiB}) {
        std::vector<char> buffer(bytes + 1);
        EXPECT_FALSE(PreferLargePages(buffer.data(), bytes)) << bytes;
    }
}

#endif

}  // namespace
}  // namespace lumvox::core
