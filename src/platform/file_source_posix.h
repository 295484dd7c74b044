#pragma once
#include "core/page_actions.h"

namespace lumvox::posix {

// Text files through POSIX: a regular file is mapped, and lent in place or
// copied once into the result (no zero-filled buffer read into); anything else
// (a pipe, a device) is read in chunks. Bytes without a mark decode through
// iconv(3), in code page 949 unless another is named: there is no ANSI code page here.
class PosixFileSource final : public core::FileSource, public core::CodePageDecoder {
public:
    std::string ReadAll(std::u16string_view path) override;
    void ReadInPlace(std::u16string_view path, const std::function<void(std::string_view)>& use) override;
    std::u16string DecodeAnsi(std::string_view bytes) override;
    bool HasCodePage(unsigned code_page) override;
    core::CodePageText DecodeCodePage(std::string_view bytes, std::optional<unsigned> code_page) override;
};

}  // namespace lumvox::posix
