#!/usr/bin/env bash
# Libraries planted beside the programs (version, uxtheme, comctl32, mswsock; each
# leaves "<name>.dll.loaded" when loaded, and every function in it fails) are never
# loaded by the programs, with Wine preferring such native copies as Windows does
# for a library that is not a KnownDLL. Each program is run through the work that
# needs those libraries: the workshop's title carries its file version and its
# buttons are drawn with the theme; the stand-in accepts an HTTP request;
# lumvox-send sends over the network and by copy-data.
# Two probes calibrate: one importing VERSION and UxTheme at start-up must load the
# planted copies; one importing only user32 shows what Wine itself loads anyway
# (its user32 imports VERSION, Windows' does not), which no program may exceed.
# usage: planted_dlls_test.sh PLANTED_DIR planted_dll_probe.exe window_only_probe.exe
#          driver.exe LumvoxWorkshop.exe lumvox-standin.exe lumvox-send.exe
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
PLANTED="$1" PROBE="$2" BASELINE_PROBE="$3" E2E_DRIVER="$4" WORKSHOP="$5" STANDIN="$6" SEND="$7"
e2e_start_display
export WINEDLLOVERRIDES="mscoree,mshtml=;version,uxtheme,comctl32,mswsock=n,b"

# plant NAME EXE: a folder of its own holding the exe and the planted libraries.
plant() {
  local dir="$E2E_TMP/$1"
  mkdir -p "$dir"
  cp "$2" "$PLANTED"/*.dll "$dir/"
  echo "$dir/$(basename "$2")"
}
loaded() { (cd "$E2E_TMP/$1" && ls *.loaded 2>/dev/null | sed 's/\.loaded$//' | tr A-Z a-z | sort | tr '\n' ' ' | sed 's/ $//'); }

e2e_wine "$(plant probe "$PROBE")" >/dev/null 2>&1
check "a program importing them at start-up loads the planted copies" "uxtheme.dll version.dll" "$(loaded probe)"
e2e_wine "$(plant baseline "$BASELINE_PROBE")" >/dev/null 2>&1
baseline="$(loaded baseline)"
check_match "Wine itself loads no planted library but VERSION" "^(version\.dll)?$" "$baseline"

e2e_start "$(plant workshop "$WORKSHOP")"
run=$E2E_LAST
MAIN=class:TfrmLumvoxMsgTest
# The planted VERSION answers nothing: the version in the title comes from System32's.
check "the workshop's title carries its file version" "ok" \
  "$(drv wait-prefix "$MAIN" "Lumvox Workshop V2.0.1.10 - " 20000 >/dev/null 2>&1 && echo ok)"
drv close "$MAIN" >/dev/null
check "the workshop ends" "0" "$(e2e_exit_code "$run" 20)"

log="$E2E_TMP/standin.jsonl"
send="$(plant send "$SEND")"
e2e_start "$(plant standin "$STANDIN")" --port 0 --log "$log"
run=$E2E_LAST
drv wait-window title:Lumvox 20000 >/dev/null
port=""
for _ in $(seq 400); do
  port="$(jq -r 'select(.event == "ready") | .port' "$log" 2>/dev/null | head -n 1)"
  [ -n "$port" ] && break
  sleep 0.05
done
e2e_wine "$send" --net "127.0.0.1:$port" planted >/dev/null 2>&1
check "lumvox-send delivers over the network" "0" "$?"
e2e_wine "$send" --app planted >/dev/null 2>&1
check "lumvox-send delivers by copy-data" "0" "$?"
check "the stand-in accepted the request" "/lumvox=planted=lumvox" \
  "$(jq -r 'select(.event == "http") | .target' "$log" 2>/dev/null | head -n 1)"
drv close title:Lumvox >/dev/null
check "the stand-in ends" "0" "$(e2e_exit_code "$run" 20)"

for program in workshop standin send; do
  check "$program loads no planted library beyond Wine's own" "$baseline" "$(loaded "$program")"
done
e2e_finish
