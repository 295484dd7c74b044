#include "clipboard_win.h"

#include <cstring>

#include "handles_win.h"
#include "system_error_win.h"

namespace lumvox::win {
namespace {

constexpr std::u16string_view kOutOfResources = u"Out of system resources";

class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

class LockedBlock {
public:
    explicit LockedBlock(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
    ~LockedBlock() {
        if (data_) GlobalUnlock(block_);
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;
    void* data() const { return data_; }

private:
    HGLOBAL block_;
    void* data_;
};

}  // namespace

void WindowClipboard::PlaceText(std::u16string_view text) {
    OpenedClipboard clipboard(owner_);
    if (!clipboard) throw core::ActionError(u"Cannot open clipboard: " + SystemErrorText(GetLastError()));
    const size_t bytes = text.size() * sizeof(char16_t);
    UniqueHglobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes + sizeof(char16_t)));
    if (!block) throw core::ActionError(std::u16string(kOutOfResources));
    // Declared after the block: unlocked before it is freed, and after it is placed.
    LockedBlock locked(block.get());
    if (!locked.data()) throw core::ActionError(std::u16string(kOutOfResources));
    std::memcpy(locked.data(), text.data(), bytes);
    std::memset(static_cast<char*>(locked.data()) + bytes, 0, sizeof(char16_t));
    // Emptied only now, so a failure before leaves the clipboard as it was.
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, block.get())) throw core::ActionError(std::u16string(kOutOfResources));
    (void)block.release();  // the clipboard owns it now
}

}  // namespace lumvox::win
