#!/usr/bin/python3
"""Checks the package managers' manifests a release wrote beside its artifacts: they
parse (YAML with Debian's python3-yaml, JSON), name the release's version, carry the
SHA-256 of the very installer and zip beside them, and point at files the zip holds;
winget's expects the installer's exit codes, passes its switches, finds the
installation by the installed-apps entry the installer writes, names lumvox-send and
carries this version's release notes; Scoop's has Windows line ends and updates
itself from the download folder. Prints one line per failed check and exits 1 if
there was any.

usage: check_manifests.py DIST_DIR VERSION
"""
import hashlib
import json
import os
import re
import sys
import zipfile

import yaml

dist, version = sys.argv[1], sys.argv[2]
root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
base = f"LumvoxWorkshop-{version}-win64"
setup, archive = f"{base}-setup.exe", f"{base}.zip"
failures = []


def check(name, expected, actual):
    if expected != actual:
        failures.append(f"FAIL {name}\n  expected: [{expected}]\n  actual:   [{actual}]")


def read(*path):
    with open(os.path.join(*path), encoding="utf-8") as f:
        return f.read()


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

# What the installer does, from its own script and the names the programs carry.
nsi = read(root, "packaging", "installer.nsi")
uninstall_key = re.search(r'^!define UNINSTALL_KEY ".*\\([^\\"]+)"$', nsi, re.M).group(1)
exit_codes = {name: int(code) for name, code in re.findall(r"^!define EXIT_(IN_USE|NEWER_INSTALLED) (\d+)$", nsi, re.M)}
names = dict(re.findall(r'^set\(LUMVOX_(PRODUCT_NAME|COMPANY_NAME) "([^"]+)"\)$', read(root, "cmake", "ProgramVersion.cmake"), re.M))
check("winget: the installer's exit codes are expected, as in use and as a newer version installed",
      [{"InstallerReturnCode": exit_codes["IN_USE"], "ReturnResponse": "packageInUse"},
       {"InstallerReturnCode": exit_codes["NEWER_INSTALLED"], "ReturnResponse": "downgrade"}],
      installer.get("ExpectedReturnCodes"))
switches = installer.get("InstallerSwitches") or {}
check("winget: silent switches, a location, and the folder on the Path", ("/S", "/S", "/D=<INSTALLPATH>", "/ADDTOPATH"),
      tuple(switches.get(k) for k in ("Silent", "SilentWithProgress", "InstallLocation", "Custom")))
check("winget: the option the installer reads is /ADDTOPATH", True, '"/ADDTOPATH"' in nsi)
check("winget: ProductCode is the installed-apps entry's key", uninstall_key, installer.get("ProductCode"))
check("winget: the installed-apps entry as the installer writes it",
      [{"DisplayName": names["PRODUCT_NAME"], "Publisher": names["COMPANY_NAME"], "DisplayVersion": version,
        "ProductCode": uninstall_key, "InstallerType": "nullsoft"}], installer.get("AppsAndFeaturesEntries"))
check("winget: the command it provides", ["lumvox-send"], installer.get("Commands"))
locale = winget["defaultLocale"]
check("winget: publisher and name are the programs'", (names["COMPANY_NAME"], names["PRODUCT_NAME"]),
      (locale.get("Publisher"), locale.get("PackageName")))
notes = read(root, "RELEASE-NOTES.txt").split("\n")
heading = next(i for i, line in enumerate(notes) if re.fullmatch(r"\d+(\.\d+)+", line))
end = next((i for i in range(heading + 1, len(notes)) if re.fullmatch(r"\d+(\.\d+)+", notes[i])), len(notes))
check("the release notes' newest entry is this version's", version, notes[heading])
check("winget: the release notes are this version's entry", "\n".join(notes[heading + 1:end]).strip("\n"),
      locale.get("ReleaseNotes"))
check("winget: the release notes fit (10,000 characters)", True, 0 < len(locale.get("ReleaseNotes") or "") <= 10000)

with open(os.path.join(dist, "lumvox-workshop.json"), "rb") as f:
    raw = f.read()
lines = raw.split(b"\n")
check("scoop: every line ends with CR LF", [], [i + 1 for i, line in enumerate(lines[:-1]) if not line.endswith(b"\r")])
check("scoop: the file ends with a line end", b"", lines[-1])
scoop = json.loads(raw.decode("utf-8"))
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
checkver = scoop.get("checkver") or {}
found = re.search(str(checkver.get("regex")), f"<a href='{archive}'>{archive}</a>")
check("scoop: checkver's pattern finds this version in the zip's name", version, found and found.group(1))
check("scoop: checkver reads a web page", True, str(checkver.get("url")).startswith(("https://", "http://")))
auto = (scoop.get("autoupdate") or {}).get("architecture", {}).get("64bit", {})
check("scoop: autoupdate, given this version, makes this manifest's URL and folder", (x64.get("url"), folder),
      (str(auto.get("url")).replace("$version", version), str(auto.get("extract_dir")).replace("$version", version)))
check("scoop: autoupdate takes the hash from SHA256SUMS beside the zip",
      x64.get("url").rsplit("/", 1)[0] + "/SHA256SUMS", str((auto.get("hash") or {}).get("url")).replace("$version", version))
check("the description is the same in both", winget["defaultLocale"].get("Description"), scoop.get("description"))

print("\n".join(failures) if failures else "manifests: all checks passed")
sys.exit(1 if failures else 0)
