#pragma once
#include <windows.h>

#include <string>

namespace lumvox::win {

// The system's description of an error code, without the trailing spaces,
// line breaks and full stops that the error messages must not carry.
std::u16string SystemErrorText(DWORD code);

}  // namespace lumvox::win
