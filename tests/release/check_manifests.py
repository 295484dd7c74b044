#!/usr/bin/python3
"""Checks the package managers' manifests a release wrote beside its artifacts: they
parse (YAML with Debian's python3-yaml, JSON), name the release's version, carry the
SHA-256 of the very installer and zip beside them, and point at files the zip holds.
Prints one line per failed check and exits 1 if there was any.

usage: check_manifests.py DIST_DIR VERSION
"""
import hashlib
import json
import os
import sys
import zipfile

import yaml

dist, version = sys.argv[1], sys.argv[2]
base = f"LumvoxWorkshop-{version}-win64"
setup, archive = f"{base}-setup.exe", f"{base}.zip"
failures = []


def check(name, expected, actual):
    if expected != actual:
        failures.append(f"FAIL {name}\n  expected: [{expected}]\n  actual:   [{actual}]")


def sha256(name):
    with open(os.path.join(dist, name), "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


ident = "LumvoxWorkshop.LumvoxWorkshop"
winget = {}
for kind, suffix in (("version", ""), ("installer", ".installer"), ("defaultLocale", ".locale.en-US")):
    with open(os.path.join(dist, "winget", f"{ident}{suffix}.yaml"), encoding="utf-8") as f:
        winget[kind] = yaml.safe_load(f)
    for field, value in (("ManifestType", kind), ("PackageIdentifier", ident), ("PackageVersion", version),
                         ("ManifestVersion", "1.6.0")):
        check(f"winget {kind}: {field}", value, winget[kind].get(field))
check("winget: the default locale is the locale manifest's", winget["version"].get("DefaultLocale"),
      winget["defaultLocale"].get("PackageLocale"))
for field in ("Publisher", "PackageName", "License", "ShortDescription"):
    check(f"winget locale: {field} is given", True, bool(winget["defaultLocale"].get(field)))
installer = winget["installer"]
check("winget: a per-user NSIS installer", ("nullsoft", "user"), (installer.get("InstallerType"), installer.get("Scope")))
entries = installer.get("Installers") or [{}]
check("winget: one x64 installer", (1, "x64"), (len(entries), entries[0].get("Architecture")))
check("winget: the installer's SHA-256 is the setup's", sha256(setup).upper(), entries[0].get("InstallerSha256"))
check("winget: the installer's URL names the setup", setup, str(entries[0].get("InstallerUrl")).rsplit("/", 1)[-1])

with open(os.path.join(dist, "lumvox-workshop.json"), encoding="utf-8") as f:
    scoop = json.load(f)
check("scoop: version", version, scoop.get("version"))
x64 = scoop.get("architecture", {}).get("64bit", {})
check("scoop: the zip's hash", sha256(archive), x64.get("hash"))
check("scoop: the URL names the zip", archive, str(x64.get("url")).rsplit("/", 1)[-1])
with zipfile.ZipFile(os.path.join(dist, archive)) as z:
    names = set(z.namelist())
folder = x64.get("extract_dir")
check("scoop: extract_dir is the zip's folder", {folder}, {n.split("/", 1)[0] for n in names})
programs = {"LumvoxWorkshop.exe", "lumvox-standin.exe", "lumvox-send.exe"}
check("scoop: the three programs are on the path", programs, set(scoop.get("bin", [])))
shortcuts = scoop.get("shortcuts", [])
check("scoop: shortcuts to the workshop and the stand-in", {"LumvoxWorkshop.exe", "lumvox-standin.exe"},
      {s[0] for s in shortcuts})
for target in set(scoop.get("bin", [])) | {s[0] for s in shortcuts}:
    check(f"scoop: the zip holds {target}", True, f"{folder}/{target}" in names)
check("the description is the same in both", winget["defaultLocale"].get("Description"), scoop.get("description"))

print("\n".join(failures) if failures else "manifests: all checks passed")
sys.exit(1 if failures else 0)
