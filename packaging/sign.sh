#!/usr/bin/env bash
# Signs one Windows program in place with osslsigncode (Authenticode, SHA-256).
# Used by scripts/release.sh for the exes and by makensis for the uninstaller and
# the installer. Reads LUMVOX_SIGN_CERT (PEM certificate, chain included),
# LUMVOX_SIGN_KEY (PEM private key), LUMVOX_SIGN_PASS (its password, if any) and
# LUMVOX_SIGN_TIMESTAMP_URL (an RFC 3161 time-stamp server, if any). The signing
# time is SOURCE_DATE_EPOCH, so that a signature without a time-stamp server is the
# same on every run.
# usage: sign.sh FILE.exe
set -euo pipefail
file="$1"
args=(sign -certs "$LUMVOX_SIGN_CERT" -key "$LUMVOX_SIGN_KEY" -h sha256 -n "Lumvox Workshop"
      -time "${SOURCE_DATE_EPOCH:?}")
[ -n "${LUMVOX_SIGN_PASS:-}" ] && args+=(-pass "$LUMVOX_SIGN_PASS")
[ -n "${LUMVOX_SIGN_TIMESTAMP_URL:-}" ] && args+=(-ts "$LUMVOX_SIGN_TIMESTAMP_URL")
osslsigncode "${args[@]}" -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
