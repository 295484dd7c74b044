#!/usr/bin/env bash
# Builds the release for 64-bit Windows from this checkout and writes, into OUT
# (dist/ unless given):
#   LumvoxWorkshop-<version>-win64-setup.exe  per-user installer (makensis)
#   LumvoxWorkshop-<version>-win64.zip        the three exes, a read-me and the release notes,
#                                             to run as they are
#   SHA256SUMS                                for both
#   winget/, lumvox-workshop.json             the winget manifest set and the Scoop
#                                             manifest, with both files' SHA-256
#                                             (packaging/write_manifests.sh)
# The version is the project's, in CMakeLists.txt. The build is reproducible:
# the same commit gives the same bytes (no link time stamps, no build paths, every
# stored time is the commit's). With LUMVOX_SIGN_CERT and LUMVOX_SIGN_KEY set, the
# exes, the uninstaller and the installer are signed (see packaging/sign.sh).
# LUMVOX_RELEASE_BUILD names the build folder (build/release unless given);
# LUMVOX_DOWNLOAD_URL the folder the installer and the zip are published in, which
# the manifests point at: without it the command refuses, unless --placeholder-url
# is given (then they point at https://example.com/lumvox-workshop/<version>, for a
# trial). LUMVOX_PROJECT_URL, when given, is the project's page: the installed-apps
# entry's links and the manifests' home page.
# usage: scripts/release.sh [--placeholder-url] [OUT]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
placeholder=""
if [ "${1:-}" == "--placeholder-url" ]; then placeholder=1; shift; fi
case "${1:-}" in -*) echo "usage: scripts/release.sh [--placeholder-url] [OUT]" >&2; exit 2 ;; esac

version="$(sed -n 's/^project(LumvoxWorkshop VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)"
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "no project version in CMakeLists.txt" >&2; exit 1; }
if [ -z "${LUMVOX_DOWNLOAD_URL:-}" ] && [ -z "$placeholder" ]; then
  echo "release.sh: LUMVOX_DOWNLOAD_URL is not set, so the winget and Scoop manifests would point nowhere." >&2
  echo "Set it to the folder the installer and the zip are published in, or give --placeholder-url" >&2
  echo "to write them pointing at https://example.com/lumvox-workshop/$version." >&2
  exit 2
fi
download_url="${LUMVOX_DOWNLOAD_URL:-https://example.com/lumvox-workshop/$version}"
# The release notes ship in the zip and the installer: their newest entry must be this version's.
notes_version="$(grep -m1 -o '^[0-9][0-9.]*' RELEASE-NOTES.txt || true)"
if [ "$notes_version" != "$version" ]; then
  echo "release.sh: RELEASE-NOTES.txt begins with '${notes_version}', not this version, $version: add its entry first." >&2
  exit 1
fi
out="$(mkdir -p "${1:-dist}" && cd "${1:-dist}" && pwd)"
build="${LUMVOX_RELEASE_BUILD:-$root/build/release}"
bash scripts/setup.sh >/dev/null
base="LumvoxWorkshop-$version-win64"
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}"
signing=""
if [ -n "${LUMVOX_SIGN_CERT:-}" ] || [ -n "${LUMVOX_SIGN_KEY:-}" ]; then
  [ -r "${LUMVOX_SIGN_CERT:-}" ] && [ -r "${LUMVOX_SIGN_KEY:-}" ] ||
    { echo "LUMVOX_SIGN_CERT and LUMVOX_SIGN_KEY must both name readable files" >&2; exit 1; }
  signing=1
fi

cmake -S . -B "$build" -G Ninja --toolchain cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DLUMVOX_REPRODUCIBLE=ON >/dev/null
cmake --build "$build" --target LumvoxWorkshop lumvox-standin lumvox-send lumvox_icon
# The names every version resource carries (cmake/ProgramVersion.cmake), for the
# installer and the manifests.
define_of() { sed -n "s/^#define $1 \"\(.*\)\"$/\1/p" "$build/generated/lumvox_version.h"; }
product="$(define_of LUMVOX_PRODUCT_NAME)" publisher="$(define_of LUMVOX_COMPANY_NAME)"
[ -n "$product" ] && [ -n "$publisher" ] || { echo "no product or company name in $build/generated/lumvox_version.h" >&2; exit 1; }

# The staged files: stripped at link time, their times and modes pinned, because
# makensis and zip store both.
stage="$build/stage"
rm -rf "$stage"
mkdir -p "$stage/$base"
cp "$build/src/app/LumvoxWorkshop.exe" "$build/tools/standin/lumvox-standin.exe" \
   "$build/tools/send/lumvox-send.exe" "$stage/$base/"
for exe in "$stage/$base"/*.exe; do
  [ -n "$signing" ] && bash packaging/sign.sh "$exe"
done
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' packaging/readme.txt >"$stage/$base/README.txt"
sed -e 's/$/\r/' RELEASE-NOTES.txt >"$stage/$base/RELEASE-NOTES.txt"
chmod 644 "$stage/$base"/*
touch -h -d "@$SOURCE_DATE_EPOCH" "$stage/$base"/* "$stage/$base"

# The installer's side picture is stored as a file too, with its time.
cp "$build/icon/welcome.bmp" "$stage/welcome.bmp"
touch -d "@$SOURCE_DATE_EPOCH" "$stage/welcome.bmp"

bytes=0
for exe in "$stage/$base"/*.exe; do bytes=$((bytes + $(stat -c %s "$exe"))); done
estimated_kb=$(( (bytes + 1023) / 1024 ))
nsis_args=(-V2 -INPUTCHARSET UTF8 "-DVERSION=$version" "-DPRODUCT=$product" "-DPUBLISHER=$publisher"
           "-DSTAGE=$stage/$base" "-DICON=$build/icon/lumvox.ico"
           "-DWELCOME_BITMAP=$stage/welcome.bmp"
           "-DOUTFILE=$out/$base-setup.exe" "-DESTIMATED_KB=$estimated_kb")
[ -n "$signing" ] && nsis_args+=("-DSIGN_COMMAND=bash $root/packaging/sign.sh")
[ -n "${LUMVOX_PROJECT_URL:-}" ] && nsis_args+=("-DURL=$LUMVOX_PROJECT_URL")
rm -rf "$out/$base-setup.exe" "$out/$base.zip" "$out/SHA256SUMS" "$out/winget" "$out/lumvox-workshop.json"
makensis "${nsis_args[@]}" "$root/packaging/installer.nsi"  # absolute: makensis works in its folder

# Sorted names, no extra attributes, no directory entries, times in UTC.
(cd "$stage" && find "$base" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q -9 "$out/$base.zip" -@)
(cd "$out" && sha256sum "$base-setup.exe" "$base.zip" >SHA256SUMS)
LUMVOX_PRODUCT="$product" LUMVOX_PUBLISHER="$publisher" \
  bash packaging/write_manifests.sh "$version" "$out/$base-setup.exe" "$out/$base.zip" "$out" "$download_url"
ls -l "$out"
