#!/usr/bin/env bash
# Creates (once) and prints the Wine prefix for "test" (headless), "gui" (Xvfb) or
# "guiDPI" (Xvfb at another DPI, gui144 say).
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
  if [ ! -f "$prefix/.lumvox-ready-2" ]; then
    if [ "$kind" = test ]; then DISPLAY= "$wine64" wineboot -i </dev/null >/dev/null 2>&1 9>&-
    else "$wine64" wineboot -i </dev/null >/dev/null 2>&1 9>&-; fi
    # Hangul in Tahoma-requesting controls needs a font link to a Korean font.
    "$wine64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v Tahoma /t REG_MULTI_SZ /d 'NanumGothic.ttf,NanumGothic' /f </dev/null >/dev/null 2>&1 9>&-
    "$wine64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v Verdana /t REG_MULTI_SZ /d 'NanumGothic.ttf,NanumGothic' /f </dev/null >/dev/null 2>&1 9>&-
    if [[ "$kind" =~ ^gui([0-9]+)$ ]]; then
      # Set before any program runs in the prefix: a change made while Wine's desktop
      # runs leaves windows that cannot be resized in the first session after it.
      "$wine64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${BASH_REMATCH[1]}" /f \
        </dev/null >/dev/null 2>&1 9>&-
    fi
    if [ "$kind" = test ]; then
      # Wine's null display driver: windows, messages and the clipboard work without X.
      "$wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1 9>&-
    fi
    /usr/bin/wineserver -w </dev/null >/dev/null 2>&1 || true
    touch "$prefix/.lumvox-ready-2"
  fi
) 9>"$root/.$kind.lock"
echo "$prefix"
