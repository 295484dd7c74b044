#!/usr/bin/env bash
# Takes docs/standin.png: the stand-in after one text from each of the workshop's
# channels, sent from the workshop itself (F8, the third page's copy, F9), under
# Wine on a private Xvfb display. Not part of the test run.
# usage: standin_screenshot.sh LumvoxWorkshop.exe lumvox_e2e_driver.exe lumvox-standin.exe [out.png]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
APP="$1"
E2E_DRIVER="$2"
STANDIN="$3"
OUT="${4:-$E2E_ROOT/docs/standin.png}"
MAIN=class:TfrmLumvoxMsgTest
LOG="$E2E_TMP/lumvox-standin.jsonl"
e2e_start_display

# wait_event EVENT: waits for the log's first EVENT line after the lines counted in $seen.
wait_event() {
  local i
  for i in $(seq 600); do
    tail -n +"$((seen + 1))" "$LOG" 2>/dev/null | grep -q "\"event\":\"$1\"" && { seen=$(wc -l <"$LOG"); return 0; }
    sleep 0.05
  done
  echo "no $1 event" >&2
  exit 1
}
seen=0

# The default port where it is free, else one the system picks.
port=7070
(exec 3<>/dev/tcp/127.0.0.1/7070) 2>/dev/null && port=0
e2e_start "$STANDIN" --port "$port" --log "$LOG"
wait_event ready
port="$(grep -o '"port":[0-9]*' "$LOG" | head -n 1 | cut -d: -f2)"
e2e_start "$APP"
drv wait-prefix "$MAIN" "Lumvox Workshop V2" >/dev/null || exit 1

# On the third page: tick the box, send the first page's text by F8 (it arrives in
# the protocol envelope), then copy the third page's text.
drv key "$MAIN" ctrl+tab \; key "$MAIN" ctrl+tab \; wait-focus "$MAIN/142" >/dev/null
drv mouse-click "$MAIN/143" >/dev/null
drv set-text "$MAIN/114" "안녕하세요. 어플리케이션 수신 모드입니다." >/dev/null
drv key "$MAIN" F8 >/dev/null
wait_event copydata
drv set-text "$MAIN/142" "클립보드 TTS: 복사한 문장" >/dev/null
drv mouse-click "$MAIN/144" >/dev/null
wait_event clipboard

# F9 last, so that its request is the selected event and shows in full.
drv set-text "$MAIN/126" "127.0.0.1" \; set-text "$MAIN/128" "$port" \
  \; set-text "$MAIN/131" '<pitch middle="5">네트워크</pitch> 수신 모드' >/dev/null
drv key "$MAIN" F9 >/dev/null
wait_event http
drv sync "$MAIN" >/dev/null
drv menu "$MAIN" 202 >/dev/null
drv wait-gone "$MAIN" >/dev/null

# A click on the HTTP row (the third, below the header) gives the list the focus, so
# the selected row shows highlighted.
drv mouse-click title:Lumvox/105 200 62 >/dev/null

read -r x y w h <<<"$(drv rect-of title:Lumvox)"
read -r cw ch <<<"$(drv client-of title:Lumvox)"
# Xvfb has no window manager, so the window shows without its frame: take the client area.
frame=$(( (w - cw) / 2 ))
import -window root -crop "${cw}x${ch}+$((x + frame))+$((y + h - frame - ch))" +repage "$OUT"
drv close title:Lumvox >/dev/null
echo "$OUT"
