#include "text_file_decoder.h"

#include "utf.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "action_error.h"
#include "large_pages.h"
#include "send/links.h"

namespace lumvox::core {
namespace {

// Input is decoded in blocks into a staging buffer that stays in the cache,
// then appended: the result is written once, and its memory is touched only
// as far as it is used. No byte yields more than two units (LF to CR LF), and
// a sequence or CR LF that starts inside a block may end up to 3 bytes past it.
constexpr size_t kBlock = 8 * 1024;
constexpr size_t kStageUnits = 2 * (kBlock + 4) + 16;

class UnitSink {
public:
    // Reserved whole and asked for large pages before the first unit is written: a
    // text of many MiB then takes a page fault per 2 MiB, not per 4 KiB.
    explicit UnitSink(size_t expected) { out_ = Reserved(expected); }
    char16_t* Stage() { return stage_; }
    void Commit(const char16_t* end) {
        const size_t n = static_cast<size_t>(end - stage_);
        // A text of many line breaks outgrows the guess: the bigger buffer is asked
        // for large pages too, before the text so far is copied into it.
        if (out_.size() + n > out_.capacity()) {
            std::u16string bigger = Reserved(std::max(out_.size() + n, 2 * out_.capacity()));
            bigger.append(out_);
            out_ = std::move(bigger);
        }
        out_.append(stage_, n);
    }
    std::u16string Finish() { return std::move(out_); }

private:
    static std::u16string Reserved(size_t units) {
        std::u16string text;
        text.reserve(units);
        PreferLargePages(text.data(), text.capacity() * sizeof(char16_t));
        return text;
    }

    std::u16string out_;
    char16_t stage_[kStageUnits];
};

size_t ExpectedUnits(size_t units_in) { return units_in + units_in / 16 + 16; }

// The position of the bad sequence is found again on the failing path only, so
// the fast decoder keeps none.
[[noreturn]] void ThrowNoMapping(std::string_view body, size_t body_offset) {
    SendCause cause;
    cause.code = CauseCode::FileNotUtf8;
    cause.offset = body_offset + FirstIllFormedUtf8(body).value_or(0);
    throw CauseError(std::u16string(kNoMappingMessage), std::move(cause));
}

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;

uint64_t LoadLittleEndian(const unsigned char* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}

// Flags the bytes of v that end a plain ASCII run: non-ASCII, CR and LF. The
// lowest flag is exact (borrows may only add flags above a true one).
constexpr uint64_t RunStops(uint64_t v) {
    auto equal = [v](unsigned char byte) {
        const uint64_t x = v ^ (kOnes * byte);
        return (x - kOnes) & ~x & kHighBits;
    };
    return (v & kHighBits) | equal('\n') | equal('\r');
}

bool HasNonAscii(const unsigned char* p, const unsigned char* end) {
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16)
        if (_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))) != 0) return true;
#endif
    for (; end - p >= 8; p += 8)
        if (LoadLittleEndian(p) & kHighBits) return true;
    for (; p < end; ++p)
        if (*p >= 0x80) return true;
    return false;
}

constexpr bool IsPlainAscii(unsigned b) { return b < 0x80 && b != '\r' && b != '\n'; }

// Widens the run of plain ASCII bytes at p, sixteen a step, and returns its
// length. A step writes all sixteen units before it knows where the run ends:
// the stage has room for them.
size_t CopyAsciiRun(const unsigned char* p, const unsigned char* block_end, char16_t* dst) {
    size_t n = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    while (block_end - (p + n) >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + n), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + n + 8), _mm_unpackhi_epi8(bytes, zero));
        // The sign bit marks non-ASCII bytes; the compares mark CR and LF.
        const __m128i stops = _mm_or_si128(bytes, _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr)));
        if (const int mask = _mm_movemask_epi8(stops)) return n + static_cast<size_t>(std::countr_zero(unsigned(mask)));
        n += 16;
    }
