#!/usr/bin/env bash
# Start-up of the workshop beside an empty Win32 window, and beside the same window
# loading the workshop's manifest and DLLs, all under the same Wine on a private Xvfb
# display: the time from process start to the title set by the first activation, and
# the peak working set half a second later. Prints every run, the medians and the
# ratios (goal: at most 1.5 times the empty window). Registered in no test run.
# usage: [LUMVOX_BUILD=build-dir] bench/startup/startup.sh [runs]  (after a windows-preset build)
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
RUNS="${1:-9}"
BUILD="${LUMVOX_BUILD:-$E2E_ROOT/build/windows}"
APP="$BUILD/src/app/LumvoxWorkshop.exe"
E2E_DRIVER="$BUILD/tests/e2e/lumvox_e2e_driver.exe"
[ -f "$APP" ] && [ -f "$E2E_DRIVER" ] || { echo "build the windows preset first" >&2; exit 1; }
EMPTY="$E2E_TMP/empty_window.exe"
LOADED="$E2E_TMP/empty_window_loaded.exe"
CXX_WIN=(x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode -mwindows)
SOURCE="$(dirname "${BASH_SOURCE[0]}")/empty_window_win.cpp"
"${CXX_WIN[@]}" "$SOURCE" -o "$EMPTY" || exit 1
# The same window with the workshop's manifest and DLLs.
printf '#include <winuser.h>\n1 RT_MANIFEST "%s"\n' "$BUILD/generated/LumvoxWorkshop.manifest" >"$E2E_TMP/manifest.rc"
x86_64-w64-mingw32-windres "$E2E_TMP/manifest.rc" -O coff -o "$E2E_TMP/manifest.o" || exit 1
"${CXX_WIN[@]}" -DWITH_WORKSHOP_DLLS "$SOURCE" "$E2E_TMP/manifest.o" -o "$LOADED" \
  -lcomctl32 -luxtheme -lws2_32 -lversion -limm32 || exit 1
e2e_start_display

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# A first start of each warms Wine's caches; it is not counted.
drv measure-start "Z:$EMPTY" "Empty window activated" >/dev/null
drv measure-start "Z:$LOADED" "Empty window activated" >/dev/null
drv measure-start "Z:$APP" "Lumvox Workshop V2.0.1.10 - " >/dev/null
: >"$E2E_TMP/empty"; : >"$E2E_TMP/loaded"; : >"$E2E_TMP/app"
printf '%-12s %12s %14s\n' run "time (ms)" "peak WS (KiB)"
for i in $(seq "$RUNS"); do
  # Taken in turn, so that a slow spell of the machine falls on all three alike.
  e="$(drv measure-start "Z:$EMPTY" "Empty window activated")" || exit 1
  l="$(drv measure-start "Z:$LOADED" "Empty window activated")" || exit 1
  a="$(drv measure-start "Z:$APP" "Lumvox Workshop V2.0.1.10 - ")" || exit 1
  echo "$e" >>"$E2E_TMP/empty"; echo "$l" >>"$E2E_TMP/loaded"; echo "$a" >>"$E2E_TMP/app"
  printf 'empty %-6s %12s %14s\n' "$i" $e
  printf 'loaded %-5s %12s %14s\n' "$i" $l
  printf 'workshop %-3s %12s %14s\n' "$i" $a
done
column_median() { cut -d' ' -f"$1" "$E2E_TMP/$2" | median; }
ratio() { awk -v a="$1" -v e="$2" 'BEGIN { printf "%.2f", a / e }'; }
et=$(column_median 1 empty); em=$(column_median 2 empty)
lt=$(column_median 1 loaded); lm=$(column_median 2 loaded)
at=$(column_median 1 app); am=$(column_median 2 app)
echo
echo "empty: an empty window; loaded: the same with the workshop's manifest and DLLs"
printf 'median      %8s %8s %9s   %-24s %s\n' empty loaded workshop "workshop/empty (goal <= 1.5)" workshop/loaded
printf 'time (ms)   %8s %8s %9s   %-24s %s\n' "$et" "$lt" "$at" "$(ratio "$at" "$et")" "$(ratio "$at" "$lt")"
printf 'peak (KiB)  %8s %8s %9s   %-24s %s\n' "$em" "$lm" "$am" "$(ratio "$am" "$em")" "$(ratio "$am" "$lm")"
