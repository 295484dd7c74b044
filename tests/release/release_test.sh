#!/usr/bin/env bash
# The release as CI checks it, after the Windows build (scripts/test.sh):
#  0. the release command refuses, before building anything, without a download URL
#     (unless told to use a placeholder) and when the release notes do not begin
#     with the version;
#  1. scripts/release.sh twice, in two build folders: every artifact byte for byte
#     the same;
#  2. again with a throwaway code-signing certificate made here: the installer and
#     the zip's exes carry signatures that osslsigncode verifies against it (and the
#     unsigned artifacts none);
#  3. the winget and Scoop manifests of the unsigned and the signed release: they
#     parse and carry the hashes of the artifacts beside them (check_manifests.py);
#  4. tests/release/install_test.sh on the first build's artifacts (and the signed
#     installer, whose uninstaller must be signed too).
# Prints the artifacts' sizes and the release command's time.
# usage: tests/release/release_test.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$root"
work="$root/build/release-check"
rm -rf "$work"
mkdir -p "$work"
failed=0 passed=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); printf 'FAIL %s\n  expected: [%s]\n  actual:   [%s]\n' "$1" "$2" "$3"; fi
}

version="$(sed -n 's/^project(LumvoxWorkshop VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)"
# Addresses written into the manifests and the installed-apps entry; nothing is fetched.
export LUMVOX_DOWNLOAD_URL="https://downloads.example.org/lumvox-workshop/$version"
export LUMVOX_PROJECT_URL="https://example.org/lumvox-workshop"

code=0
env -u LUMVOX_DOWNLOAD_URL bash scripts/release.sh "$work/refused" >"$work/refused.log" 2>&1 || code=$?
check "without a download URL the release command refuses (exit 2)" "2" "$code"
check "and says how to give one" "yes" "$(grep -q 'LUMVOX_DOWNLOAD_URL' "$work/refused.log" && grep -q -- '--placeholder-url' "$work/refused.log" && echo yes)"
check "and writes nothing" "" "$(ls "$work/refused" 2>/dev/null)"
# A checkout whose version is not the release notes' newest entry.
mkdir -p "$work/other-version/scripts"
cp scripts/release.sh "$work/other-version/scripts/"
sed "s/^project(LumvoxWorkshop VERSION [0-9.]* /project(LumvoxWorkshop VERSION 9.8.7.6 /" CMakeLists.txt >"$work/other-version/CMakeLists.txt"
cp RELEASE-NOTES.txt "$work/other-version/"
code=0
bash "$work/other-version/scripts/release.sh" "$work/other-version/out" >"$work/other-version.log" 2>&1 || code=$?
check "a version the release notes do not begin with is refused" "1 yes" \
  "$code $(grep -q "begins with '$version', not this version, 9.8.7.6" "$work/other-version.log" && echo yes)"

start=$SECONDS
bash scripts/release.sh "$work/first" >"$work/first.log" 2>&1 || { cat "$work/first.log"; exit 1; }
echo "release command: $((SECONDS - start)) s (build/release)"
start=$SECONDS
LUMVOX_RELEASE_BUILD="$work/build" bash scripts/release.sh "$work/second" >"$work/second.log" 2>&1 ||
  { cat "$work/second.log"; exit 1; }
echo "release command: $((SECONDS - start)) s (a clean build folder)"
files() { (cd "$1" && find . -type f | LC_ALL=C sort); }
for name in $(files "$work/first"); do
  printf '%-60s %9d bytes\n' "${name#./}" "$(stat -c %s "$work/first/$name")"
  check "${name#./} is the same from both builds" "same" "$(cmp -s "$work/first/$name" "$work/second/$name" && echo same)"
done
check "both builds made the same files" "$(files "$work/first")" "$(files "$work/second")"
(cd "$work/first" && sha256sum --quiet -c SHA256SUMS) && check "SHA256SUMS matches" ok ok || check "SHA256SUMS matches" ok bad

# A throwaway certificate, valid for code signing only, made for this run.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Lumvox Workshop test signing" -addext "extendedKeyUsage=codeSigning" \
  -addext "keyUsage=digitalSignature" 2>/dev/null
LUMVOX_SIGN_CERT="$work/cert.pem" LUMVOX_SIGN_KEY="$work/key.pem" \
  bash scripts/release.sh "$work/signed" >"$work/signed.log" 2>&1 || { cat "$work/signed.log"; exit 1; }
signed_setup="$(ls "$work/signed"/*-setup.exe)"
mkdir -p "$work/signed/unpacked" "$work/first/unpacked"
(cd "$work/signed/unpacked" && unzip -q ../*.zip)
(cd "$work/first/unpacked" && unzip -q ../*.zip)
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >/dev/null 2>&1 && echo signed || echo unsigned; }
check "the signed installer verifies" "signed" "$(verify "$signed_setup")"
check "the unsigned installer has no signature" "unsigned" "$(verify "$(ls "$work/first"/*-setup.exe)")"
for exe in LumvoxWorkshop.exe lumvox-standin.exe lumvox-send.exe; do
  check "signed $exe verifies" "signed" "$(verify "$work/signed/unpacked"/*/"$exe")"
  check "unsigned $exe has no signature" "unsigned" "$(verify "$work/first/unpacked"/*/"$exe")"
done
for dist in first signed; do
  /usr/bin/python3 tests/release/check_manifests.py "$work/$dist" "$version" &&
    check "the $dist release's manifests" ok ok || check "the $dist release's manifests" ok bad
done
echo "$passed passed, $failed failed"

cmake --build --preset windows --target lumvox_e2e_driver release_helper planted_dll_fixtures >/dev/null
tests="$root/build/windows/tests"
install_ok=0
bash tests/release/install_test.sh "$work/first" "$tests/e2e/lumvox_e2e_driver.exe" "$tests/release/release_helper.exe" \
  "$tests/release/planted" "$tests/release/window_only_probe.exe" "$signed_setup" "$work/cert.pem" || install_ok=1
[ "$failed" -eq 0 ] && [ "$install_ok" -eq 0 ]
