# Shared by the end-to-end harnesses: a private Xvfb display, the GUI Wine prefix,
# the driver, the program under test, and checks that report and count.
# Source it, then call e2e_start_display. Everything started here is stopped on exit.
set -uo pipefail

E2E_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
E2E_WINE_RUN="$E2E_ROOT/cmake/wine-run.sh"
E2E_FAILED=0
E2E_PASSED=0
E2E_PIDS=()
E2E_XVFB=""

export LUMVOX_WINE_KIND=gui LC_ALL=C.UTF-8

# Ends a process and its descendants, children first (by PID only).
e2e_kill_tree() {
  local child
  for child in $(pgrep -P "$1"); do e2e_kill_tree "$child"; done
  kill "$1" 2>/dev/null
}

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do e2e_kill_tree "$pid"; done
  [ -n "$E2E_XVFB" ] && kill "$E2E_XVFB" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

# The lock of this run's Wine prefix: runs under different LUMVOX_WINE_ROOTs share
# no prefix, so they need not wait for each other.
e2e_prefix_lock() {
  local id
  id="$(printf '%s|%s' "${LUMVOX_WINE_ROOT:-}" "$LUMVOX_WINE_KIND" | md5sum | cut -c1-12)"
  printf '/tmp/.lumvox-e2e-prefix-%s.lock' "$id"
}

# Picks a free display number between 140 and 199 under a lock, so that parallel
# runs never share one, and starts Xvfb on it.
e2e_start_display() {
  # One harness at a time per Wine prefix: its programs share one window station, so
  # a second run would find the first one's windows (ctest's RESOURCE_LOCK does the
  # same within one test run; this also covers runs started by hand).
  exec {E2E_PREFIX_LOCK_FD}>"$(e2e_prefix_lock)"
  flock -w 900 "$E2E_PREFIX_LOCK_FD" || { echo "the Wine prefix stays busy" >&2; exit 1; }
  local n lock
  for n in $(seq 140 199); do
    lock="/tmp/.lumvox-e2e-display-$n.lock"
    exec {E2E_LOCK_FD}>"$lock"
    if flock -n "$E2E_LOCK_FD" && [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      E2E_XVFB=$!
      export DISPLAY=":$n"
      local i
      for i in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.05; done
      echo "Xvfb did not start on :$n" >&2
      exit 1
    fi
    exec {E2E_LOCK_FD}>&-
  done
  echo "no free display" >&2
  exit 1
}

# drv COMMAND ARGS...: runs the driver under Wine; prints its output.
# Wine's server outlives the programs it serves: it must not inherit our locks, or
# the next run would wait for it to end.
e2e_wine() { bash "$E2E_WINE_RUN" "$@" {E2E_LOCK_FD}>&- {E2E_PREFIX_LOCK_FD}>&-; }

drv() { e2e_wine "$E2E_DRIVER" "$@"; }

# e2e_start PROGRAM: starts it under Wine in the background; its exit code is
# written to $E2E_TMP/exit.<n> where n is the value of E2E_LAST.
E2E_TMP="$(mktemp -d)"
E2E_STARTS=0
e2e_start() {
  E2E_STARTS=$((E2E_STARTS + 1))
  local out="$E2E_TMP/exit.$E2E_STARTS"
  ( e2e_wine "$@"; echo $? >"$out" ) &
  E2E_PIDS+=($!)
  E2E_LAST=$E2E_STARTS
}

# e2e_exit_code N TIMEOUT_S: waits until start N has ended and prints its exit code.
e2e_exit_code() {
  local file="$E2E_TMP/exit.$1" i
  for i in $(seq $(( $2 * 20 ))); do
    [ -s "$file" ] && { cat "$file"; return 0; }
    sleep 0.05
  done
  echo "running"
}

check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    E2E_PASSED=$((E2E_PASSED + 1))
  else
    E2E_FAILED=$((E2E_FAILED + 1))
    printf 'FAIL %s\n  expected: [%s]\n  actual:   [%s]\n' "$1" "$2" "$3"
  fi
}

check_match() {  # check_match NAME REGEX ACTUAL
  if [[ "$3" =~ $2 ]]; then
    E2E_PASSED=$((E2E_PASSED + 1))
  else
    E2E_FAILED=$((E2E_FAILED + 1))
    printf 'FAIL %s\n  expected to match: %s\n  actual: [%s]\n' "$1" "$2" "$3"
  fi
}

e2e_finish() {
  echo "$E2E_PASSED passed, $E2E_FAILED failed"
  [ "$E2E_FAILED" -eq 0 ]
  exit $?
}
