#!/usr/bin/env bash
# Writes the package managers' manifests for a release, from its version and the
# artifacts' own SHA-256 (called by scripts/release.sh):
#   OUT/winget/LumvoxWorkshop.LumvoxWorkshop{,.installer,.locale.en-US}.yaml
#       the winget manifest set (`winget install --manifest OUT/winget`)
#   OUT/lumvox-workshop.json
#       the Scoop manifest (`scoop install OUT/lumvox-workshop.json`)
# URL is where the installer and the zip are published, without the file names.
# LUMVOX_PRODUCT and LUMVOX_PUBLISHER are the names the version resources carry (and
# the installed-apps entry shows); LUMVOX_PROJECT_URL, when set, the project's page.
# usage: write_manifests.sh VERSION SETUP.exe ARCHIVE.zip OUT URL
set -euo pipefail
version="$1" setup="$2" archive="$3" out="$4" url="${5%/}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
product="${LUMVOX_PRODUCT:?}" publisher="${LUMVOX_PUBLISHER:?}" homepage="${LUMVOX_PROJECT_URL:-$url/}"
id="LumvoxWorkshop.LumvoxWorkshop"
# The installed-apps entry's key name, which winget matches an installation by.
product_code="$(sed -n 's/^!define UNINSTALL_KEY ".*\\\([^\\]*\)"$/\1/p' "$root/packaging/installer.nsi")"
[ -n "$product_code" ] || { echo "write_manifests: no UNINSTALL_KEY in installer.nsi" >&2; exit 1; }
# This version's entry of the release notes, without its heading.
release_notes="$(awk -v v="$version" '$0 == v {on = 1; next} on && /^[0-9]+\./ {exit} on' "$root/RELEASE-NOTES.txt" |
  sed -e '/./,$!d' | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}')"
[ -n "$release_notes" ] || { echo "write_manifests: RELEASE-NOTES.txt has no entry for $version" >&2; exit 1; }
schema="1.6.0"
description="Hands texts, plain or with SAPI 5 XML speech markup, to the Lumvox speech program over its three channels (copy-data message, HTTP GET, clipboard); with a stand-in speech program and lumvox-send for the command line."
setup_hash="$(sha256sum "$setup" | cut -d' ' -f1)"
archive_hash="$(sha256sum "$archive" | cut -d' ' -f1)"
folder="$(basename "$archive" .zip)"

mkdir -p "$out/winget"
cat >"$out/winget/$id.yaml" <<YAML
# winget version manifest
PackageIdentifier: $id
PackageVersion: $version
DefaultLocale: en-US
ManifestType: version
ManifestVersion: $schema
YAML
# NSIS installer, per user. /ADDTOPATH puts the folder on the user's Path, so that
# lumvox-send (Commands) runs from a console; the exit codes are the installer's own
# (2: a program of the installation runs, 3: a newer version is installed).
cat >"$out/winget/$id.installer.yaml" <<YAML
# winget installer manifest
PackageIdentifier: $id
PackageVersion: $version
InstallerType: nullsoft
Scope: user
InstallModes:
  - interactive
  - silent
  - silentWithProgress
InstallerSwitches:
  Silent: /S
  SilentWithProgress: /S
  InstallLocation: /D=<INSTALLPATH>
  Custom: /ADDTOPATH
ExpectedReturnCodes:
  - InstallerReturnCode: 2
    ReturnResponse: packageInUse
  - InstallerReturnCode: 3
    ReturnResponse: downgrade
UpgradeBehavior: install
Commands:
  - lumvox-send
ElevationRequirement: elevationProhibited
ProductCode: $product_code
AppsAndFeaturesEntries:
  - DisplayName: $product
    Publisher: $publisher
    DisplayVersion: $version
    ProductCode: $product_code
    InstallerType: nullsoft
Installers:
  - Architecture: x64
    InstallerUrl: $url/$(basename "$setup")
    InstallerSha256: ${setup_hash^^}
ManifestType: installer
ManifestVersion: $schema
YAML
cat >"$out/winget/$id.locale.en-US.yaml" <<YAML
# winget default locale manifest
PackageIdentifier: $id
PackageVersion: $version
PackageLocale: en-US
Publisher: $publisher
PackageName: $product
PackageUrl: $homepage
License: Proprietary
ShortDescription: Hands texts to the Lumvox speech program over its three channels.
Description: "$description"
Moniker: lumvox-workshop
Tags:
  - speech
  - sapi
  - testing
ReleaseNotes: |-
$(printf '%s\n' "$release_notes" | sed 's/^/  /')
ManifestType: defaultLocale
ManifestVersion: $schema
YAML

# Scoop: the zip. checkver reads the download folder's parent (the folder of all
# versions when the URL ends in the version) for the newest zip's name, and
# autoupdate takes the hash from the SHA256SUMS published beside it. Scoop's
# buckets keep their manifests with Windows line ends.
versioned_url="${url//$version/\$version}"
cat <<JSON | sed 's/$/\r/' >"$out/lumvox-workshop.json"
{
    "version": "$version",
    "description": "$description",
    "homepage": "$homepage",
    "license": "Proprietary",
    "architecture": {
        "64bit": {
            "url": "$url/$(basename "$archive")",
            "hash": "$archive_hash",
            "extract_dir": "$folder"
        }
    },
    "bin": [
        "LumvoxWorkshop.exe",
        "lumvox-standin.exe",
        "lumvox-send.exe"
    ],
    "shortcuts": [
        ["LumvoxWorkshop.exe", "$product"],
        ["lumvox-standin.exe", "Lumvox Stand-in"]
    ],
    "checkver": {
        "url": "$( [ "$versioned_url" != "$url" ] && echo "${url%/*}/" || echo "$url/")",
        "regex": "LumvoxWorkshop-([\\\\d.]+)-win64\\\\.zip"
    },
    "autoupdate": {
        "architecture": {
            "64bit": {
                "url": "$versioned_url/LumvoxWorkshop-\$version-win64.zip",
                "extract_dir": "LumvoxWorkshop-\$version-win64",
                "hash": {
                    "url": "$versioned_url/SHA256SUMS"
                }
            }
        }
    }
}
JSON
