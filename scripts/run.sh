#!/usr/bin/env bash
# Sets up, builds and starts the workshop: under Wine on Linux (on a private
# Xvfb display when none is set), directly on Windows.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
case "$(uname -s)" in
  MINGW*|MSYS*|CYGWIN*)
    cmake -G Ninja -B build/windows-native -DCMAKE_BUILD_TYPE=Release
    cmake --build build/windows-native --target LumvoxWorkshop
    exec build/windows-native/src/app/LumvoxWorkshop.exe "$@"
    ;;
esac
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target LumvoxWorkshop
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:${LUMVOX_DISPLAY:-64}
  Xvfb "$DISPLAY" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null' EXIT
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  echo "No display was set: the workshop runs on Xvfb $DISPLAY (see it with x11vnc or 'import -window root')."
fi
LUMVOX_WINE_KIND=gui bash cmake/wine-run.sh build/windows/src/app/LumvoxWorkshop.exe "$@" ; exit $?
