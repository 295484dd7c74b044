#!/usr/bin/env bash
# Builds each libFuzzer target (clang, ASan+UBSan) and runs it for the given
# number of seconds (default 60) from its seed corpus: the HTTP reply reader
# (fuzz/corpus) and the speech-markup check (fuzz/markup_corpus).
# Any finding (crash, sanitizer report, timeout, leak) fails the run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds="${1:-60}"
out="${LUMVOX_FUZZ_BUILD:-build/fuzz}"
mkdir -p "$out"

# run_target NAME LABEL CORPUS DICT SOURCE...
run_target() {
  local name="$1" label="$2" corpus="$3" dict="$4"
  shift 4
  clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Isrc \
    "$@" -o "$out/$name"
  # New inputs go to a scratch copy; the committed seeds stay as they are.
  rm -rf "$out/$name-corpus-run"
  mkdir -p "$out/$name-corpus-run"
  local log="$out/$name.log" rc=0
  "$out/$name" "$out/$name-corpus-run" "$corpus" \
    -dict="$dict" -max_len=8192 -timeout=10 -max_total_time="$seconds" \
    -print_final_stats=1 -artifact_prefix="$out/$name-" >"$log" 2>&1 || rc=$?
  if [ "$rc" -ne 0 ]; then
    tail -n 60 "$log"
    echo "$label fuzzer: FINDING (exit code $rc); the input is in $out/ ($name-crash-*, -timeout-*, -leak-*)" >&2
    exit 1
  fi
  local execs
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  echo "$label fuzzer: ${execs:-?} inputs in ${seconds} s, no finding"
}

run_target reply_reader_fuzz "reply reader" fuzz/corpus fuzz/reply.dict \
  fuzz/reply_reader_fuzz.cpp src/core/http_reply_reader.cpp src/core/utf.cpp
run_target markup_check_fuzz "markup check" fuzz/markup_corpus fuzz/markup.dict \
  fuzz/markup_check_fuzz.cpp src/core/markup_check.cpp src/core/reference_texts.cpp src/core/text_rules.cpp \
  src/core/utf.cpp
