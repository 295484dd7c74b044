#!/usr/bin/env bash
# Tries the workshop where the speech program is not installed: builds both
# programs, starts the stand-in (lumvox-standin.exe) and then the workshop, and
# stops the stand-in when the workshop ends. Under Wine on Linux (on a private
# Xvfb display when none is set), directly on Windows.
#
#   bash scripts/try.sh [stand-in options]     e.g. --reply nosent, --port 7071
#
# Every event the stand-in receives is appended, one JSON object a line, to
# <build>/lumvox-standin.jsonl unless a --log option names another file. The
# build folder is build/windows, or LUMVOX_BUILD_DIR.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build="$(realpath -m "${LUMVOX_BUILD_DIR:-build/windows}")"

args=("$@")
has_log=false
for a in "${args[@]}"; do
  case "$a" in --log|--log=*) has_log=true ;; esac
done

case "$(uname -s)" in
  MINGW*|MSYS*|CYGWIN*)
    cmake -G Ninja -B build/windows-native -DCMAKE_BUILD_TYPE=Release
    cmake --build build/windows-native --target LumvoxWorkshop lumvox-standin
    $has_log || args+=(--log "$(cygpath -w "$PWD/build/windows-native/lumvox-standin.jsonl")")
    build/windows-native/tools/standin/lumvox-standin.exe "${args[@]}" &
    standin=$!
    trap 'kill $standin 2>/dev/null' EXIT
    build/windows-native/src/app/LumvoxWorkshop.exe
    exit $?
    ;;
esac

bash scripts/setup.sh
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target LumvoxWorkshop lumvox-standin

log="$build/lumvox-standin.jsonl"
if ! $has_log; then
  args+=(--log "$log")
else
  log=""
fi

cleanup=()
finish() {
  set +e
  for c in "${cleanup[@]}"; do eval "$c"; done
}
trap finish EXIT
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:${LUMVOX_DISPLAY:-64}
  Xvfb "$DISPLAY" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  cleanup+=("kill $xvfb 2>/dev/null")
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  echo "No display was set: both programs run on Xvfb $DISPLAY (see it with x11vnc or 'import -window root')."
fi

export LUMVOX_WINE_KIND=gui
lines_before=0
[ -n "$log" ] && [ -f "$log" ] && lines_before=$(wc -l <"$log")
bash cmake/wine-run.sh "$build/tools/standin/lumvox-standin.exe" "${args[@]}" &
runner=$!
# The stand-in is the wine process under the runner; ending it closes its window.
cleanup=("pkill -TERM -P $runner 2>/dev/null; wait $runner 2>/dev/null" "${cleanup[@]}")

# The workshop tells at its first activation whether the speech program runs:
# start it once the stand-in's window is up.
if [ -n "$log" ]; then
  for _ in $(seq 300); do
    tail -n +"$((lines_before + 1))" "$log" 2>/dev/null | grep -q '"event":"ready"' && break
    kill -0 $runner 2>/dev/null || { echo "the stand-in ended early" >&2; exit 1; }
    sleep 0.1
  done
  echo "The stand-in's events go to $log"
fi

bash cmake/wine-run.sh "$build/src/app/LumvoxWorkshop.exe"
