#include "hostinfo_win.h"

#include <winsock2.h>
#include <windows.h>

#include <array>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

#include "core/host_facts.h"
#include "dll_search_win.h"

namespace lumvox::win {
namespace {

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

// WSACleanup pairs with every WSAStartup call, also a failed one: the lookup
// then simply finds nothing.
class SocketsLibrary {
public:
    SocketsLibrary() { started_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
    ~SocketsLibrary() {
        if (started_) WSACleanup();
    }
    SocketsLibrary(const SocketsLibrary&) = delete;
    SocketsLibrary& operator=(const SocketsLibrary&) = delete;

private:
    WSADATA data_{};
    bool started_ = false;
};

// VERSION is not a KnownDLL: it is loaded at its first use, from System32 only.
struct VersionLibrary {
    decltype(&GetFileVersionInfoSizeW) info_size = nullptr;
    decltype(&GetFileVersionInfoW) info = nullptr;
    decltype(&VerQueryValueW) query = nullptr;
};

const VersionLibrary& Version() {
    static const VersionLibrary library = [] {
        HMODULE module = LoadSystemLibrary(L"version.dll");
        return VersionLibrary{SystemFunction<decltype(&GetFileVersionInfoSizeW)>(module, "GetFileVersionInfoSizeW"),
                              SystemFunction<decltype(&GetFileVersionInfoW)>(module, "GetFileVersionInfoW"),
                              SystemFunction<decltype(&VerQueryValueW)>(module, "VerQueryValueW")};
    }();
    return library;
}

}  // namespace

std::u16string GetLocalIPAddress() {
    SocketsLibrary library;
    const hostent* entry = gethostbyname(nullptr);
    if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list ||
        !entry->h_addr_list[0])
        return {};
    // The entry belongs to the library: copy the bytes before it is released.
    std::array<uint8_t, 4> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(entry->h_addr_list[0][i]);
    return lumvox::core::DottedQuad(bytes);
}

std::u16string FileVersionOf(std::u16string_view path) {
    const VersionLibrary& version = Version();
    if (!version.info_size || !version.info || !version.query) return {};
    const std::u16string file(path);
    DWORD ignored = 0;
    const DWORD size = version.info_size(Wide(file), &ignored);
    if (size == 0) return {};
    std::vector<char> block(size);  // released on every return below
    if (!version.info(Wide(file), 0, size, block.data())) return {};

    void* translations = nullptr;
    UINT translations_size = 0;
    if (!version.query(block.data(), L"\\VarFileInfo\\Translation", &translations, &translations_size) ||
        !translations || translations_size < sizeof(DWORD))
        return {};
    DWORD first = 0;
    memcpy(&first, translations, sizeof first);

    const std::u16string query = u"\\StringFileInfo\\" + lumvox::core::VersionTableKey(first) + u"\\FileVersion";
    void* value = nullptr;
    UINT value_chars = 0;
    if (!version.query(block.data(), Wide(query), &value, &value_chars) || !value) return {};
    // Up to the first NUL, never past the value's own length.
    const auto* text = static_cast<const char16_t*>(value);
    size_t length = 0;
    while (length < value_chars && text[length] != u'\0') ++length;
    return std::u16string(text, length);
}

std::u16string GetOwnFileVersion() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return FileVersionOf(std::u16string_view(reinterpret_cast<const char16_t*>(path.data()), n));
        path.resize(path.size() * 2);
    }
}

HostFactsLookup::HostFactsLookup() {
    auto look_up = [] { return HostFacts{GetLocalIPAddress(), GetOwnFileVersion()}; };
    try {
        pending_ = std::async(std::launch::async, look_up);
    } catch (const std::system_error&) {
        pending_ = std::async(std::launch::deferred, look_up);  // no thread to be had: looked up when asked
    }
}

const HostFacts& HostFactsLookup::Get() {
    if (!std::exchange(taken_, true)) facts_ = pending_.get();
    return facts_;
}

}  // namespace lumvox::win
