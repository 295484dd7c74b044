#pragma once
#include "core/page_actions.h"

namespace lumvox::posix {

// Text files through POSIX: a regular file is mapped, and lent in place or
// copied once into the result (no zero-filled buffer read into); anything else
// (a pipe, a device) is read in chunks. Bytes without a mark decode as Windows-1252.
class PosixFileSource final : public core::FileSource {
public:
    std::string ReadAll(std::u16string_view path) override;
    void ReadInPlace(std::u16string_view path, const std::function<void(std::string_view)>& use) override;
    std::u16string DecodeAnsi(std::string_view bytes) override;
};

}  // namespace lumvox::posix
