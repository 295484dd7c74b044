#!/usr/bin/env bash
# Start-up of the workshop beside an empty Win32 window, both under the same Wine on a
# private Xvfb display: the time from process start to the title set by the first
# activation, and the peak working set half a second later. Prints every run, the
# medians and the ratios (goal: at most 1.5 for each). Registered in no test run.
# usage: [LUMVOX_BUILD=build-dir] bench/startup/startup.sh [runs]  (after a windows-preset build)
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
RUNS="${1:-9}"
BUILD="${LUMVOX_BUILD:-$E2E_ROOT/build/windows}"
APP="$BUILD/src/app/LumvoxWorkshop.exe"
E2E_DRIVER="$BUILD/tests/e2e/lumvox_e2e_driver.exe"
[ -f "$APP" ] && [ -f "$E2E_DRIVER" ] || { echo "build the windows preset first" >&2; exit 1; }
EMPTY="$E2E_TMP/empty_window.exe"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode -mwindows \
  "$(dirname "${BASH_SOURCE[0]}")/empty_window_win.cpp" -o "$EMPTY" || exit 1
e2e_start_display

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# A first start of each warms Wine's caches; it is not counted.
drv measure-start "Z:$EMPTY" "Empty window activated" >/dev/null
drv measure-start "Z:$APP" "Lumvox Workshop V2.0.1.10 - " >/dev/null
: >"$E2E_TMP/empty" ; : >"$E2E_TMP/app"
printf '%-10s %12s %14s\n' run "time (ms)" "peak WS (KiB)"
for i in $(seq "$RUNS"); do
  e="$(drv measure-start "Z:$EMPTY" "Empty window activated")" || exit 1
  a="$(drv measure-start "Z:$APP" "Lumvox Workshop V2.0.1.10 - ")" || exit 1
  echo "$e" >>"$E2E_TMP/empty"; echo "$a" >>"$E2E_TMP/app"
  printf 'empty %-4s %12s %14s\n' "$i" $e
  printf 'workshop %-1s %12s %14s\n' "$i" $a
done
et=$(cut -d' ' -f1 "$E2E_TMP/empty" | median); em=$(cut -d' ' -f2 "$E2E_TMP/empty" | median)
at=$(cut -d' ' -f1 "$E2E_TMP/app" | median);   am=$(cut -d' ' -f2 "$E2E_TMP/app" | median)
echo
printf 'median      empty window   workshop   ratio (goal <= 1.5)\n'
printf 'time (ms)   %12s %10s   %.2f\n' "$et" "$at" "$(awk -v a="$at" -v e="$et" 'BEGIN { print a / e }')"
printf 'peak (KiB)  %12s %10s   %.2f\n' "$em" "$am" "$(awk -v a="$am" -v e="$em" 'BEGIN { print a / e }')"
