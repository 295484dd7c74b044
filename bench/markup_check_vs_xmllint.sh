#!/usr/bin/env bash
# The speech-markup check beside libxml2's streaming parser on the same few MiB of
# markup (the workshop's seven samples, repeated), in one hyperfine run:
#   lumvox-send --check --file markup.txt     (process start, file decoding, check, findings printed)
#   xmllint --noout --stream markup-rooted.xml (the same text inside one root element)
# and the check alone, in process. usage: bench/markup_check_vs_xmllint.sh [MiB] [runs]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mib="${1:-4}"
runs="${2:-10}"
cmake --preset linux-bench >/dev/null
cmake --build --preset linux-bench --target markup_check_bench lumvox-send >/dev/null
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
build/linux-bench/bench/markup_check_bench "$dir" "$mib"
hyperfine --warmup 2 --runs "$runs" --style basic \
  -n "lumvox-send --check" "build/linux-bench/tools/send/lumvox-send --check --file $dir/markup.txt" \
  -n "xmllint --noout --stream" "xmllint --noout --stream $dir/markup-rooted.xml"
