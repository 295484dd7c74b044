#!/usr/bin/env bash
# Start-up of the workshop beside an empty Win32 window, and beside the same window
# loading the workshop's manifest and DLLs, all under the same Wine on a private Xvfb
# display: the time from process start to the title set by the first activation, and
# the peak working set half a second later. Prints every run, the medians and the
# ratios (goal: at most 1.5 times the empty window). Registered in no test run.
# With LUMVOX_BEFORE naming another build of the workshop (an earlier commit's), that
# one is started in the same turns as well, so that a change is compared on the
# machine's same spells.
# usage: [LUMVOX_BUILD=build-dir] [LUMVOX_BEFORE=exe] bench/startup/startup.sh [runs]  (after a windows-preset build)
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
RUNS="${1:-9}"
BUILD="${LUMVOX_BUILD:-$E2E_ROOT/build/windows}"
source "$(dirname "${BASH_SOURCE[0]}")/baselines.sh"
e2e_start_display

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# A first start of each warms Wine's caches; it is not counted.
drv measure-start "Z:$EMPTY" "Empty window activated" >/dev/null
drv measure-start "Z:$LOADED" "Empty window activated" >/dev/null
drv measure-start "Z:$APP" "Lumvox Workshop V2.0.1.10 - " >/dev/null
BEFORE="${LUMVOX_BEFORE:-}"
[ -z "$BEFORE" ] || drv measure-start "Z:$BEFORE" "Lumvox Workshop V2.0.1.10 - " >/dev/null || exit 1
: >"$E2E_TMP/empty"; : >"$E2E_TMP/loaded"; : >"$E2E_TMP/app"; : >"$E2E_TMP/before"
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
  if [ -n "$BEFORE" ]; then
    b="$(drv measure-start "Z:$BEFORE" "Lumvox Workshop V2.0.1.10 - ")" || exit 1
    echo "$b" >>"$E2E_TMP/before"
    printf 'before %-5s %12s %14s\n' "$i" $b
  fi
done
column_median() { cut -d' ' -f"$1" "$E2E_TMP/$2" | median; }
ratio() { awk -v a="$1" -v e="$2" 'BEGIN { printf "%.2f", a / e }'; }
# The ratio of each turn's times, whose programs ran in the same spell of the machine.
turn_ratios() {
  local ratios
  ratios="$(paste -d' ' <(cut -d' ' -f1 "$E2E_TMP/$1") <(cut -d' ' -f1 "$E2E_TMP/$2") | awk '{ printf "%.4f\n", $1 / $2 }' | sort -n)"
  printf '%.2f (from %.2f to %.2f)' "$(median <<<"$ratios")" "$(head -1 <<<"$ratios")" "$(tail -1 <<<"$ratios")"
}
et=$(column_median 1 empty); em=$(column_median 2 empty)
lt=$(column_median 1 loaded); lm=$(column_median 2 loaded)
at=$(column_median 1 app); am=$(column_median 2 app)
echo
echo "empty: an empty window; loaded: the same with the workshop's manifest and DLLs"
printf 'median      %8s %8s %9s   %-24s %s\n' empty loaded workshop "workshop/empty (goal <= 1.5)" workshop/loaded
printf 'time (ms)   %8s %8s %9s   %-24s %s\n' "$et" "$lt" "$at" "$(ratio "$at" "$et")" "$(ratio "$at" "$lt")"
printf 'peak (KiB)  %8s %8s %9s   %-24s %s\n' "$em" "$lm" "$am" "$(ratio "$am" "$em")" "$(ratio "$am" "$lm")"
echo "turn by turn, median: workshop/loaded $(turn_ratios app loaded)"
if [ -n "$BEFORE" ]; then
  bt=$(column_median 1 before); bm=$(column_median 2 before)
  printf 'before      %8s ms, %s KiB   before/loaded %s, workshop/before %s\n' "$bt" "$bm" "$(ratio "$bt" "$lt")" "$(ratio "$at" "$bt")"
  echo "turn by turn, median: before/loaded $(turn_ratios before loaded), workshop/before $(turn_ratios app before)"
fi
