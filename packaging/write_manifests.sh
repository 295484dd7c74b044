#!/usr/bin/env bash
# Writes the package managers' manifests for a release, from its version and the
# artifacts' own SHA-256 (called by scripts/release.sh):
#   OUT/winget/LumvoxWorkshop.LumvoxWorkshop{,.installer,.locale.en-US}.yaml
#       the winget manifest set (`winget install --manifest OUT/winget`)
#   OUT/lumvox-workshop.json
#       the Scoop manifest (`scoop install OUT/lumvox-workshop.json`)
# URL is where the installer and the zip are published, without the file names.
# usage: write_manifests.sh VERSION SETUP.exe ARCHIVE.zip OUT URL
set -euo pipefail
version="$1" setup="$2" archive="$3" out="$4" url="${5%/}"
id="LumvoxWorkshop.LumvoxWorkshop"
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
# NSIS installer, per user: winget's nullsoft type passes /S (and /D= for a location).
cat >"$out/winget/$id.installer.yaml" <<YAML
# winget installer manifest
PackageIdentifier: $id
PackageVersion: $version
InstallerType: nullsoft
Scope: user
InstallModes:
  - interactive
  - silent
UpgradeBehavior: install
ElevationRequirement: elevationProhibited
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
Publisher: Lumvox Workshop
PackageName: Lumvox Workshop
License: Proprietary
ShortDescription: Hands texts to the Lumvox speech program over its three channels.
Description: "$description"
Moniker: lumvox-workshop
Tags:
  - speech
  - sapi
  - testing
ManifestType: defaultLocale
ManifestVersion: $schema
YAML

cat >"$out/lumvox-workshop.json" <<JSON
{
    "version": "$version",
    "description": "$description",
    "homepage": "$url/",
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
        ["LumvoxWorkshop.exe", "Lumvox Workshop"],
        ["lumvox-standin.exe", "Lumvox Stand-in"]
    ]
}
JSON
