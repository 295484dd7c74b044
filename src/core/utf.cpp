#include "utf.h"

#include <cstdint>
#include <cstring>

namespace lumvox::core {
namespace {

void PutUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

template <bool Lossy>
bool EncodeUtf8(std::u16string_view text, std::string& out) {
    out.reserve(out.size() + text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        char32_t cp = unit;
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            cp = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            if (!Lossy) return false;
            cp = 0xFFFD;
        }
        PutUtf8(cp, out);
    }
    return true;
}

}  // namespace

std::optional<std::string> Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    if (!EncodeUtf8<false>(text, out)) return std::nullopt;
    return out;
}

std::string ToUtf8Lossy(std::u16string_view text) {
    std::string out;
    EncodeUtf8<true>(text, out);
    return out;
}

bool AppendUtf8AsUtf16(std::string_view bytes, std::u16string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    size_t base = out.size();
    // At most one UTF-16 unit per input byte; shrink at the end.
    out.resize(base + bytes.size());
    char16_t* dst = out.data() + base;
    while (p < end) {
        // Eight ASCII bytes at a time: the common case for markup and logs.
        while (end - p >= 8) {
            uint64_t chunk;
            std::memcpy(&chunk, p, 8);
            if (chunk & 0x8080808080808080ull) break;
            for (int k = 0; k < 8; ++k) dst[k] = p[k];
            dst += 8;
            p += 8;
        }
        if (p >= end) break;
        unsigned char b0 = *p;
        if (b0 < 0x80) {
            *dst++ = b0;
            ++p;
            continue;
        }
        char32_t cp;
        int extra;
        char32_t min;
        if (b0 >= 0xC2 && b0 <= 0xDF) { cp = b0 & 0x1F; extra = 1; min = 0x80; }
        else if (b0 >= 0xE0 && b0 <= 0xEF) { cp = b0 & 0x0F; extra = 2; min = 0x800; }
        else if (b0 >= 0xF0 && b0 <= 0xF4) { cp = b0 & 0x07; extra = 3; min = 0x10000; }
        else { out.resize(dst - out.data()); return false; }
        if (end - p <= extra) { out.resize(dst - out.data()); return false; }
        for (int k = 1; k <= extra; ++k) {
            unsigned char b = p[k];
            if ((b & 0xC0) != 0x80) { out.resize(dst - out.data()); return false; }
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.resize(dst - out.data());
            return false;
        }
        p += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *dst++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *dst++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *dst++ = static_cast<char16_t>(cp);
        }
    }
    out.resize(dst - out.data());
    return true;
}

std::optional<size_t> FirstIllFormedUtf8(std::string_view bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    for (size_t i = 0; i < n;) {
        unsigned char b0 = b[i];
        if (b0 < 0x80) {
            ++i;
            continue;
        }
        int extra = b0 >= 0xC2 && b0 <= 0xDF ? 1 : b0 >= 0xE0 && b0 <= 0xEF ? 2 : b0 >= 0xF0 && b0 <= 0xF4 ? 3 : -1;
        if (extra < 0 || n - i <= size_t(extra)) return i;
        char32_t cp = b0 & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            if ((b[i + k] & 0xC0) != 0x80) return i;
            cp = (cp << 6) | (b[i + k] & 0x3F);
        }
        const char32_t min = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
        i += size_t(extra) + 1;
    }
    return std::nullopt;
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    if (!AppendUtf8AsUtf16(bytes, out)) return std::nullopt;
    return out;
}

}  // namespace lumvox::core
