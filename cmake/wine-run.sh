#!/usr/bin/env bash
# Runs one Windows program under Wine for ctest. Wine's helper processes inherit
# the stdout/stderr of whoever starts them first, which would keep ctest's pipes
# open; so the server is started detached and the program writes to temp files.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
kind="${LUMVOX_WINE_KIND:-test}"
export WINEPREFIX="${WINEPREFIX:-$("$here/../scripts/wine-prefix.sh" "$kind")}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL="${LC_ALL:-C.UTF-8}"
[ "$kind" = test ] && export DISPLAY=
(
  flock 9
  # The server outlives this script: it must not inherit the lock.
  /usr/bin/wineserver -p120 </dev/null >/dev/null 2>&1 9>&-
) 9>"$WINEPREFIX/.server.lock"
out="$(mktemp)"; err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT
/usr/lib/wine/wine64 "$@" </dev/null >"$out" 2>"$err"
rc=$?
cat "$out"; cat "$err" >&2
exit $rc
