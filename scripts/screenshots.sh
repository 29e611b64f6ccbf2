#!/usr/bin/env bash
# Renders the Options sheet's pages over a sample list under Xvfb and saves
# them as PNG files in docs/images/, and the same at 192 DPI (200 %) in
# docs/images/192dpi/. Usage: scripts/screenshots.sh
# (SW_BUILD_DIR selects the build tree, as for scripts/test.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SW_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
cmake -G Ninja -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" --target manager_screenshots
if [ ! -f "$build/wineprefix/.spamwarden-ready" ]; then
  cmake --build "$build" --target wineprefix
fi

# A prefix made before the fonts were installed in it gets them now.
"$root/scripts/wine-fonts.sh" "$build/wineprefix"
. "$root/scripts/wine-session.sh"
mkdir -p "$root/docs/images"
wine "$build/tools/manager_screenshots.exe" "$(winepath -w "$root/docs/images")" </dev/null

# Wine reads the screen resolution when a program starts. The prefix is set
# back to its default however the run ends: the tests lay their windows out
# at 96 DPI.
mkdir -p "$root/docs/images/192dpi"
desktop='HKCU\Control Panel\Desktop'
trap 'wine reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1 || true; sw_end_session' EXIT
wine reg add "$desktop" /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
wine "$build/tools/manager_screenshots.exe" "$(winepath -w "$root/docs/images/192dpi")" </dev/null
