#include "file_source_win.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>

#include "handles_win.h"
#include "system_error_win.h"

namespace lumvox::win {
namespace {

std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::u16string FullPath(std::u16string_view path) {
    const std::wstring wide = ToWide(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::u16string(path);
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return std::u16string(path);
    return std::u16string(full.begin(), full.begin() + length);
}

[[noreturn]] void ThrowFileError(std::u16string_view format_head, std::u16string_view path, DWORD error) {
    core::SendCause cause;
    cause.code = core::CauseCode::FileUnreadable;
    cause.path = FullPath(path);
    cause.system_code = error;
    cause.system_text = SystemErrorText(error);
    throw core::CauseError(std::u16string(format_head) + u"\"" + cause.path + u"\". " + cause.system_text, cause);
}

// MultiByteToWideChar takes 32-bit counts.
constexpr size_t kMaxChunk = 1u << 30;
constexpr DWORD kReadChunk = 256 * 1024;

using UniqueView = Unique<void*, &UnmapViewOfFile>;

// Others may read the file meanwhile, but not write it.
UniqueHandle OpenForReading(std::u16string_view path) {
    const std::wstring wide = ToWide(path);
    UniqueHandle file = AdoptFileHandle(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowFileError(u"Cannot open file ", path, GetLastError());
    return file;
}

// Chunks land in a buffer that stays in the cache and are appended, so the
// result is written once rather than zero-filled and then read into.
std::string ReadToEnd(HANDLE file, std::u16string_view path, const std::optional<uint64_t>& size) {
    std::string bytes;
    if (size) bytes.reserve(static_cast<size_t>(*size));
    std::unique_ptr<char[]> chunk(new char[kReadChunk]);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk.get(), kReadChunk, &got, nullptr))
            ThrowFileError(u"Cannot read file ", path, GetLastError());
        if (got == 0) break;
        bytes.append(chunk.get(), got);
    }
    return bytes;
}

std::optional<uint64_t> SizeOf(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
}

}  // namespace

std::string WindowsFileSource::ReadAll(std::u16string_view path) {
    const UniqueHandle file = OpenForReading(path);
    return ReadToEnd(file.get(), path, SizeOf(file.get()));
}

void WindowsFileSource::ReadInPlace(std::u16string_view path, const std::function<void(std::string_view)>& use) {
    const UniqueHandle file = OpenForReading(path);
    const std::optional<uint64_t> size = SizeOf(file.get());
    // An empty file has no mapping; where the view cannot be made, the bytes are read.
    if (size && *size > 0 && *size <= SIZE_MAX) {
        const UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        const UniqueView view(mapping ? MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
        if (view) {
            use(std::string_view(static_cast<const char*>(view.get()), static_cast<size_t>(*size)));
            return;
        }
    }
    use(ReadToEnd(file.get(), path, size));
}

namespace {

// Appends the bytes in `code_page` to `out`; false (with GetLastError) when
// the flags refuse them: MB_ERR_INVALID_CHARS at a byte the code page does not
// define, or on a code page that takes no flags.
bool AppendConverted(UINT code_page, DWORD flags, std::string_view bytes, std::u16string& out) {
    while (!bytes.empty()) {
        // Chunks end after a LF, which is never the second byte of a
        // double-byte character, so no character is split.
        size_t take = bytes.size();
        if (take > kMaxChunk) {
            const size_t lf = bytes.substr(0, kMaxChunk).rfind('\n');
            take = lf == std::string_view::npos ? kMaxChunk : lf + 1;
        }
        const int in = static_cast<int>(take);
        const int units = MultiByteToWideChar(code_page, flags, bytes.data(), in, nullptr, 0);
        if (units == 0) return false;
        const size_t base = out.size();
        out.resize(base + static_cast<size_t>(units));
        MultiByteToWideChar(code_page, flags, bytes.data(), in, reinterpret_cast<wchar_t*>(out.data() + base), units);
        bytes.remove_prefix(take);
    }
    return true;
}

// How a code page is read so that a byte it does not define is found: the
// system's decoder refuses such a byte only under MB_ERR_INVALID_CHARS, and
// many tables map bytes they do not define onto a look-alike ("best fit":
// 20127 reads C7 as "G" and 80 as U+0000). So a run of bytes counts as
// defined only when it decodes and encodes back, without best fit, to itself.
struct CodePageReading {
    UINT code_page;
    DWORD decode_flags = MB_ERR_INVALID_CHARS;
    DWORD encode_flags = WC_NO_BEST_FIT_CHARS;
    bool round_trip = true;
    bool seven_bit = false;  // a byte from 0x80 up is never defined

    explicit CodePageReading(UINT cp) : code_page(cp) {
        // The stateful 7-bit code pages (UTF-7, ISO-2022, HZ) take no flags
        // and spell one text many ways, so no round trip can check them; but
        // no byte from 0x80 up belongs to them.
        seven_bit = cp == 65000 || cp == 52936 || (cp >= 50220 && cp <= 50229);
        round_trip = !seven_bit;
        if (seven_bit || MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, "a", 1, nullptr, 0) == 0) decode_flags = 0;
        wchar_t a = L'a';
        if (WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, &a, 1, nullptr, 0, nullptr, nullptr) == 0) encode_flags = 0;
    }

    // Appends the run decoded, or returns false when the run is not text of
    // the code page (an undefined byte, or a best-fit look-alike).
    bool Append(std::string_view run, std::u16string& out, std::string& scratch) const {
        if (run.empty()) return true;
        const int in = static_cast<int>(run.size());
        const int units = MultiByteToWideChar(code_page, decode_flags, run.data(), in, nullptr, 0);
        if (units == 0) return false;
        const size_t base = out.size();
        out.resize(base + static_cast<size_t>(units));
        auto* wide = reinterpret_cast<wchar_t*>(out.data() + base);
        MultiByteToWideChar(code_page, decode_flags, run.data(), in, wide, units);
        if (!round_trip) return true;
        const int back = WideCharToMultiByte(code_page, encode_flags, wide, units, nullptr, 0, nullptr, nullptr);
        scratch.resize(static_cast<size_t>(back));
        if (back > 0)
            WideCharToMultiByte(code_page, encode_flags, wide, units, scratch.data(), back, nullptr, nullptr);
        if (back > 0 && std::string_view(scratch) == run) return true;
        out.resize(base);
        return false;
    }
};

