#!/usr/bin/env bash
# Prints how long SendToSpeechApp holds the calling thread when the "Lumvox"
# window's thread is blocked or hung, beside an answering receiver, under Wine.
#   bash bench/send_hung_receiver.sh [build-dir]     (default build/windows)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build="${1:-build/windows}"
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target send_hung_receiver_bench >/dev/null
cmake/wine-run.sh "$build/tests/win/send_hung_receiver_bench.exe"
