#!/usr/bin/env bash
# Soak: SENDS sends on each channel from lumvox-send.exe to the stand-in, both
# under Wine on a private Xvfb display: copy-data (one at a time), the network
# (4 at a time) and the clipboard (one at a time). For each channel it prints
# lumvox-send's report (counts by outcome, latency percentiles), how many
# events the stand-in logged, and the memory and handles of both programs
# after a warm-up and at the end:
#  - as Windows reports them (working set, private bytes, handles, GDI and USER
#    objects): under Wine only the working set is real, the rest read 0;
#  - as Linux sees the Wine processes: VmRSS and RssAnon (resident anonymous
#    memory, the nearest to private bytes).
# The stand-in is read after a warm-up run of SENDS/10 and after the main run;
# lumvox-send after the first tenth of its own sends and at its end. Flat
# memory after the warm-up is what to look for. Registered in no test run.
#   bash bench/soak.sh [sends]        (default 10000; builds what it needs)
source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/lib.sh"
SENDS="${1:-10000}"
WARM=$((SENDS / 10))
BUILD="${LUMVOX_BUILD:-$E2E_ROOT/build/windows}"
cmake --preset windows -B "$BUILD" >/dev/null || exit 1
cmake --build "$BUILD" --target lumvox-send lumvox-standin >/dev/null || exit 1
SEND="$BUILD/tools/send/lumvox-send.exe"
STANDIN="$BUILD/tools/standin/lumvox-standin.exe"
COUNTERS="$E2E_TMP/process_counters.exe"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode "$E2E_ROOT/bench/soak/process_counters_win.cpp" \
  -o "$COUNTERS" -lpsapi || exit 1
e2e_start_display

LOG="$E2E_TMP/standin.jsonl"
e2e_start "$STANDIN" --port 0 --log "Z:$LOG"
for _ in $(seq 600); do grep -q '"event":"ready"' "$LOG" 2>/dev/null && break; sleep 0.1; done
PORT="$(grep -o '"port":[0-9]*' "$LOG" | head -1 | cut -d: -f2)"
[ -n "$PORT" ] || { echo "the stand-in did not start" >&2; exit 1; }

# The Wine process (not a shell around it) whose command line holds $1.
wine_pid() {
  local pid
  for pid in $(pgrep -f -- "$1"); do
    [[ "$(cat "/proc/$pid/comm" 2>/dev/null)" == lumvox-* ]] && { echo "$pid"; return 0; }
  done
  return 1
}
STANDIN_PID="$(wine_pid "$LOG")" || { echo "cannot find the stand-in's process" >&2; exit 1; }

# "VmRSS RssAnon" in KiB.
linux_memory() { awk '/^VmRSS:/ { r = $2 } /^RssAnon:/ { a = $2 } END { print r, a }' "/proc/$1/status" 2>/dev/null; }

# "workingSet privateBytes handles gdiObjects userObjects" of the window "Lumvox", KiB for bytes.
standin_win32() {
  drv_out="$(e2e_wine "$COUNTERS" Lumvox)" || return 1
  echo "$drv_out" | sed -E 's/.*workingSet=([0-9]+) privateBytes=([0-9]+) handles=([0-9]+) gdiObjects=([0-9]+) userObjects=([0-9]+).*/\1 \2 \3 \4 \5/' |
    awk '{ printf "%d %d %s %s %s\n", $1 / 1024, $2 / 1024, $3, $4, $5 }'
}

# Waits until the stand-in has logged everything it will: no new line for 2 s.
log_settles() {
  local last=-1 now quiet=0
  for _ in $(seq 600); do
    now=$(wc -l <"$LOG")
    if [ "$now" -eq "$last" ]; then quiet=$((quiet + 1)); [ $quiet -ge 10 ] && return 0; else quiet=0; fi
    last=$now
    sleep 0.2
  done
}

# The value of a member of lumvox-send's JSON inside the object named $2.
json_counter() { grep -o "\"$2\":{[^}]*}" "$1" | grep -o "\"$3\":[0-9]*" | cut -d: -f2; }

row() { printf '  %-34s %14s %14s\n' "$@"; }