#else
    while (block_end - (p + n) >= 16) {
        const unsigned char* q = p + n;
        const uint64_t stops_low = RunStops(LoadLittleEndian(q)), stops_high = RunStops(LoadLittleEndian(q + 8));
        for (int k = 0; k < 16; ++k) dst[n + k] = q[k];
        if (stops_low) return n + static_cast<size_t>(std::countr_zero(stops_low) / 8);
        if (stops_high) return n + 8 + static_cast<size_t>(std::countr_zero(stops_high) / 8);
        n += 16;
    }
#endif
    while (p + n < block_end && IsPlainAscii(p[n])) {
        dst[n] = p[n];
        ++n;
    }
    return n;
}

// Strict UTF-8 to UTF-16 with the line breaks made CR LF, in one pass;
// nullopt at the first ill-formed sequence.
std::optional<std::u16string> DecodeUtf8(const unsigned char* p, const unsigned char* end) {
    UnitSink sink(ExpectedUnits(static_cast<size_t>(end - p)));
    while (p < end) {
        const unsigned char* block_end = p + std::min<size_t>(static_cast<size_t>(end - p), kBlock);
        char16_t* dst = sink.Stage();
        while (p < block_end) {
            const unsigned b0 = *p;
            if (IsPlainAscii(b0)) {
                const size_t n = CopyAsciiRun(p, block_end, dst);
                p += n;
                dst += n;
                continue;
            }
            if (b0 == '\r' || b0 == '\n') {
                *dst++ = u'\r';
                *dst++ = u'\n';
                p += (b0 == '\r' && end - p >= 2 && p[1] == '\n') ? 2 : 1;
                continue;
            }
            // Three-byte forms first: Hangul and most of the BMP. A run of
            // them (a Korean word) stays in this loop.
            if ((b0 & 0xF0) == 0xE0) {
                do {
                    if (end - p < 3) return std::nullopt;
                    const unsigned lead = p[0], b1 = p[1], b2 = p[2];
                    if (((b1 & 0xC0) != 0x80) || ((b2 & 0xC0) != 0x80)) return std::nullopt;
                    const char32_t cp = ((lead & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
                    if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
                    *dst++ = static_cast<char16_t>(cp);
                    p += 3;
                } while (p < block_end && (*p & 0xF0) == 0xE0);
                continue;
            }
            if (b0 >= 0xC2 && b0 <= 0xDF) {
                if (end - p < 2 || (p[1] & 0xC0) != 0x80) return std::nullopt;
                *dst++ = static_cast<char16_t>(((b0 & 0x1Fu) << 6) | (p[1] & 0x3Fu));
                p += 2;
                continue;
            }
            if (b0 >= 0xF0 && b0 <= 0xF4) {
                if (end - p < 4) return std::nullopt;
                const unsigned b1 = p[1], b2 = p[2], b3 = p[3];
                if (((b1 & 0xC0) != 0x80) || ((b2 & 0xC0) != 0x80) || ((b3 & 0xC0) != 0x80))
                    return std::nullopt;
                const char32_t cp = ((b0 & 0x07u) << 18) | ((b1 & 0x3Fu) << 12) |
                                    ((b2 & 0x3Fu) << 6) | (b3 & 0x3Fu);
                if (cp < 0x10000 || cp > 0x10FFFF) return std::nullopt;
                *dst++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                *dst++ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
                p += 4;
                continue;
            }
            return std::nullopt;  // a stray continuation byte, C0, C1 or F5..FF
        }
        sink.Commit(dst);
    }
    return sink.Finish();
}

struct LittleEndianBytes {
    static constexpr size_t kSize = 2;
    static char16_t Read(const unsigned char* p) { return static_cast<char16_t>(p[0] | (p[1] << 8)); }
};
struct BigEndianBytes {
    static constexpr size_t kSize = 2;
    static char16_t Read(const unsigned char* p) { return static_cast<char16_t>((p[0] << 8) | p[1]); }
};
struct NativeUnits {
    static constexpr size_t kSize = 1;
    static char16_t Read(const char16_t* p) { return *p; }
};

// UTF-16 units (from bytes in either order, or already units) with the line
// breaks made CR LF. Unpaired surrogates pass unchanged: the text area holds
// UTF-16 units and loses nothing by keeping them.
template <class Reader, class Elem>
void CopyUnitsNormalized(const Elem* p, size_t units, UnitSink& sink) {
    const Elem* const end = p + units * Reader::kSize;
    while (p < end) {
        const size_t left = static_cast<size_t>(end - p) / Reader::kSize;
        const Elem* block_end = p + std::min(left, kBlock) * Reader::kSize;
        char16_t* dst = sink.Stage();
        while (p < block_end) {
            const char16_t unit = Reader::Read(p);
            p += Reader::kSize;
            if (unit == u'\r' || unit == u'\n') {
                *dst++ = u'\r';
                *dst++ = u'\n';
                if (unit == u'\r' && p < end && Reader::Read(p) == u'\n') p += Reader::kSize;
            } else {
                *dst++ = unit;
            }
        }
        sink.Commit(dst);
    }
}

template <class Reader>
std::u16string DecodeUtf16(const unsigned char* p, size_t bytes) {
    const size_t units = bytes / 2;
    UnitSink sink(ExpectedUnits(units));
    CopyUnitsNormalized<Reader>(p, units, sink);
    if (bytes % 2 != 0) {
        // Half a unit cannot be decoded; a visible replacement tells the user
        // the file was cut short, where dropping the byte would hide it.
        char16_t* dst = sink.Stage();
        *dst++ = u'\uFFFD';
        sink.Commit(dst);
    }
    return sink.Finish();
}

constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

ByteOrderMark DetectByteOrderMark(std::string_view bytes) {
    auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    if (starts("\xEF\xBB\xBF")) return {TextFileEncoding::Utf8, 3};
    if (starts("\xFF\xFE")) return {TextFileEncoding::Utf16Le, 2};
    if (starts("\xFE\xFF")) return {TextFileEncoding::Utf16Be, 2};
    return {TextFileEncoding::Ansi, 0};
}

std::u16string DecodeTextFile(std::string_view bytes, const AnsiDecoder& ansi, UnmarkedFile unmarked) {
    const ByteOrderMark mark = DetectByteOrderMark(bytes);
    const std::string_view body = bytes.substr(mark.size);
    const auto* p = reinterpret_cast<const unsigned char*>(body.data());
    switch (mark.encoding) {
    case TextFileEncoding::Utf8:
        if (auto text = DecodeUtf8(p, p + body.size())) return std::move(*text);
        ThrowNoMapping(body, mark.size);
    case TextFileEncoding::Utf16Le: return DecodeUtf16<LittleEndianBytes>(p, body.size());
    case TextFileEncoding::Utf16Be: return DecodeUtf16<BigEndianBytes>(p, body.size());
    case TextFileEncoding::Ansi: break;
    }
    // Notepad saves UTF-8 without a mark by default. A legacy code page text
    // (949 included) is almost never well-formed UTF-8, and pure ASCII reads
    // the same in both, so such a file stays with the ANSI decoder.
    if (unmarked == UnmarkedFile::Utf8WhenWellFormed && HasNonAscii(p, p + body.size())) {
        if (auto text = DecodeUtf8(p, p + body.size())) return std::move(*text);
    }
    // A code page decoder of the platform's own cannot be fused with the line
    // breaks, so only this path takes a second pass.
    return NormalizeLineBreaks(ansi(body));
}

std::u16string ReadTextFile(FileSource& files, std::u16string_view path, const AnsiDecoder& ansi) {
    std::u16string text;
    files.ReadInPlace(path, [&](std::string_view bytes) { text = DecodeTextFile(bytes, ansi); });
    return text;
}

std::u16string ReadTextFile(FileSource& files, std::u16string_view path) {
    return ReadTextFile(files, path, [&](std::string_view markless) { return files.DecodeAnsi(markless); });
}

std::u16string NormalizeLineBreaks(std::u16string_view text) {
    UnitSink sink(ExpectedUnits(text.size()));
    CopyUnitsNormalized<NativeUnits>(text.data(), text.size(), sink);
    return sink.Finish();
}

std::u16string DecodeWindows1252(std::string_view bytes) {
    std::u16string out(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? kWindows1252High[b - 0x80] : static_cast<char16_t>(b);
    }
    return out;
}

}  // namespace lumvox::core
