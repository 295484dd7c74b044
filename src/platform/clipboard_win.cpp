#include "clipboard_win.h"

#include <cstring>

#include "handles_win.h"
#include "system_error_win.h"

namespace lumvox::win {
namespace {

constexpr std::u16string_view kOutOfResources = u"Out of system resources";

}  // namespace

void WindowClipboard::PlaceText(std::u16string_view text) {
    OpenedClipboard clipboard(owner_);
    if (!clipboard) throw core::ActionError(u"Cannot open clipboard: " + SystemErrorText(GetLastError()));
    const size_t bytes = text.size() * sizeof(char16_t);
    UniqueHglobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes + sizeof(char16_t)));
    if (!block) throw core::ActionError(std::u16string(kOutOfResources));
    // Declared after the block: unlocked before it is freed, and after it is placed.
    LockedGlobal locked(block.get());
    if (!locked.data()) throw core::ActionError(std::u16string(kOutOfResources));
    std::memcpy(locked.data(), text.data(), bytes);
    std::memset(static_cast<char*>(locked.data()) + bytes, 0, sizeof(char16_t));
    // Emptied only now, so a failure before leaves the clipboard as it was.
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, block.get())) throw core::ActionError(std::u16string(kOutOfResources));
    (void)block.release();  // the clipboard owns it now
}

}  // namespace lumvox::win
