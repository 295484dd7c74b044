#!/usr/bin/env bash
# Creates (once) and prints the Wine prefix for "test" (headless) or "gui" (Xvfb).
# Separate prefixes because a wineserver started without DISPLAY never shows windows.
set -euo pipefail
kind="${1:?usage: wine-prefix.sh test|gui}"
root="${LUMVOX_WINE_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/lumvox-workshop}"
prefix="$root/wine-$kind"
mkdir -p "$root"
wine64=/usr/lib/wine/wine64
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
(
  flock 9
  if [ ! -f "$prefix/.lumvox-ready-1" ]; then
    if [ "$kind" = test ]; then DISPLAY= "$wine64" wineboot -i </dev/null >/dev/null 2>&1 9>&-
    else "$wine64" wineboot -i </dev/null >/dev/null 2>&1 9>&-; fi
    # Hangul in Tahoma-requesting controls needs a font link to a Korean font.
    "$wine64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v Tahoma /t REG_MULTI_SZ /d 'NanumGothic.ttf,NanumGothic' /f </dev/null >/dev/null 2>&1 9>&-
    "$wine64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v Verdana /t REG_MULTI_SZ /d 'NanumGothic.ttf,NanumGothic' /f </dev/null >/dev/null 2>&1 9>&-
    if [ "$kind" = test ]; then
      # Wine's null display driver: windows, messages and the clipboard work without X.
      "$wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1 9>&-
    fi
    /usr/bin/wineserver -w </dev/null >/dev/null 2>&1 || true
    touch "$prefix/.lumvox-ready-1"
  fi
) 9>"$root/.$kind.lock"
echo "$prefix"
