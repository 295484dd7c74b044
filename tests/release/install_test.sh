#!/usr/bin/env bash
# The release as a Windows user gets it, under Wine in a fresh prefix on a private
# Xvfb display: an earlier version installed first, then this one silently from a
# Downloads folder with libraries planted beside it; files, each program's version
# and manifest, shortcuts (target, working folder, description), every
# installed-apps value; the workshop started from its Start-menu target; a second
# install and the entry's own silent uninstall while it or the stand-in runs (exit
# code 2, nothing changed); an older installer refused; the PATH option; one
# installed-apps entry after the upgrade; a silent uninstall, run from a folder
# with planted libraries, that keeps only the user's own file; the same install on
# a Korean system (Korean shortcut names and stand-in window, shortcuts replaced by
# an English install, removed as well); an install into another folder that replaces the first, whose old
# uninstaller then leaves it alone, and the entry's silent uninstall that returns
# only when everything is gone, folders it created included; NSIS's own
# uninstaller copy leaving nothing in %TEMP% after a refused, a cancelled and a
# silent run and after a finish page left open for over a minute; the
# uninstaller run in place (the shortcut's and the entry's way) removing itself
# without asking for a deletion at restart; a Path entry the user made surviving
# an install and an uninstall; the finish page's text fitting its label in English
# and Korean; every page's Korean text; the zip's programs run where they are
# unpacked. With a signed installer given, it is installed too and its
# uninstaller's signature verified. LUMVOX_PROJECT_URL is the URL the release was
# built with, if any (the installed-apps entry's links).
# What only Windows shows: that no console window appears and the focus stays on
# the wizard (Wine draws no console for a hidden one either way), and that a
# standard user cannot write HKLM, so NSIS's own request to delete its copy at
# restart (made when Uninstall.exe is started without _?=) writes nothing there.
# usage: install_test.sh DIST_DIR driver.exe release_helper.exe PLANTED_DIR
#          window_only_probe.exe [SIGNED_SETUP CA.pem]
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
DIST="$(cd "$1" && pwd)" E2E_DRIVER="$2" HELPER="$3" PLANTED="$4" BASELINE_PROBE="$5" SIGNED_SETUP="${6:-}" CA="${7:-}"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
SETUP="$(ls "$DIST"/LumvoxWorkshop-*-win64-setup.exe)"
ZIP="$(ls "$DIST"/LumvoxWorkshop-*-win64.zip)"
VERSION="$(basename "$SETUP" | sed 's/^LumvoxWorkshop-\(.*\)-win64-setup\.exe$/\1/')"
PROJECT_URL="${LUMVOX_PROJECT_URL:-}"
# The names every program's version resource carries, from their one source.
name_of() { sed -n "s/^set(LUMVOX_$1 \"\(.*\)\")$/\1/p" "$ROOT/cmake/ProgramVersion.cmake"; }
PRODUCT="$(name_of PRODUCT_NAME)" COMPANY="$(name_of COMPANY_NAME)"
WINE=/usr/lib/wine/wine64

# A prefix of our own, made now and removed at the end with its server.
export LUMVOX_WINE_KIND="install-$$"
FRESH="$(mktemp -d /tmp/lumvox-install.XXXXXX)"
export WINEPREFIX="$FRESH/prefix"
install_cleanup() {
  e2e_cleanup
  [ -d "$WINEPREFIX" ] && /usr/bin/wineserver -k >/dev/null 2>&1
  rm -rf "$FRESH" "$(e2e_prefix_lock)"
}
trap install_cleanup EXIT
e2e_start_display
WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE" wineboot -i </dev/null >/dev/null 2>&1 \
  {E2E_LOCK_FD}>&- {E2E_PREFIX_LOCK_FD}>&-

helper() { e2e_wine "$HELPER" "$@"; }
winpath() { "$WINE" winepath -w "$1" 2>/dev/null; }
user_dir="$(ls -d "$WINEPREFIX"/drive_c/users/* | grep -v /Public | head -n 1)"
user="$(basename "$user_dir")"
INSTALL="$user_dir/AppData/Local/Programs/Lumvox Workshop"
INSTALL_WIN="C:\\users\\$user\\AppData\\Local\\Programs\\Lumvox Workshop"
MENU="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Lumvox Workshop"
KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\LumvoxWorkshop'
PLANTED_OVERRIDES="mscoree,mshtml=;version,uxtheme,comctl32,mswsock=n,b"

