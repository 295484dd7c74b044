#pragma once
// Bytes as dry runs and the stand-in show them: upper-case hex pairs separated by single spaces.
#include <string>
#include <string_view>

namespace lumvox::core {

std::string HexBytes(std::string_view bytes);
// The text's UTF-16LE bytes, as they travel in a copy-data message.
std::string HexOfUtf16Le(std::u16string_view text);

}  // namespace lumvox::core
