#include "system_error_win.h"

namespace lumvox::win {

std::u16string SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text(reinterpret_cast<const char16_t*>(buffer), buffer ? length : 0);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\r' || text.back() == u'\n' || text.back() == u'.'))
        text.pop_back();
    return text;
}

}  // namespace lumvox::win
