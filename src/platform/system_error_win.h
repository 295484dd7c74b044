#pragma once
#include <windows.h>

#include <string>

namespace lumvox_unit {

// The system's description of an error code, without the trailing spaces,
// line breaks and full stops that the error messages must not carry.
std::u16string SystemErrorText(DWORD code);

}  // namespace lumvox_unit
