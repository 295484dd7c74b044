#pragma once
#include <windows.h>

#include "core/page_actions.h"

namespace lumvox::win {

// The system clipboard, opened for the application's window. Places exactly
// one CF_UNICODETEXT item; throws ActionError when it can't.
class WindowClipboard final : public core::ClipboardLink {
public:
    explicit WindowClipboard(HWND owner) : owner_(owner) {}
    void PlaceText(std::u16string_view text) override;

private:
    HWND owner_;
};

}  // namespace lumvox::win
