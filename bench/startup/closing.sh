#!/usr/bin/env bash
# Closing of the workshop beside the workshop's window structure without its work
# (structure_win.cpp) and the empty window, under the same Wine on a private Xvfb
# display: each program is started, given WM_CLOSE once its title is set, and timed
# from the WM_CLOSE to the end of its process (what an installer started just after
# would find). Prints every run, the medians and the ratios turn by turn (goal: the
# workshop at most 1.1 times the structure). Registered in no test run.
# With LUMVOX_BEFORE naming another build of the workshop, that one is closed in the
# same turns as well.
# usage: [LUMVOX_BUILD=build-dir] [LUMVOX_BEFORE=exe] bench/startup/closing.sh [runs]  (after a windows-preset build)
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
RUNS="${1:-9}"
BUILD="${LUMVOX_BUILD:-$E2E_ROOT/build/windows}"
source "$(dirname "${BASH_SOURCE[0]}")/baselines.sh"
e2e_start_display
BEFORE="${LUMVOX_BEFORE:-}"

# measure NAME FILE EXE TITLE: one start and close; the closing time (the driver's
# third figure) is printed and kept in $E2E_TMP/FILE.
measure() {
  local figures
  figures="$(drv measure-start "Z:$3" "$4")" || exit 1
  cut -d' ' -f3 <<<"$figures" >>"$E2E_TMP/$2"
  printf '%-9s %-3s %12s\n' "$1" "$i" "$(cut -d' ' -f3 <<<"$figures")"
}
# A first start of each warms Wine's caches; it is not counted.
i=warm
for f in empty structure app before; do : >"$E2E_TMP/$f"; done
measure empty empty "$EMPTY" "$TITLE_EMPTY" >/dev/null
measure structure structure "$STRUCTURE" "$TITLE_STRUCTURE" >/dev/null
measure workshop app "$APP" "$TITLE_APP" >/dev/null
[ -z "$BEFORE" ] || measure before before "$BEFORE" "$TITLE_APP" >/dev/null
for f in empty structure app before; do : >"$E2E_TMP/$f"; done
printf '%-13s %12s\n' run "closing (ms)"
for i in $(seq "$RUNS"); do
  measure empty empty "$EMPTY" "$TITLE_EMPTY"
  measure structure structure "$STRUCTURE" "$TITLE_STRUCTURE"
  measure workshop app "$APP" "$TITLE_APP"
  [ -z "$BEFORE" ] || measure before before "$BEFORE" "$TITLE_APP"
done
echo
echo "from WM_CLOSE to the end of the process, median of $RUNS (ms):"
echo "empty $(column_median 1 empty), structure $(column_median 1 structure), workshop $(column_median 1 app)"
echo "turn by turn, median: workshop/structure $(turn_ratios 1 app structure) (goal <= 1.1)"
if [ -n "$BEFORE" ]; then
  echo "before $(column_median 1 before); turn by turn, median: before/structure $(turn_ratios 1 before structure)"
fi
