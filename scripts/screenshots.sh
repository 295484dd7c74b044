#!/usr/bin/env bash
# Takes the documentation's screenshots anew from the real windows under Wine, each
# on a private Xvfb display: docs/main-window.png (the workshop with a sample text,
# its menu bar included) and docs/standin.png (the stand-in after one text from each
# of the workshop's channels). Builds what they need in build/windows first.
# usage: scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/setup.sh >/dev/null
[ -f build/windows/CMakeCache.txt ] || cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target LumvoxWorkshop lumvox-standin lumvox_e2e_driver >/dev/null
app=build/windows/src/app/LumvoxWorkshop.exe
driver=build/windows/tests/e2e/lumvox_e2e_driver.exe
bash tests/e2e/screenshot.sh "$app" "$driver"
bash tests/e2e/standin_screenshot.sh "$app" "$driver" build/windows/tools/standin/lumvox-standin.exe
