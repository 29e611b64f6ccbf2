#!/usr/bin/env bash
# Builds Spamwarden, registers it in a private Wine prefix with regsvr32 and
# runs it in the simulated Outlook on a sample mailbox; then builds the
# Windows Installer packages for 64-bit and 32-bit Outlook into dist/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SW_BUILD_DIR:-$root/build}
build_x86=$build-x86

"$root/scripts/install-deps.sh"
cmake -G Ninja -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
echo "Building Spamwarden.dll and the simulated Outlook..."
cmake --build "$build" --target spamwarden_dll spamwarden_demo wineprefix >/dev/null

(
  . "$root/scripts/wine-session.sh"
  dll=$(winepath -w "$build/addin/Spamwarden.dll")
  wine regsvr32 /s "$dll"
  echo "Registered $dll with regsvr32."
  echo
  wine "$build/sim/demo/spamwarden_demo.exe"
)

echo
echo "Building the installer packages (64-bit and 32-bit)..."
cmake --build "$build" --target spamwarden_msi >/dev/null
cmake -G Ninja -S "$root" -B "$build_x86" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" >/dev/null
cmake --build "$build_x86" --target spamwarden_msi >/dev/null
mkdir -p "$root/dist"
for package in "$build"/dist/*.msi "$build_x86"/dist/*.msi; do
  cp "$package" "$root/dist/"
done
echo "Packages (install with: msiexec /i <package>):"
for package in "$root"/dist/Spamwarden-*-x64.msi; do echo "  $package   for 64-bit Outlook"; done
for package in "$root"/dist/Spamwarden-*-x86.msi; do echo "  $package   for 32-bit Outlook"; done
