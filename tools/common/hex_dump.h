#pragma once
// Bytes as the tools show them: upper-case hex pairs separated by single spaces.
#include <string>
#include <string_view>

namespace lumvox::tools {

std::string HexBytes(std::string_view bytes);
// The text's UTF-16LE bytes, as they travel in a copy-data message.
std::string HexOfUtf16Le(std::u16string_view text);

}  // namespace lumvox::tools
