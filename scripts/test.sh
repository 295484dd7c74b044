#!/usr/bin/env bash
# Sets up everything, builds, and runs every test suite: native, sanitizers,
# Windows under Wine (unit, Windows-only and end-to-end), and the fuzzers.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/setup.sh

step() { printf '\n==== %s ====\n' "$*"; }

step "native core tests (g++)"
cmake --preset linux >/dev/null
cmake --build --preset linux
ctest --preset linux

step "native core tests under ASan+UBSan"
cmake --preset linux-asan >/dev/null
cmake --build --preset linux-asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset linux-asan

step "Windows build (mingw-w64) and its tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
x86_64-w64-mingw32-objdump -p build/windows/src/app/LumvoxWorkshop.exe | grep 'DLL Name'
ctest --preset windows

step "release: built twice byte for byte, signed, installed under Wine"
bash tests/release/release_test.sh

if [ -x scripts/fuzz.sh ]; then
  step "fuzzing every parser of outside input"
  bash scripts/fuzz.sh "${LUMVOX_FUZZ_SECONDS:-120}"
fi
step "all suites passed"
