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

bool Defines(UINT code_page, std::string_view bytes) {
    return MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                               nullptr, 0) != 0;
}

// The offset of the first byte `code_page` does not define. The system tells
// only that there is one: the line that holds it is found whole, then walked
// a character at a time, each the shortest run of bytes (at most four) that converts.
size_t FirstUndefined(UINT code_page, std::string_view bytes) {
    size_t line = 0;
    for (size_t end; line < bytes.size(); line = end) {
        end = bytes.find('\n', line);
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        if (!Defines(code_page, bytes.substr(line, end - line))) break;
    }
    for (size_t at = line; at < bytes.size();) {
        size_t length = 1;
        while (length <= 4 && at + length <= bytes.size() && !Defines(code_page, bytes.substr(at, length))) ++length;
        if (length > 4 || at + length > bytes.size()) return at;
        at += length;
    }
    return line;
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
    if (AppendConverted(result.code_page, MB_ERR_INVALID_CHARS, bytes, result.text)) return result;
    // Some code pages take no flags and cannot tell; the others stopped at an undefined byte.
    if (GetLastError() == ERROR_NO_UNICODE_TRANSLATION) result.first_undefined = FirstUndefined(result.code_page, bytes);
    result.text.clear();
    AppendConverted(result.code_page, 0, bytes, result.text);
    return result;
}

}  // namespace lumvox::win
