#!/usr/bin/env bash
# lumvox-send's output that can't be written (a full disk, a closed descriptor)
# ends it with exit code 8 and the reason on standard error, whatever it was doing.
set -u
send="$1"
failed=0
check() {  # NAME EXPECTED-CODE ERROR-PART, then the command's own code in $rc and its stderr in $err
  if [ "$rc" -ne "$2" ] || [[ "$err" != *"$3"* ]]; then
    echo "FAIL: $1: exit $rc (wanted $2), stderr: $err" >&2
    failed=1
  fi
}
cases=(
  "--version"
  "--help"
  "--version --bogus"
  "--net 127.0.0.1 --dry-run --json hi"
  "--net 127.0.0.1:0 --dry-run --json hi"
  "--check <emph>x"
)
for args in "${cases[@]}"; do
  # shellcheck disable=SC2086
  err="$("$send" $args 2>&1 >/dev/full)"; rc=$?
  check "$args >/dev/full" 8 "standard output could not be written: No space left on device"
  # shellcheck disable=SC2086
  err="$("$send" $args 2>&1 >&-)"; rc=$?
  check "$args >&-" 8 "standard output could not be written: Bad file descriptor"
done
# Only standard error fails: nothing can be said, the code still tells.
"$send" --net 127.0.0.1:0 x 2>/dev/full; rc=$?; err=""
check "refused 2>/dev/full" 8 ""
exit "$failed"
