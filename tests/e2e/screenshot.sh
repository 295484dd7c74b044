#!/usr/bin/env bash
# Takes docs/main-window.png: the workshop under Wine on a private Xvfb display,
# with a sample text on the first page. Not part of the test run.
# usage: screenshot.sh LumvoxWorkshop.exe lumvox_e2e_driver.exe [out.png]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
APP="$1"
E2E_DRIVER="$2"
OUT="${3:-$E2E_ROOT/docs/main-window.png}"
MAIN=class:TfrmLumvoxMsgTest
e2e_start_display
e2e_start "$APP"
drv wait-prefix "$MAIN" "Lumvox Workshop V2" >/dev/null || exit 1
drv menu "$MAIN" 212 >/dev/null            # 예문 > 태그 문장
drv wait-prefix "$MAIN/114" "<EMPH>" >/dev/null || exit 1
read -r x y w h <<<"$(drv rect-of "$MAIN")"
read -r cw ch <<<"$(drv client-of "$MAIN")"
# Xvfb has no window manager, so the window shows without its frame: take the
# client area and the menu bar above it.
frame=$(( (w - cw) / 2 ))
top=$(( y + h - frame - ch - 20 ))
import -window root -crop "${cw}x$((ch + 20))+$((x + frame))+$top" +repage "$OUT"
drv menu "$MAIN" 202 >/dev/null
echo "$OUT"
