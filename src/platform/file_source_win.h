#pragma once
#include "core/page_actions.h"

namespace lumvox::win {

// Text files through Win32: opened sharing read but denying write, read
// whole (or lent as a mapped view), closed on every path; bytes without a
// mark in the ANSI code page, or in another that MultiByteToWideChar converts.
class WindowsFileSource final : public core::FileSource, public core::CodePageDecoder {
public:
    std::string ReadAll(std::u16string_view path) override;
    void ReadInPlace(std::u16string_view path, const std::function<void(std::string_view)>& use) override;
    std::u16string DecodeAnsi(std::string_view bytes) override;
    bool HasCodePage(unsigned code_page) override;
    core::CodePageText DecodeCodePage(std::string_view bytes, std::optional<unsigned> code_page) override;
};

}  // namespace lumvox::win
