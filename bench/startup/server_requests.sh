#!/usr/bin/env bash
# Requests to the wineserver made by the thread that sets the title, from process start
# to the title, for the empty window, the loaded empty window, the workshop's window
# structure without its work (structure_win.cpp) and the workshop (and
# LUMVOX_BEFORE, another build of it). Under Wine each request is a round trip to
# another process, and they, not the programs' own code, are most of what windows
# cost; unlike times, the counts do not change with the machine's load. With a timing
# build (LUMVOX_STARTUP_TIMING=ON) the workshop's are also listed by start-up step:
# requests, then display-device checks, then the step they end at.
# Uses a Wine prefix of its own, since its server is restarted with tracing on.
# usage: [LUMVOX_BUILD=build-dir] [LUMVOX_BEFORE=exe] bench/startup/server_requests.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
BUILD="${LUMVOX_BUILD:-$E2E_ROOT/build/windows}"
source "$(dirname "${BASH_SOURCE[0]}")/baselines.sh"
export LUMVOX_WINE_KIND=gui-requests
e2e_start_display
export WINEPREFIX
WINEPREFIX="$("$E2E_ROOT/scripts/wine-prefix.sh" "$LUMVOX_WINE_KIND")" || exit 1
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
COUNT="$(dirname "${BASH_SOURCE[0]}")/server_requests.py"

# count LABEL EXE TITLE: one start under a tracing server, ended once the title is set.
count() {
  local trace="$E2E_TMP/trace" marks="$E2E_TMP/marks" i
  /usr/bin/wineserver -k 2>/dev/null; /usr/bin/wineserver -w 2>/dev/null
  rm -f "$marks"
  /usr/bin/wineserver -f -d1 -p2 </dev/null >/dev/null 2>"$trace" {E2E_LOCK_FD}>&- {E2E_PREFIX_LOCK_FD}>&- &
  local server=$!
  # Started before the server listens, the program would start a server of its own.
  for i in $(seq 100); do grep -q "wineserver: starting" "$trace" && break; sleep 0.05; done
  sleep 0.2
  LUMVOX_STARTUP_TIMES='Z:'"${marks//\//\\}" /usr/lib/wine/wine64 "$2" </dev/null >/dev/null 2>&1 \
    {E2E_LOCK_FD}>&- {E2E_PREFIX_LOCK_FD}>&- &
  local pid=$!
  for i in $(seq 300); do grep -q "set_window_text(.*$3" "$trace" && break; sleep 0.1; done
  kill "$pid" 2>/dev/null
  /usr/bin/wineserver -k 2>/dev/null; wait "$server" "$pid"
  echo "$1:"
  if [ -s "$marks" ]; then python3 "$COUNT" "$trace" "$3" "$marks"; else python3 "$COUNT" "$trace" "$3"; fi
}

# The first start in a new prefix does one-off work of its own; it is not counted.
count warm-up "$EMPTY" "Empty window activated" >/dev/null
count "empty window" "$EMPTY" "Empty window activated"
count "loaded empty window" "$LOADED" "Empty window activated"
count "structure (the workshop's windows without its work)" "$STRUCTURE" "Structure activated"
count workshop "$APP" "Lumvox Workshop V2.0.1.10 - "
[ -z "${LUMVOX_BEFORE:-}" ] || count "before ($LUMVOX_BEFORE)" "$LUMVOX_BEFORE" "Lumvox Workshop V2.0.1.10 - "
