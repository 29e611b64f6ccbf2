#!/usr/bin/env bash
# Builds Spamwarden for 64-bit and for 32-bit Outlook and runs the whole test
# suite of each under Wine, in separate build trees with a Wine prefix each:
# build/ (x64) and build-x86/ (x86). Exits non-zero if either fails.
#
#   SW_ARCH=x64|x86     one architecture only
#   SW_BUILD_DIR        the x64 tree; the x86 tree is the same path + "-x86"
#   SW_BUILD_TARGETS    narrows the build while working on one area
#   arguments           go to CTest (scripts/test.sh -R store)
#
# Each run's CTest output is kept in <tree>/ctest.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
x64_build=${SW_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"

if [ -z "${SW_ARCH:-}" ]; then
  # One process per architecture, each ending its own Wine session.
  results=()
  status=0
  for arch in x64 x86; do
    start=$SECONDS
    if SW_ARCH=$arch bash "$0" "$@"; then
      results+=("$arch: passed ($((SECONDS - start)) s)")
    else
      results+=("$arch: FAILED ($((SECONDS - start)) s)")
      status=1
    fi
  done
  echo
  printf '%s\n' "${results[@]}"
  exit $status
fi

case $SW_ARCH in
  x64) toolchain=mingw-w64-x86_64.cmake build=$x64_build ;;
  x86) toolchain=mingw-w64-i686.cmake build=$x64_build-x86 ;;
  *) echo "SW_ARCH must be x64 or x86, not $SW_ARCH" >&2; exit 2 ;;
esac

echo "== $SW_ARCH: building in $build"
# Signing is on only when this run gives a certificate (SW_SIGN_PFX or a
# token), whatever the tree was configured with before.
. "$root/scripts/sign-options.sh"
cmake -G Ninja -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
  "${sign_options[@]}" >/dev/null
# The whole run also builds the benchmarks and the screenshot tool, which no
# test runs, so that neither falls behind the code it calls.
cmake --build "$build" --target ${SW_BUILD_TARGETS:-all spamwarden_bench manager_screenshots}
if [ ! -f "$build/wineprefix/.spamwarden-ready" ]; then
  cmake --build "$build" --target wineprefix
fi

. "$root/scripts/wine-session.sh"
cd "$build"
echo "== $SW_ARCH: running the tests"
ctest --output-on-failure "$@" 2>&1 | tee "$build/ctest.log"