// Chunks end after a LF, which is never the second byte of a double-byte
// character nor inside a 7-bit code page's shifted run, so no character is
// split; a chunk is checked whole and walked only when it fails.
constexpr size_t kCheckChunk = 64 * 1024;

// Decodes `bytes` as Linux's reader does: each byte the code page does not
// define becomes one U+FFFD, and the first one's offset is kept.
void DecodeChecked(const CodePageReading& reading, std::string_view bytes, core::CodePageText& result) {
    std::string scratch;
    result.text.reserve(bytes.size());
    for (size_t chunk = 0; chunk < bytes.size();) {
        size_t take = std::min(kCheckChunk, bytes.size() - chunk);
        if (chunk + take < bytes.size()) {
            const size_t lf = bytes.substr(chunk, take).rfind('\n');
            if (lf != std::string_view::npos) take = lf + 1;
        }
        const std::string_view part = bytes.substr(chunk, take);
        if (reading.seven_bit) {
            // The runs between high bytes decode as the system reads them.
            for (size_t at = 0; at < part.size();) {
                size_t high = at;
                while (high < part.size() && static_cast<unsigned char>(part[high]) < 0x80) ++high;
                reading.Append(part.substr(at, high - at), result.text, scratch);
                if (high == part.size()) break;
                if (!result.first_undefined) result.first_undefined = chunk + high;
                result.text += u'\uFFFD';
                at = high + 1;
            }
        } else if (!reading.Append(part, result.text, scratch)) {
            // A character at a time, each the shortest run of bytes (at most four) that is text.
            for (size_t at = 0; at < part.size();) {
                size_t length = 1;
                while (length <= 4 && at + length <= part.size() &&
                       !reading.Append(part.substr(at, length), result.text, scratch))
                    ++length;
                if (length <= 4 && at + length <= part.size()) {
                    at += length;
                    continue;
                }
                if (!result.first_undefined) result.first_undefined = chunk + at;
                result.text += u'\uFFFD';
                ++at;
            }
        }
        chunk += take;
    }
}

}  // namespace

std::u16string WindowsFileSource::DecodeAnsi(std::string_view bytes) {
    std::u16string out;
    AppendConverted(CP_ACP, 0, bytes, out);
    return out;
}

bool WindowsFileSource::HasCodePage(unsigned code_page) {
    // UTF-16 and UTF-32 are valid code pages that MultiByteToWideChar does not take.
    return IsValidCodePage(code_page) && MultiByteToWideChar(code_page, 0, "a", 1, nullptr, 0) == 1;
}

core::CodePageText WindowsFileSource::DecodeCodePage(std::string_view bytes, std::optional<unsigned> code_page) {
    core::CodePageText result;
    result.code_page = code_page.value_or(GetACP());
    DecodeChecked(CodePageReading(result.code_page), bytes, result);
    return result;
}

}  // namespace lumvox::win
