#!/usr/bin/env bash
# Peak memory and time of `lumvox-send --check --file` on texts that hold a
# finding at nearly every character: 10 MiB of "<" (every one a finding, past the
# kept ones only counted) and 8 MiB of "AT&T and R&D, " (plain text: nothing is
# built), beside 8 MiB of plain words as the floor. Figures come from
# /usr/bin/time -v: "Maximum resident set size" and the wall clock.
# usage: bench/markup_check_memory.sh [runs]   (the best of `runs`, default 3)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
runs="${1:-3}"
cmake --preset linux-bench >/dev/null
cmake --build --preset linux-bench --target lumvox-send >/dev/null
send=build/linux-bench/tools/send/lumvox-send
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
head -c $((10 << 20)) /dev/zero | tr '\0' '<' >"$dir/less-than.txt"
repeat() { yes -- "$1" | tr -d '\n' | head -c $(($2 << 20)) >"$3" || true; }
repeat "AT&T and R&D, " 8 "$dir/ampersands.txt"
repeat "plain words and more, " 8 "$dir/plain.txt"

printf '%-16s %8s %12s %10s %6s\n' text MiB "peak MiB" seconds exit
for name in less-than ampersands plain; do
  best_kib="" best_s=""
  for ((run = 0; run < runs; ++run)); do
    rc=0
    /usr/bin/time -v "$send" --check --file "$dir/$name.txt" >"$dir/out" 2>"$dir/time" || rc=$?
    kib="$(sed -n 's/^\tMaximum resident set size (kbytes): //p' "$dir/time")"
    wall="$(sed -n 's/^\tElapsed (wall clock) time (h:mm:ss or m:ss): //p' "$dir/time")"
    s="$(awk -F: '{ t = 0; for (i = 1; i <= NF; ++i) t = t * 60 + $i; print t }' <<<"$wall")"
    if [ -z "$best_s" ] || awk -v a="$s" -v b="$best_s" 'BEGIN { exit !(a < b) }'; then best_s="$s"; fi
    if [ -z "$best_kib" ] || ((kib < best_kib)); then best_kib="$kib"; fi
  done
  printf '%-16s %8.1f %12.1f %10.2f %6d   (%s lines printed)\n' "$name" \
    "$(awk -v b="$(stat -c %s "$dir/$name.txt")" 'BEGIN { print b / 1048576 }')" \
    "$(awk -v k="$best_kib" 'BEGIN { print k / 1024 }')" "$best_s" "$rc" "$(wc -l <"$dir/out")"
done
