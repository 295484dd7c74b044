#!/usr/bin/env bash
# Installs every build and test dependency from Debian's packages and prepares
# the Wine prefixes. Idempotent: a second run only checks and returns.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 xvfb xdotool xclip x11-utils imagemagick fonts-nanum jq
  libasio-dev nlohmann-json3-dev googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libcurl4-openssl-dev curl
  nginx-light lighttpd busybox
  hyperfine libxml2-utils time valgrind
  python3 python3-yaml nsis zip unzip openssl osslsigncode locales
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  # Servers are started by the tests themselves, never by the package manager.
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee /usr/sbin/policy-rc.d >/dev/null
  $SUDO chmod +x /usr/sbin/policy-rc.d
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  $SUDO rm -f /usr/sbin/policy-rc.d
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/wine-prefix.sh" test
"$here/wine-prefix.sh" gui
# The main window's end-to-end test at 150 % scaling sets this prefix's LogPixels to 144.
"$here/wine-prefix.sh" gui144
