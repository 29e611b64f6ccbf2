#!/usr/bin/env bash
# Builds Spamwarden's benchmarks (optimised) and runs them under Wine; prints
# one table per section. Arguments choose sections: startup, commands,
# options, reapply, tidy, import, earlier, history, recording, newmail (all
# when none). The figures are wall-clock times on this machine: run it when
# nothing else keeps the processors busy.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SW_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
cmake -G Ninja -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
# The project builds Release unless the tree was configured otherwise.
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
type=${type:-Release}
[ "$type" = Release ] || echo "warning: $build is a $type build: the figures are not" \
  "those of the product" >&2
echo "Building the benchmarks..."
cmake --build "$build" --target spamwarden_bench wineprefix >/dev/null

. "$root/scripts/wine-session.sh"
echo "Spamwarden benchmarks ($type build), $(date -u '+%Y-%m-%d %H:%M UTC')," \
  "$(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg)"
# Windows programs end their lines with CRLF.
wine "$build/bench/spamwarden_bench.exe" "$@" | tr -d '\r'
