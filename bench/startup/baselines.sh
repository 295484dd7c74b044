# Sourced by the start-up and closing benchmarks (after tests/e2e/lib.sh): builds the
# two baselines from empty_window_win.cpp into $E2E_TMP, an empty Win32 window
# ($EMPTY) and the same window loading the workshop's manifest and DLLs ($LOADED);
# sets $APP, $STRUCTURE (the workshop's window structure without its work, built with
# the windows preset) and $E2E_DRIVER from $BUILD; and gives the figures' helpers.
APP="$BUILD/src/app/LumvoxWorkshop.exe"
STRUCTURE="$BUILD/bench/startup/lumvox_startup_structure.exe"
E2E_DRIVER="$BUILD/tests/e2e/lumvox_e2e_driver.exe"
[ -f "$APP" ] && [ -f "$STRUCTURE" ] && [ -f "$E2E_DRIVER" ] || { echo "build the windows preset first" >&2; exit 1; }
EMPTY="$E2E_TMP/empty_window.exe"
LOADED="$E2E_TMP/empty_window_loaded.exe"
CXX_WIN=(x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode -mwindows)
SOURCE="$(dirname "${BASH_SOURCE[0]}")/empty_window_win.cpp"
"${CXX_WIN[@]}" "$SOURCE" -o "$EMPTY" || exit 1
# The same window with the workshop's manifest and DLLs.
printf '#include <winuser.h>\n1 RT_MANIFEST "%s"\n' "$BUILD/generated/LumvoxWorkshop.manifest" >"$E2E_TMP/manifest.rc"
x86_64-w64-mingw32-windres "$E2E_TMP/manifest.rc" -O coff -o "$E2E_TMP/manifest.o" || exit 1
"${CXX_WIN[@]}" -DWITH_WORKSHOP_DLLS "$SOURCE" "$E2E_TMP/manifest.o" -o "$LOADED" \
  -lcomctl32 -luxtheme -lws2_32 -lversion -limm32 || exit 1

# The titles each program has once it is first activated.
TITLE_EMPTY="Empty window activated"
TITLE_STRUCTURE="Structure activated"
TITLE_APP="Lumvox Workshop V2.0.1.10 - "

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# column_median FIELD FILE: the median of one field of the lines in $E2E_TMP/FILE.
column_median() { cut -d' ' -f"$1" "$E2E_TMP/$2" | median; }
ratio() { awk -v a="$1" -v e="$2" 'BEGIN { printf "%.2f", a / e }'; }
# turn_ratios FIELD A B: the ratio A/B of each turn's figures, whose programs ran in
# the same spell of the machine: their median and range.
turn_ratios() {
  local ratios
  ratios="$(paste -d' ' <(cut -d' ' -f"$1" "$E2E_TMP/$2") <(cut -d' ' -f"$1" "$E2E_TMP/$3") |
    awk '{ printf "%.4f\n", $1 / $2 }' | sort -n)"
  printf '%.2f (from %.2f to %.2f)' "$(median <<<"$ratios")" "$(head -1 <<<"$ratios")" "$(tail -1 <<<"$ratios")"
}
