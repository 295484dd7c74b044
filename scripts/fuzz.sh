#!/usr/bin/env bash
# Builds the reply reader's libFuzzer target (clang, ASan+UBSan) and runs it for
# the given number of seconds (default 60) from the seed corpus in fuzz/corpus.
# Any finding (crash, sanitizer report, timeout, leak) fails the run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds="${1:-60}"
out="${LUMVOX_FUZZ_BUILD:-build/fuzz}"
mkdir -p "$out"

clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Isrc \
  fuzz/reply_reader_fuzz.cpp src/core/http_reply_reader.cpp src/core/utf.cpp \
  -o "$out/reply_reader_fuzz"

# New inputs go to a scratch copy; the committed seeds stay as they are.
rm -rf "$out/corpus-run"
mkdir -p "$out/corpus-run"
log="$out/reply_reader_fuzz.log"
rc=0
"$out/reply_reader_fuzz" "$out/corpus-run" fuzz/corpus \
  -dict=fuzz/reply.dict -max_len=8192 -timeout=10 -max_total_time="$seconds" \
  -print_final_stats=1 -artifact_prefix="$out/" >"$log" 2>&1 || rc=$?
if [ "$rc" -ne 0 ]; then
  tail -n 60 "$log"
  echo "reply reader fuzzer: FINDING (exit code $rc); the input is in $out/ (crash-*, timeout-*, leak-*)" >&2
  exit 1
fi
execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
echo "reply reader fuzzer: ${execs:-?} inputs in ${seconds} s, no finding"