# "NAME TYPE VALUE" lines of the installed-apps entry, sorted.
entry() { e2e_wine reg query "$KEY" 2>/dev/null | tr -d '\r' | awk 'NF >= 3 && $2 ~ /^REG_/' | sed 's/^ *//; s/    /\t/g' | sort; }
value() { entry | awk -F'\t' -v name="$1" '$1 == name {print $3}'; }
path_value() { e2e_wine reg query 'HKCU\Environment' /v Path 2>/dev/null | tr -d '\r' | awk '$1 == "Path" {sub(/^ *Path +REG_[A-Z_]+ +/, ""); print}'; }
# The entry's own silent uninstall command, run as Windows runs it.
quiet_uninstall() { helper run-line "$(value QuietUninstallString)"; }
temp_dir="$("$WINE" winepath -u "$(e2e_wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)"
check "the user's %TEMP% folder is found" "yes" "$([ -d "$temp_dir" ] && echo yes)"
# What an uninstall could leave in %TEMP%: NSIS's copy and its folder, the copy
# the entry's silent uninstall makes.
leftovers() { [ -d "$temp_dir" ] && (cd "$temp_dir" 2>/dev/null && ls -d \~nsu*.tmp ns*.tmp 'Lumvox Workshop uninstall.exe' 2>/dev/null | tr '\n' ' ' | sed 's/ $//'); }
# The deletions at restart Windows is asked for (HKLM; NSIS asks for its copy).
pending() { e2e_wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' | grep -i 'PendingFileRenameOperations'; }
# The NSIS wizard (the one dialog showing): waits for it, then presses its button
# ID (1 Next, Install, Uninstall or Finish; 2 Cancel). Its page is dialog 0 in it.
WIZARD="class:#32770"
press() { drv wait-window "$WIZARD" 30000 >/dev/null 2>&1 && drv click "$WIZARD/$1" >/dev/null 2>&1; }
# Waits until a visible static text holding TEXT shows; prints "yes" or "no".
shows() { eventually "helper label-fits '$1' x 8 >/dev/null 2>&1"; }
# Waits until CONDITION (a command) holds, for up to 30 s; prints "yes" or "no".
eventually() { for _ in $(seq 60); do if eval "$1"; then echo yes; return; fi; sleep 0.5; done; echo no; }
entries_named() { e2e_wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' | grep -c "DisplayName.*REG_SZ.*Lumvox Workshop$"; }
listing() { (cd "$1" 2>/dev/null && find . -type f | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'); }
# Everything an install or uninstall could change: files with their bytes, the entry.
state() { (cd "$user_dir" && find "AppData/Local/Programs/Lumvox Workshop" "AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Lumvox Workshop" -type f -exec sha256sum {} + 2>/dev/null | LC_ALL=C sort); entry; }
loaded() { (cd "$1" && ls *.loaded 2>/dev/null | sed 's/\.loaded$//' | tr A-Z a-z | sort | tr '\n' ' ' | sed 's/ $//'); }
plant() { mkdir -p "$1"; cp "$2" "$PLANTED"/*.dll "$1/"; }

# --- the zip: unpacked, its programs are what the installer installs -------------
mkdir -p "$FRESH/zip"
(cd "$FRESH/zip" && unzip -q "$ZIP")
PORTABLE="$FRESH/zip/$(basename "$ZIP" .zip)"
check "the zip holds three programs, a read-me and the release notes" \
  "./LumvoxWorkshop.exe ./README.txt ./RELEASE-NOTES.txt ./lumvox-send.exe ./lumvox-standin.exe" "$(listing "$PORTABLE")"
check "the zip's release notes are the repository's, with Windows line ends" "same" \
  "$(sed 's/$/\r/' "$ROOT/RELEASE-NOTES.txt" | cmp -s - "$PORTABLE/RELEASE-NOTES.txt" && echo same)"
check "the release notes begin with this version" "$VERSION" "$(grep -m1 -o '^[0-9][0-9.]*' "$ROOT/RELEASE-NOTES.txt")"

# --- an earlier version, made from the same programs ------------------------------
python3 "$ROOT/packaging/make_icon.py" "$FRESH/lumvox.ico"
python3 "$ROOT/packaging/make_icon.py" --welcome "$FRESH/welcome.bmp"
makensis -V1 -INPUTCHARSET UTF8 "-DVERSION=2.0.1.9" "-DPRODUCT=$PRODUCT" "-DPUBLISHER=$COMPANY" \
  "-DSTAGE=$PORTABLE" "-DICON=$FRESH/lumvox.ico" \
  "-DWELCOME_BITMAP=$FRESH/welcome.bmp" \
  "-DOUTFILE=$FRESH/old-setup.exe" -DESTIMATED_KB=1 "$ROOT/packaging/installer.nsi" >/dev/null
# Whether the first install has to make the Programs folder (and records it).
programs_made="$([ -d "$user_dir/AppData/Local/Programs" ] || echo yes)"
e2e_wine "$FRESH/old-setup.exe" /S >/dev/null 2>&1
check "the earlier version installs" "2.0.1.9" "$(entry | awk -F'\t' '$1 == "DisplayVersion" {print $3}')"
check "built without a URL, its entry has no links" "" "$(entry | awk -F'\t' '$1 == "HelpLink" || $1 == "URLInfoAbout"')"

# --- this version, silently, from Downloads with planted libraries ---------------
plant "$FRESH/baseline" "$BASELINE_PROBE"
WINEDLLOVERRIDES="$PLANTED_OVERRIDES" e2e_wine "$FRESH/baseline/$(basename "$BASELINE_PROBE")" >/dev/null 2>&1
baseline="$(loaded "$FRESH/baseline")"
# The installer's and uninstaller's stubs (Debian's NSIS 3.08) import COMCTL32 at
# start-up; under Wine its process-attach loads UxTheme by name before the stub's
# first line restricts the search to System32 (which the stub does, and preloads
# UxTheme from there). So under Wine a planted uxtheme.dll is loaded beside them;
# the check holds them to exactly that, on top of what Wine loads anyway.
stub_expected="$(printf '%s\n' $baseline uxtheme.dll | sort -u | tr '\n' ' ' | sed 's/ $//')"
plant "$FRESH/Downloads" "$SETUP"
WINEDLLOVERRIDES="$PLANTED_OVERRIDES" e2e_wine "$FRESH/Downloads/$(basename "$SETUP")" /S >/dev/null 2>&1
check "setup.exe /S exits with 0" "0" "$?"
check "the installer loads no planted library beyond Wine's own" "$stub_expected" "$(loaded "$FRESH/Downloads")"

INSTALLED="./LumvoxWorkshop.exe ./README.txt ./RELEASE-NOTES.txt ./Uninstall.exe ./lumvox-send.exe ./lumvox-standin.exe"
check "installed files" "$INSTALLED" "$(listing "$INSTALL")"
for text in README.txt RELEASE-NOTES.txt; do
  check "installed $text is the zip's" "same" "$(cmp -s "$INSTALL/$text" "$PORTABLE/$text" && echo same)"
done
for exe in LumvoxWorkshop.exe lumvox-standin.exe lumvox-send.exe; do
  check "installed $exe is the zip's" "same" "$(cmp -s "$INSTALL/$exe" "$PORTABLE/$exe" && echo same)"
done
# Every program: the release's version, its own description, and a manifest that
# asks for common controls 6, per-monitor DPI, Windows 10 and no elevation.
while IFS='|' read -r exe description; do
  resources="$(helper resources "$INSTALL_WIN\\$exe" | tr -d '\r')"
  check "$exe: version and description" "$VERSION
$description" "$(printf '%s\n' "$resources" | head -n 2)"
  manifest="$(printf '%s\n' "$resources" | tail -n +3 | tr -s ' \n' ' ')"
  for part in "name=\"${exe%.exe}\" version=\"$VERSION\"" 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
              '>PerMonitorV2, PerMonitor<' '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>' \
              '<requestedExecutionLevel level="asInvoker"'; do
    check "$exe: the manifest has $part" "yes" "$([[ "$manifest" == *"$part"* ]] && echo yes)"
  done
done <<'PROGRAMS'
LumvoxWorkshop.exe|LumvoxWorkshop
lumvox-standin.exe|Lumvox Workshop stand-in speech program
lumvox-send.exe|Lumvox Workshop command-line sender
PROGRAMS
check "lumvox-send --version" "lumvox-send $VERSION" "$(e2e_wine "$INSTALL/lumvox-send.exe" --version 2>&1 | tr -d '\r')"
# As Explorer's Details tab shows them: product version, product, company,
# description, then the fixed product version.
while IFS='|' read -r exe description; do
  check "$exe: product version, names and description" "$VERSION
$PRODUCT
$COMPANY
$description
$VERSION" "$(helper names "$INSTALL_WIN\\$exe" | tr -d '\r')"
done <<PROGRAMS
LumvoxWorkshop.exe|LumvoxWorkshop
lumvox-standin.exe|Lumvox Workshop stand-in speech program
lumvox-send.exe|Lumvox Workshop command-line sender
Uninstall.exe|$PRODUCT Uninstaller
PROGRAMS
check "the installer: product version, names and description" "$VERSION
$PRODUCT
$COMPANY
$PRODUCT $VERSION Setup
$VERSION" "$(helper names "$(winpath "$SETUP")" | tr -d '\r')"
check "Start-menu shortcuts" "./Lumvox Stand-in.lnk ./Lumvox Workshop.lnk ./Uninstall Lumvox Workshop.lnk" "$(listing "$MENU")"
menu_win="$(winpath "$MENU")"
while IFS='|' read -r link target description arguments; do
  # An empty last line (no arguments) is dropped on both sides.
  check "shortcut $link: target, working folder, description and arguments" \
    "$(printf '%s\n' "$INSTALL_WIN\\$target" "$INSTALL_WIN" "$description" "$arguments")" \
    "$(helper shortcut "$menu_win\\$link" | tr -d '\r')"
done <<LINKS
Lumvox Workshop.lnk|LumvoxWorkshop.exe|Hands texts to the Lumvox speech program over its three channels|
Lumvox Stand-in.lnk|lumvox-standin.exe|A stand-in for the speech program that shows what arrives|
Uninstall Lumvox Workshop.lnk|Uninstall.exe|Removes Lumvox Workshop and keeps your own files|_?=$INSTALL_WIN
LINKS

bytes=0
for exe in LumvoxWorkshop.exe lumvox-standin.exe lumvox-send.exe; do bytes=$((bytes + $(stat -c %s "$INSTALL/$exe"))); done
printf -v size_hex '0x%x' $(( (bytes + 1023) / 1024 ))
check "installed-apps entry" "$(printf '%s\n' \
  ${programs_made:+"CreatedFolder	REG_SZ	C:\\users\\$user\\AppData\\Local\\Programs"} \
  "DisplayIcon	REG_SZ	$INSTALL_WIN\\LumvoxWorkshop.exe,0" \
  "DisplayName	REG_SZ	Lumvox Workshop" \
  "DisplayVersion	REG_SZ	$VERSION" \
  "EstimatedSize	REG_DWORD	$size_hex" \
  ${PROJECT_URL:+"HelpLink	REG_SZ	$PROJECT_URL"} \
  "InstallDate	REG_SZ	$(date +%Y%m%d)" \
  "InstallLocation	REG_SZ	$INSTALL_WIN" \
  "NoModify	REG_DWORD	0x1" \
  "NoRepair	REG_DWORD	0x1" \
  "Publisher	REG_SZ	Lumvox Workshop" \
  "QuietUninstallString	REG_SZ	\"C:\\windows\\system32\\cmd.exe\" /d /v:on /s /c \"copy /y \"$INSTALL_WIN\\Uninstall.exe\" \"%TEMP%\\Lumvox Workshop uninstall.exe\" >nul && \"%TEMP%\\Lumvox Workshop uninstall.exe\" /S _?=$INSTALL_WIN& set code=!errorlevel!& del \"%TEMP%\\Lumvox Workshop uninstall.exe\"& exit !code!\"" \
  ${PROJECT_URL:+"URLInfoAbout	REG_SZ	$PROJECT_URL"} \
  "UninstallString	REG_SZ	\"$INSTALL_WIN\\Uninstall.exe\" _?=$INSTALL_WIN" | sort)" "$(entry)"
check "one installed-apps entry after the upgrade" "1" "$(entries_named)"

# --- the workshop from its Start-menu target, and installs while it runs ---------
MAIN=class:TfrmLumvoxMsgTest
cd "$INSTALL"
e2e_start "$INSTALL_WIN\\LumvoxWorkshop.exe"
cd - >/dev/null
run=$E2E_LAST
check "the installed workshop shows its title" "ok" \
  "$(drv wait-prefix "$MAIN" "Lumvox Workshop V$VERSION - " 30000 >/dev/null 2>&1 && echo ok)"
before="$(state)"
e2e_wine "$SETUP" /S >/dev/null 2>&1
check "setup.exe /S while the workshop runs exits with 2" "2" "$?"
quiet_uninstall >/dev/null 2>&1
check "the entry's silent uninstall while the workshop runs exits with 2" "2" "$?"
check "and neither changed anything" "$before" "$(state)"
drv close "$MAIN" >/dev/null
check "the workshop ends" "0" "$(e2e_exit_code "$run" 20)"
e2e_start "$INSTALL_WIN\\lumvox-standin.exe" --port 0 --log "$FRESH/standin-running.jsonl"
run=$E2E_LAST
drv wait-window title:Lumvox 30000 >/dev/null 2>&1
quiet_uninstall >/dev/null 2>&1
check "the entry's silent uninstall while the stand-in runs exits with 2" "2" "$?"
check "and changes nothing" "$before" "$(state)"
drv close title:Lumvox >/dev/null
check "the stand-in ends" "0" "$(e2e_exit_code "$run" 20)"

# --- an older installer does not replace this version unless told to --------------
e2e_wine "$FRESH/old-setup.exe" /S >/dev/null 2>&1
check "an older installer, silent, exits with 3" "3" "$?"
check "and changes nothing" "$before" "$(state)"

# --- NSIS's copy of the uninstaller (Uninstall.exe without _?=) leaves nothing ----
# Refused while the stand-in runs, silent: the copy exits with 2, and its folder goes.
e2e_start "$INSTALL_WIN\\lumvox-standin.exe" --port 0
run=$E2E_LAST
drv wait-window title:Lumvox 30000 >/dev/null 2>&1
helper run-exact "$INSTALL_WIN\\Uninstall.exe" /S >/dev/null 2>&1
check "a refused silent uninstall (its copy) changes nothing" "yes" "$(eventually '[ -z "$(leftovers)" ] && [ "$(state)" == "$before" ]')"
check "and leaves nothing in %TEMP%" "" "$(leftovers)"
drv close title:Lumvox >/dev/null
check "the stand-in ends" "0" "$(e2e_exit_code "$run" 20)"
# Cancelled on its first page.
e2e_start "$INSTALL_WIN\\Uninstall.exe"
run=$E2E_LAST
press 2
check "a cancelled uninstall leaves nothing in %TEMP%" "yes" "$(eventually '[ -z "$(leftovers)" ]')"
check "and changes nothing" "$before" "$(state)"

# --- the PATH option, for lumvox-send in a console ---------------------------------
e2e_wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d 'C:\mine;%USERPROFILE%\bin' /f >/dev/null 2>&1
e2e_wine "$SETUP" /S /ADDTOPATH >/dev/null 2>&1
check "setup.exe /S /ADDTOPATH exits with 0" "0" "$?"
check "the folder is added to the user's Path, which keeps the rest" "C:\\mine;%USERPROFILE%\\bin;$INSTALL_WIN" "$(path_value)"

# --- silent uninstall from a folder with planted libraries ------------------------
echo "mine" >"$INSTALL/notes.txt"
plant "$FRESH/uninstaller" "$INSTALL/Uninstall.exe"
WINEDLLOVERRIDES="$PLANTED_OVERRIDES" helper run-exact "$(winpath "$FRESH/uninstaller/Uninstall.exe")" /S "_?=$INSTALL_WIN" \
  >/dev/null 2>&1
check "the silent uninstall exits with 0" "0" "$?"
check "the uninstaller loads no planted library beyond Wine's own" "$stub_expected" "$(loaded "$FRESH/uninstaller")"
check "only the user's file stays" "./notes.txt" "$(listing "$INSTALL")"
check "the Start-menu folder is gone" "gone" "$([ -e "$MENU" ] || echo gone)"
check "the installed-apps entry is gone" "" "$(entry)"
check "the user's Path is as it was" "C:\\mine;%USERPROFILE%\\bin" "$(path_value)"

# --- a Path entry the user made stays theirs ----------------------------------------
e2e_wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "C:\\mine;$INSTALL_WIN" /f >/dev/null 2>&1
for switches in "/S" "/S /ADDTOPATH"; do
  e2e_wine "$SETUP" $switches >/dev/null 2>&1
  check "setup.exe $switches with the folder already on the user's Path: the Path as it was, nothing recorded" \
    "C:\\mine;$INSTALL_WIN |" "$(path_value) |$(value AddedToPath)"
  quiet_uninstall >/dev/null 2>&1
  check "and after the uninstall the user's entry is still there" "C:\\mine;$INSTALL_WIN" "$(path_value)"
done
e2e_wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d 'C:\mine;%USERPROFILE%\bin' /f >/dev/null 2>&1

# --- a Korean system: Korean pages and shortcut names, removed as well -----------
# Wine takes the system's language from the locale, which must be compiled.
mkdir -p "$FRESH/locale"
localedef -i ko_KR -f UTF-8 "$FRESH/locale/ko_KR.UTF-8" 2>/dev/null
export LOCPATH="$FRESH/locale"
LC_ALL=ko_KR.UTF-8 e2e_wine "$SETUP" /S >/dev/null 2>&1
check "a Korean system: setup.exe /S exits with 0" "0" "$?"
check "a Korean system: Korean shortcut names" \
  "./Lumvox Workshop 제거.lnk ./Lumvox Workshop.lnk ./Lumvox 스탠드인.lnk" "$(listing "$MENU")"
LC_ALL=ko_KR.UTF-8 e2e_start "$INSTALL/lumvox-standin.exe" --port 0
run=$E2E_LAST
drv wait-window title:Lumvox 30000 >/dev/null 2>&1
check "a Korean system: the stand-in's window is Korean" "GET 응답: 지우기" \
  "$(drv text-of title:Lumvox/101 | tr -d '\r') $(drv text-of title:Lumvox/104 | tr -d '\r')"
drv close title:Lumvox >/dev/null
check "a Korean system: the stand-in ends" "0" "$(e2e_exit_code "$run" 20)"
check "a Korean system: the uninstaller's shortcut" "$INSTALL_WIN\\Uninstall.exe
$INSTALL_WIN
Lumvox Workshop을 제거하고 사용자 파일은 남겨 둡니다
_?=$INSTALL_WIN" "$(helper shortcut "$menu_win\\Lumvox Workshop 제거.lnk" | tr -d '\r')"
e2e_wine "$SETUP" /S >/dev/null 2>&1
check "the system's language changed: an English install replaces the Korean shortcuts" \
  "./Lumvox Stand-in.lnk ./Lumvox Workshop.lnk ./Uninstall Lumvox Workshop.lnk" "$(listing "$MENU")"
mkdir -p "$FRESH/uninstaller-ko"
cp "$INSTALL/Uninstall.exe" "$FRESH/uninstaller-ko/"
LC_ALL=ko_KR.UTF-8 helper run-exact "$(winpath "$FRESH/uninstaller-ko/Uninstall.exe")" /S \
  "_?=$INSTALL_WIN" >/dev/null 2>&1
check "a Korean system: the silent uninstall exits with 0" "0" "$?"
check "a Korean system: the Start-menu folder is gone" "gone" "$([ -e "$MENU" ] || echo gone)"
check "a Korean system: only the user's file stays" "./notes.txt" "$(listing "$INSTALL")"

# --- one installation per user: an install into another folder replaces it ---------
e2e_wine "$SETUP" /S /ADDTOPATH >/dev/null 2>&1
mkdir -p "$FRESH/old-uninstaller"
cp "$INSTALL/Uninstall.exe" "$FRESH/old-uninstaller/"
OTHER_WIN='C:\Tools\Lumvox Workshop'
OTHER="$WINEPREFIX/drive_c/Tools/Lumvox Workshop"
# /D= takes the rest of the line, spaces included: run it unquoted.
helper run-exact "$(winpath "$SETUP")" /S "/D=$OTHER_WIN" >/dev/null 2>&1
check "setup.exe /S /D=<another folder> exits with 0" "0" "$?"
check "the earlier installation is gone but for the user's file" "./notes.txt" "$(listing "$INSTALL")"
check "the new folder holds the installation" "$INSTALLED" "$(listing "$OTHER")"
check "one installed-apps entry, for the new folder" "1 $OTHER_WIN C:\\Tools" \
  "$(entries_named) $(value InstallLocation) $(value CreatedFolder)"
check "the shortcuts lead to the new folder" "$OTHER_WIN\\LumvoxWorkshop.exe" \
  "$(helper shortcut "$menu_win\\Lumvox Workshop.lnk" | tr -d '\r' | head -n 1)"
check "the Path names the new folder only" "C:\\mine;%USERPROFILE%\\bin;$OTHER_WIN" "$(path_value)"
after_move="$(entry; listing "$MENU")"
helper run-exact "$(winpath "$FRESH/old-uninstaller/Uninstall.exe")" /S "_?=$INSTALL_WIN" >/dev/null 2>&1
check "the earlier installation's uninstaller leaves the new entry and shortcuts alone" "$after_move" "$(entry; listing "$MENU")"
quiet_uninstall >/dev/null 2>&1
check "the entry's silent uninstall exits with 0" "0" "$?"
check "and has removed the folder and the one it made for it when it returns" "gone" \
  "$([ -e "$WINEPREFIX/drive_c/Tools" ] || echo gone)"
check "and the entry, the shortcuts and the Path entry" "| gone | C:\\mine;%USERPROFILE%\\bin" \
  "$(entry)| $([ -e "$MENU" ] || echo gone) | $(path_value)"
check "the uninstaller's copy of itself leaves %TEMP%" "yes" "$(eventually '[ -z "$(leftovers)" ]')"

# --- the uninstaller without _?= copies itself to %TEMP% and cleans up after --------
helper run-exact "$(winpath "$SETUP")" /S "/D=$OTHER_WIN" >/dev/null 2>&1
helper run-exact "$OTHER_WIN\\Uninstall.exe" /S >/dev/null 2>&1
check "Uninstall.exe /S (returning at once) removes the installation in time" "yes" \
  "$(eventually '[ ! -e "$WINEPREFIX/drive_c/Tools" ]')"
check "and leaves nothing in %TEMP%" "yes" "$(eventually '[ -z "$(leftovers)" ]')"

# --- interactive installs: every Korean page's particles, the finish page's text ---
# Each language's setup, page by page; the finish page's text measured against its
# label in the dialog font of that language (NSIS's language files: MS Shell Dlg 8,
# 굴림 9), then Finish, which starts the workshop.
while IFS='|' read -r locale face points directory_text; do
  LC_ALL=$locale e2e_start "$SETUP"
  run=$E2E_LAST
  press 1                                   # welcome
  press 1                                   # components
  check "$locale: the directory page's text" "yes" "$(shows "$directory_text")"
  check "$locale: no page writes (을)를" "3" "$(helper label-fits '(을)를' x 8 >/dev/null 2>&1; echo $?)"
  press 1                                   # install
  check "$locale: the finish page shows" "yes" "$(shows "$INSTALL_WIN")"
  check "$locale: the finish page's text fits its label" "fits" "$(LC_ALL=$locale helper label-fits "$INSTALL_WIN" "$face" "$points" | tr -d '\r')"
  check "$locale: no page writes (을)를" "3" "$(helper label-fits '(을)를' x 8 >/dev/null 2>&1; echo $?)"
  press 1                                   # finish
  check "$locale: the setup ends" "0" "$(e2e_exit_code "$run" 30)"
  drv wait-window "$MAIN" 30000 >/dev/null 2>&1 && drv close "$MAIN" >/dev/null 2>&1
  # The next setup rightly refuses while this workshop runs, and its process ends a
  # while after its window: wait for it, or that refusal's box takes the next clicks.
  check "$locale: the workshop the finish page started has ended" "yes" \
    "$(eventually '! pgrep -if "LumvoxWorkshop\.exe" >/dev/null')"
done <<PAGES
ko_KR.UTF-8|굴림|9|${PRODUCT}을 다음 폴더에 설치합니다
C.UTF-8|MS Shell Dlg|8|Setup will install $PRODUCT in the following folder
PAGES
sleep 3

# --- the uninstaller run in place, as the shortcut and the entry run it -------------
# On a Korean system: its pages' particles too.
pending_before="$(pending)"
LC_ALL=ko_KR.UTF-8 e2e_start "$HELPER" run-line "$(value UninstallString)"
run=$E2E_LAST
drv wait-window "$WIZARD" 30000 >/dev/null 2>&1
check "the confirm page names the folder without a closing backslash" "$INSTALL_WIN" \
  "$(drv text-of "$WIZARD/0/1000" 2>/dev/null | tr -d '\r')"
check "the Korean confirm page's text" "yes" "$(shows "이 컴퓨터에서 ${PRODUCT}을 제거합니다")"
check "no uninstaller page writes (을)를" "3" "$(helper label-fits '(을)를' x 8 >/dev/null 2>&1; echo $?)"
press 1                           # uninstall
check "the finish page says the folder was kept, and why" "yes" "$(shows "${PRODUCT}을 제거했습니다. 설치 프로그램이 넣지 않은 파일")"
check "no uninstaller page writes (을)를" "3" "$(helper label-fits '(을)를' x 8 >/dev/null 2>&1; echo $?)"
press 1                           # finish
check "the uninstaller ends with 0" "0" "$(e2e_exit_code "$run" 30)"
check "run in place, it leaves nothing of the installation, its own file included" "yes" \
  "$(eventually '[ "$(listing "$INSTALL")" == "./notes.txt" ]')"
check "nothing in %TEMP%" "" "$(leftovers)"
check "and asks for no deletion at restart" "$pending_before" "$(pending)"

# --- NSIS's copy with its finish page left open for over a minute -------------------
e2e_wine "$SETUP" /S >/dev/null 2>&1
e2e_start "$INSTALL_WIN\\Uninstall.exe"
run=$E2E_LAST
press 1                           # uninstall
check "the copy's finish page says the folder was kept, and why" "yes" "$(shows "Its folder was kept because")"
sleep 65
press 1                           # finish
check "after a slow finish page the installation is gone" "yes" "$(eventually '[ "$(listing "$INSTALL")" == "./notes.txt" ]')"
check "and its copy leaves nothing in %TEMP%" "yes" "$(eventually '[ -z "$(leftovers)" ]')"

# --- the zip's programs run where they are unpacked -------------------------------
e2e_start "$PORTABLE/LumvoxWorkshop.exe"
run=$E2E_LAST
check "the zip's workshop shows its title" "ok" \
  "$(drv wait-prefix "$MAIN" "Lumvox Workshop V$VERSION - " 30000 >/dev/null 2>&1 && echo ok)"
drv close "$MAIN" >/dev/null
check "the zip's workshop ends" "0" "$(e2e_exit_code "$run" 20)"
e2e_start "$PORTABLE/lumvox-standin.exe" --port 0 --log "$FRESH/standin.jsonl"
run=$E2E_LAST
check "the zip's stand-in shows its window" "ok" "$(drv wait-window title:Lumvox 30000 >/dev/null 2>&1 && echo ok)"
check "elsewhere the stand-in's window is English" "Answer to GET: Clear" \
  "$(drv text-of title:Lumvox/101 | tr -d '\r') $(drv text-of title:Lumvox/104 | tr -d '\r')"
e2e_wine "$PORTABLE/lumvox-send.exe" --app zip >/dev/null 2>&1
check "the zip's lumvox-send delivers to it" "0" "$?"
drv close title:Lumvox >/dev/null
check "the zip's stand-in ends" "0" "$(e2e_exit_code "$run" 20)"

# --- a signed installer: its uninstaller is signed as well --------------------------
if [ -n "$SIGNED_SETUP" ]; then
  e2e_wine "$SIGNED_SETUP" /S "/D=C:\\signed" >/dev/null 2>&1
  check "the signed installer installs" "0" "$?"
  check "the signed installer's uninstaller is signed" "ok" \
    "$(osslsigncode verify -CAfile "$CA" -in "$WINEPREFIX/drive_c/signed/Uninstall.exe" >/dev/null 2>&1 && echo ok)"
  # Run in place, the uninstaller's own file goes once it has ended.
  helper run-exact 'C:\signed\Uninstall.exe' /S '_?=C:\signed' >/dev/null 2>&1
  check "and it uninstalls" "yes" "$(eventually '[ ! -e "$WINEPREFIX/drive_c/signed" ]')"
fi
e2e_finish
