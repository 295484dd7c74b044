#pragma once
// What lumvox-send --version prints: the name and the version all three programs share.
namespace lumvox::send {
extern const char kVersionText[];
}
