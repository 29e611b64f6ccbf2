#!/usr/bin/env bash
# Builds Spamwarden and runs the whole test suite under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SW_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
cmake -G Ninja -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
# SW_BUILD_TARGETS narrows the build while working on one area.
cmake --build "$build" ${SW_BUILD_TARGETS:+--target $SW_BUILD_TARGETS}

. "$root/scripts/wine-session.sh"
cd "$build"
ctest --output-on-failure "$@"
