#pragma once
// Text rules shared by every channel to the speech program.
#include <string>
#include <string_view>

namespace lumvox::core {

// Title of the speech program's top-level window.
inline constexpr std::u16string_view kSpeechAppWindowTitle = u"Lumvox";

// Removes leading and trailing code units U+0000..U+0020; nothing else.
std::u16string TrimText(std::u16string_view text);
std::u16string_view TrimmedPart(std::u16string_view text);  // the same, as a view into `text`

std::u16string WrapProtocolEnvelope(std::u16string_view text);  // <lumvox>text</lumvox>
std::u16string WrapNetworkEnvelope(std::u16string_view text);   // lumvox=text=lumvox
std::u16string WrapCommandEnvelope(std::u16string_view name);   // <cmd>name</cmd>

}  // namespace lumvox::core
