#!/usr/bin/env bash
# Renders the Options sheet's pages over a sample list under Xvfb and saves
# them as PNG files in docs/images/. Usage: scripts/screenshots.sh
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
wine "$build/tests/manager_screenshots.exe" "$(winepath -w "$root/docs/images")" </dev/null
