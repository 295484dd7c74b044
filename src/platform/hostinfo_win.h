#pragma once
// Module hostinfo: the computer's own IPv4 address and the program's own file version.
// Both never raise and never report: any failure gives empty text.
#include <string>
#include <string_view>

namespace lumvox::win {

std::u16string GetLocalIPAddress();
std::u16string GetOwnFileVersion();

// FileVersion of any file, looked up through its first translation only.
std::u16string FileVersionOf(std::u16string_view path);

}  // namespace lumvox::win
