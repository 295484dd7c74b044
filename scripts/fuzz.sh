#!/usr/bin/env bash
# Builds every libFuzzer target in fuzz/ (clang, ASan+UBSan) and runs each from
# its seed corpus in fuzz/corpus/<target>/ (and with fuzz/<target>.dict if there
# is one). Any finding (crash, sanitizer report, timeout, leak) fails the run.
#
#   fuzz.sh [SECONDS]   share SECONDS of fuzzing (default 120) equally among the targets
#   fuzz.sh --long [N]  run each target for N inputs (default 10,000,000)
#
# A new target is fuzz/<name>_fuzz.cpp plus one line in TARGETS below naming the
# sources it needs; a target file without its line fails the run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# A send's request and channels, with what they call.
send_sources="src/core/send/send.cpp src/core/send/app_channel.cpp src/core/send/net_channel.cpp src/core/send/clip_channel.cpp src/core/send_outcome.cpp src/core/wire_warnings.cpp src/core/request_url.cpp src/core/http_request.cpp src/core/http_reply_reader.cpp src/core/text_rules.cpp src/core/utf.cpp"
# The markup check: its rules, checker and messages.
markup_sources="src/core/markup_check.cpp src/core/markup_messages.cpp src/core/markup_rules.cpp"
declare -A TARGETS=(
  [reply_reader]="src/core/http_reply_reader.cpp src/core/utf.cpp"
  [request_url]="src/core/request_url.cpp src/core/text_rules.cpp src/core/utf.cpp src/core/send_outcome.cpp tools/standin/wire_text.cpp"
  [text_file_decoder]="src/core/text_file_decoder.cpp src/core/utf.cpp"
  [standin_request]="tools/standin/wire_text.cpp src/core/send_outcome.cpp tools/standin/events.cpp src/json/json_line.cpp src/json/json_string.cpp tools/common/hex_dump.cpp tools/common/markup_json.cpp $markup_sources src/core/reference_texts.cpp src/core/text_rules.cpp src/core/utf.cpp"
  [markup_check]="$markup_sources src/core/request_markup.cpp src/core/reference_texts.cpp $send_sources"
  [batch_reader]="tools/send/batch_reader.cpp tools/send/outcome.cpp tools/send/send_options.cpp src/json/json_line.cpp src/json/json_string.cpp $send_sources"
)

long=0 runs=10000000 seconds=120
if [ "${1:-}" = --long ]; then long=1; runs="${2:-$runs}"; else seconds="${1:-$seconds}"; fi
out="${LUMVOX_FUZZ_BUILD:-build/fuzz}"
mkdir -p "$out"

names=()
for file in fuzz/*_fuzz.cpp; do
  name="$(basename "$file" _fuzz.cpp)"
  if [ -z "${TARGETS[$name]:-}" ]; then
    echo "fuzz.sh: $file has no line in TARGETS" >&2
    exit 1
  fi
  names+=("$name")
done

# Two compilers at a time: CI has two cores.
build() {
  local name="$1"
  # shellcheck disable=SC2086
  clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -Isrc -Itools -Itools/send \
    "fuzz/${name}_fuzz.cpp" ${TARGETS[$name]} -o "$out/${name}_fuzz" 2>"$out/${name}_build.log" ||
    { cat "$out/${name}_build.log" >&2; return 1; }
}
export -f build
export out
for name in "${names[@]}"; do printf '%s\0%s\0' "$name" "${TARGETS[$name]}"; done |
  xargs -0 -n2 -P2 bash -c 'declare -A TARGETS=(["$0"]="$1"); build "$0"'

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
  "$out/${name}_fuzz" "${args[@]}" >"$log" 2>&1 || rc=$?
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
