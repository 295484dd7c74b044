#!/usr/bin/env bash
# The figures of bench/markup_check_vs_xmllint.sh that a busy machine cannot
# bend: minor page faults (each one system time: memory touched for the first
# time) and instructions executed in user space, of
#   lumvox-send --check --file markup.txt      and
#   xmllint --noout --stream markup-rooted.xml
# on the same few MiB of markup. Faults from /usr/bin/time, instructions from
# valgrind's callgrind (which runs the program some 50 times slower).
# usage: bench/markup_check_counts.sh [MiB]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mib="${1:-4}"
cmake --preset linux-bench >/dev/null
cmake --build --preset linux-bench --target markup_check_bench lumvox-send >/dev/null
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
build/linux-bench/bench/markup_check_bench "$dir" "$mib" | head -1
faults() { /usr/bin/time -f %R "$@" 2>&1 >/dev/null | tail -1; }
instructions() {
  valgrind --tool=callgrind --callgrind-out-file="$dir/callgrind" "$@" 2>&1 >/dev/null |
    sed -n 's/.*Collected : //p'
}
printf '%-26s %12s %16s\n' process "minor faults" instructions
for name in send xmllint; do
  if [ "$name" = send ]; then cmd=(build/linux-bench/tools/send/lumvox-send --check --file "$dir/markup.txt")
  else cmd=(xmllint --noout --stream "$dir/markup-rooted.xml"); fi
  printf '%-26s %12s %16s\n' "${cmd[0]##*/}" "$(faults "${cmd[@]}")" "$(instructions "${cmd[@]}")"
done
