#include "send_version.h"

#include "lumvox_version.h"

namespace lumvox::send {
const char kVersionText[] = "lumvox-send " LUMVOX_VERSION_TEXT "\n";
}
