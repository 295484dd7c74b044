# Sourced by the start-up benchmarks (after tests/e2e/lib.sh): builds the two baselines
# from empty_window_win.cpp into $E2E_TMP, an empty Win32 window ($EMPTY) and the same
# window loading the workshop's manifest and DLLs ($LOADED), and sets $APP and
# $E2E_DRIVER from $BUILD.
APP="$BUILD/src/app/LumvoxWorkshop.exe"
E2E_DRIVER="$BUILD/tests/e2e/lumvox_e2e_driver.exe"
[ -f "$APP" ] && [ -f "$E2E_DRIVER" ] || { echo "build the windows preset first" >&2; exit 1; }
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
