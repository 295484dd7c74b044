#!/usr/bin/env bash
# Builds every libFuzzer target in fuzz/ (clang, ASan+UBSan) and runs each from
# its seed corpus in fuzz/corpus/<target>/ (and with fuzz/<target>.dict if there
# is one). Any finding (crash, sanitizer report, timeout, leak) fails the run.
#
#   fuzz.sh [SECONDS]   share SECONDS of fuzzing (default 120) equally among the targets
#   fuzz.sh --long [N]  run each target for N inputs (default 10,000,000)
#
# A new target is fuzz/<name>_fuzz.cpp plus its line in fuzz/CMakeLists.txt
# naming the libraries it links (their sources are the CMake targets'); a target
# file without its line fails the run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

long=0 runs=10000000 seconds=120
if [ "${1:-}" = --long ]; then long=1; runs="${2:-$runs}"; else seconds="${1:-$seconds}"; fi
out="${LUMVOX_FUZZ_BUILD:-build/fuzz}"
mkdir -p "$out"

names=()
for file in fuzz/*_fuzz.cpp; do
  name="$(basename "$file" _fuzz.cpp)"
  if ! grep -q "^lumvox_fuzz_target(${name} " fuzz/CMakeLists.txt; then
    echo "fuzz.sh: $file has no line in fuzz/CMakeLists.txt" >&2
    exit 1
  fi
  names+=("$name")
done

# Two compilers at a time: CI has two cores.
cmake -S . -B "$out" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DLUMVOX_FUZZ=ON >"$out/configure.log" 2>&1 ||
  { cat "$out/configure.log" >&2; exit 1; }
cmake --build "$out" -j2 --target "${names[@]/%/_fuzz}" >"$out/build.log" 2>&1 ||
  { tail -n 60 "$out/build.log" >&2; exit 1; }

share=$((seconds / ${#names[@]}))
((share > 0)) || share=1
failed=0
for name in "${names[@]}"; do
  # New inputs go to a scratch copy; the committed seeds stay as they are.
  rm -rf "$out/$name-corpus"
  mkdir -p "$out/$name-corpus"
  args=("$out/$name-corpus" "fuzz/corpus/$name" -max_len=8192 -timeout=10 -print_final_stats=1
        -artifact_prefix="$out/$name-")
  [ -f "fuzz/$name.dict" ] && args+=(-dict="fuzz/$name.dict")
  if ((long)); then args+=(-runs="$runs"); else args+=(-max_total_time="$share"); fi
  log="$out/$name.log"
  started=$SECONDS
  rc=0
  "$out/fuzz/${name}_fuzz" "${args[@]}" >"$log" 2>&1 || rc=$?
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  if [ "$rc" -ne 0 ]; then
    tail -n 60 "$log"
    echo "$name fuzzer: FINDING (exit code $rc) after ${execs:-?} inputs; the input is in $out/ ($name-crash-*, $name-timeout-*, $name-leak-*)" >&2
    failed=1
  else
    echo "$name fuzzer: ${execs:-?} inputs in $((SECONDS - started)) s, no finding"
  fi
done
exit "$failed"
