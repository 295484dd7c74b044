#!/usr/bin/env bash
# Start-up of the workshop beside an empty Win32 window, the same window loading the
# workshop's manifest and DLLs, and the workshop's window structure without its work
# (structure_win.cpp), all under the same Wine on a private Xvfb display: the time
# from process start to the title set by the first activation, and the peak working
# set half a second later. Prints every run, the medians and the ratios (goals: at
# most 1.5 times the empty window; at most 1.05 times the structure, turn by turn).
# Registered in no test run.
# With LUMVOX_BEFORE naming another build of the workshop (an earlier commit's), that
# one is started in the same turns as well, so that a change is compared on the
# machine's same spells.
# usage: [LUMVOX_BUILD=build-dir] [LUMVOX_BEFORE=exe] bench/startup/startup.sh [runs]  (after a windows-preset build)
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
RUNS="${1:-9}"
BUILD="${LUMVOX_BUILD:-$E2E_ROOT/build/windows}"
source "$(dirname "${BASH_SOURCE[0]}")/baselines.sh"
e2e_start_display

# A first start of each warms Wine's caches; it is not counted.
drv measure-start "Z:$EMPTY" "$TITLE_EMPTY" >/dev/null
drv measure-start "Z:$LOADED" "$TITLE_EMPTY" >/dev/null
drv measure-start "Z:$STRUCTURE" "$TITLE_STRUCTURE" >/dev/null
drv measure-start "Z:$APP" "$TITLE_APP" >/dev/null
BEFORE="${LUMVOX_BEFORE:-}"
[ -z "$BEFORE" ] || drv measure-start "Z:$BEFORE" "$TITLE_APP" >/dev/null || exit 1
: >"$E2E_TMP/empty"; : >"$E2E_TMP/loaded"; : >"$E2E_TMP/structure"; : >"$E2E_TMP/app"; : >"$E2E_TMP/before"
printf '%-12s %12s %14s\n' run "time (ms)" "peak WS (KiB)"
# measure NAME FILE EXE TITLE: one start; its time and peak working set are printed
# and kept in $E2E_TMP/FILE.
measure() {
  local figures
  figures="$(drv measure-start "Z:$3" "$4")" || exit 1
  echo "$figures" >>"$E2E_TMP/$2"
  printf '%-9s %-2s %12s %14s\n' "$1" "$i" $(cut -d' ' -f1,2 <<<"$figures")
}
for i in $(seq "$RUNS"); do
  # Taken in turn, so that a slow spell of the machine falls on all of them alike.
  measure empty empty "$EMPTY" "$TITLE_EMPTY"
  measure loaded loaded "$LOADED" "$TITLE_EMPTY"
  measure structure structure "$STRUCTURE" "$TITLE_STRUCTURE"
  measure workshop app "$APP" "$TITLE_APP"
  [ -z "$BEFORE" ] || measure before before "$BEFORE" "$TITLE_APP"
done
et=$(column_median 1 empty); em=$(column_median 2 empty)
lt=$(column_median 1 loaded); lm=$(column_median 2 loaded)
st=$(column_median 1 structure); sm=$(column_median 2 structure)
at=$(column_median 1 app); am=$(column_median 2 app)
echo
echo "empty: an empty window; loaded: the same with the workshop's manifest and DLLs;"
echo "structure: the workshop's windows, menus, fonts and list items without its work"
printf 'median      %8s %8s %9s %9s   %-24s %-15s %s\n' empty loaded structure workshop \
  "workshop/empty (goal <= 1.5)" workshop/loaded workshop/structure
printf 'time (ms)   %8s %8s %9s %9s   %-28s %-15s %s\n' "$et" "$lt" "$st" "$at" "$(ratio "$at" "$et")" \
  "$(ratio "$at" "$lt")" "$(ratio "$at" "$st")"
printf 'peak (KiB)  %8s %8s %9s %9s   %-28s %-15s %s\n' "$em" "$lm" "$sm" "$am" "$(ratio "$am" "$em")" \
  "$(ratio "$am" "$lm")" "$(ratio "$am" "$sm")"
echo "turn by turn, median: workshop/loaded $(turn_ratios 1 app loaded), structure/loaded $(turn_ratios 1 structure loaded)"
echo "turn by turn, median: workshop/structure $(turn_ratios 1 app structure) (goal <= 1.05)"
if [ -n "$BEFORE" ]; then
  bt=$(column_median 1 before); bm=$(column_median 2 before)
  printf 'before      %8s ms, %s KiB   before/loaded %s, workshop/before %s\n' "$bt" "$bm" "$(ratio "$bt" "$lt")" "$(ratio "$at" "$bt")"
  echo "turn by turn, median: before/loaded $(turn_ratios 1 before loaded), workshop/before $(turn_ratios 1 app before)"
fi