run_channel() {
  local name="$1" kind="$2"; shift 2
  local marker="soak-$name-$$"
  local out="$E2E_TMP/$name"
  # The warm-up: the stand-in's list fills, caches and pools settle.
  e2e_wine "$SEND" "$@" --repeat "$WARM" "$marker" >/dev/null 2>&1
  log_settles
  local logged_before
  logged_before=$(grep -c "\"event\":\"$kind\"" "$LOG")
  local win_before linux_before
  win_before=($(standin_win32)); linux_before=($(linux_memory "$STANDIN_PID"))

  e2e_wine "$SEND" "$@" --repeat "$SENDS" --json "$marker" >"$out.json" 2>"$out.txt" &
  local runner=$!
  : >"$out.samples"
  local pid=""
  for _ in $(seq 400); do pid="$(wine_pid "--repeat $SENDS --json $marker")" && break; sleep 0.05; done
  while [ -n "$pid" ] && kill -0 "$runner" 2>/dev/null; do
    linux_memory "$pid" >>"$out.samples"
    sleep 0.25
  done
  wait "$runner"
  log_settles
  local logged
  logged=$(( $(grep -c "\"event\":\"$kind\"" "$LOG") - logged_before ))
  local win_after linux_after
  win_after=($(standin_win32)); linux_after=($(linux_memory "$STANDIN_PID"))

  echo
  echo "== $name: lumvox-send $* --repeat $SENDS"
  sed 's/^/  /' "$out.txt"
  echo "  the stand-in logged $logged $kind events of $SENDS"
  row "" "after warm-up" "at the end"
  row "stand-in working set (KiB)" "${win_before[0]}" "${win_after[0]}"
  row "stand-in private bytes (KiB)" "${win_before[1]}" "${win_after[1]}"
  row "stand-in handles" "${win_before[2]}" "${win_after[2]}"
  row "stand-in GDI / USER objects" "${win_before[3]} / ${win_before[4]}" "${win_after[3]} / ${win_after[4]}"
  row "stand-in VmRSS (KiB, Linux)" "${linux_before[0]}" "${linux_after[0]}"
  row "stand-in RssAnon (KiB, Linux)" "${linux_before[1]}" "${linux_after[1]}"
  local s
  for s in workingSetBytes privateBytes; do
    row "lumvox-send $s (KiB)" "$(( $(json_counter "$out.json" afterWarmUp "$s") / 1024 ))" \
      "$(( $(json_counter "$out.json" atEnd "$s") / 1024 ))"
  done
  row "lumvox-send handles" "$(json_counter "$out.json" afterWarmUp handles)" "$(json_counter "$out.json" atEnd handles)"
  row "lumvox-send GDI / USER objects" \
    "$(json_counter "$out.json" afterWarmUp gdiObjects) / $(json_counter "$out.json" afterWarmUp userObjects)" \
    "$(json_counter "$out.json" atEnd gdiObjects) / $(json_counter "$out.json" atEnd userObjects)"
  local count
  count=$(wc -l <"$out.samples")
  if [ "$count" -gt 0 ]; then
    local tenth end peak_rss peak_anon
    tenth=$(sed -n "$((count / 10 + 1))p" "$out.samples"); end=$(tail -n 1 "$out.samples")
    peak_rss=$(awk 'm < $1 { m = $1 } END { print m }' "$out.samples")
    peak_anon=$(awk 'm < $2 { m = $2 } END { print m }' "$out.samples")
    row "lumvox-send VmRSS (KiB, Linux)" "${tenth% *}" "${end% *} (peak $peak_rss)"
    row "lumvox-send RssAnon (KiB, Linux)" "${tenth#* }" "${end#* } (peak $peak_anon)"
    echo "  (lumvox-send's Linux figures: $count samples a quarter second apart, the first tenth as warm-up)"
  fi
}

echo "soak: $SENDS sends a channel after $WARM to warm up, stand-in on 127.0.0.1:$PORT, $(nproc) cores, $(wine64 --version 2>/dev/null || /usr/lib/wine/wine64 --version)"
run_channel copy-data copydata --app
run_channel network http --net "127.0.0.1:$PORT" --concurrency 4
run_channel clipboard clipboard --clip
