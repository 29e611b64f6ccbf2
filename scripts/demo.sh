#!/usr/bin/env bash
# Builds Spamwarden, registers it in a private Wine prefix with regsvr32 and
# runs it in the simulated Outlook on a sample mailbox.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SW_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
cmake -G Ninja -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
echo "Building Spamwarden.dll and the simulated Outlook..."
cmake --build "$build" --target spamwarden_dll spamwarden_demo wineprefix >/dev/null

. "$root/scripts/wine-session.sh"
dll=$(winepath -w "$build/host/Spamwarden.dll")
wine regsvr32 /s "$dll"
echo "Registered $dll with regsvr32."
echo
wine "$build/sim/demo/spamwarden_demo.exe"
