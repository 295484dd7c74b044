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

std::u16string WindowsFileSource::DecodeAnsi(std::string_view bytes) {
    std::u16string out;
    while (!bytes.empty()) {
        // Chunks end after a LF, which is never the second byte of a
        // double-byte character, so no character is split.
        size_t take = bytes.size();
        if (take > kMaxChunk) {
            const size_t lf = bytes.substr(0, kMaxChunk).rfind('\n');
            take = lf == std::string_view::npos ? kMaxChunk : lf + 1;
        }
        const int in = static_cast<int>(take);
        const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), in, nullptr, 0);
        const size_t base = out.size();
        out.resize(base + static_cast<size_t>(units));
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), in, reinterpret_cast<wchar_t*>(out.data() + base), units);
        bytes.remove_prefix(take);
    }
    return out;
}

}  // namespace lumvox::win
