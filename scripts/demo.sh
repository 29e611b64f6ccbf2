#!/usr/bin/env bash
# Builds Spamwarden, registers it in a private Wine prefix with regsvr32 and
# runs it in the simulated Outlook on a sample mailbox; then builds the
# Windows Installer packages for 64-bit and 32-bit Outlook, for all users and
# for one user, into dist/ (signed only when SW_SIGN_PFX or a token is given;
# see the README), and the DLLs' debug information into dist/debug/.
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
echo "Building the installer packages (64-bit and 32-bit, for all users and for one user)..."
if [ -n "${SW_SIGN_PFX:-}${SW_SIGN_PKCS11_MODULE:-}" ]; then
  echo "Signing Spamwarden.dll and the packages with the given certificate."
else
  echo "No certificate given (SW_SIGN_PFX): the DLLs and packages are NOT signed."
fi
# A certificate given now must reach trees configured earlier too.
sign_options=()
for var in SW_SIGN_PFX SW_SIGN_PKCS11_MODULE SW_SIGN_PKCS11_KEY SW_SIGN_CERT SW_SIGN_TIMESTAMP_URL; do
  sign_options+=("-D$var=${!var:-}")
done
cmake -S "$root" -B "$build" "${sign_options[@]}" >/dev/null
cmake --build "$build" --target spamwarden_msi spamwarden_user_msi >/dev/null
cmake -G Ninja -S "$root" -B "$build_x86" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" "${sign_options[@]}" >/dev/null
cmake --build "$build_x86" --target spamwarden_msi spamwarden_user_msi >/dev/null
mkdir -p "$root/dist" "$root/dist/debug" "$root/dist/policy/en-US"
# The Group Policy templates, for administrators.
cp "$root/installer/policy/spamwarden.admx" "$root/dist/policy/"
cp "$root/installer/policy/en-US/spamwarden.adml" "$root/dist/policy/en-US/"
for package in "$build"/dist/*.msi "$build_x86"/dist/*.msi; do
  cp "$package" "$root/dist/"
done
# The DLLs' debug information, for crash analysis; not part of any package.
for debug in "$build"/dist/*.dll.debug "$build_x86"/dist/*.dll.debug; do
  [ -f "$debug" ] && cp "$debug" "$root/dist/debug/"
done
echo "Packages (install with: msiexec /i <package>):"
for package in "$root"/dist/Spamwarden-*-x64.msi; do echo "  $package   for 64-bit Outlook, all users"; done
for package in "$root"/dist/Spamwarden-*-x86.msi; do echo "  $package   for 32-bit Outlook, all users"; done
for package in "$root"/dist/Spamwarden-*-x64-user.msi; do echo "  $package   for 64-bit Outlook, this user only"; done
for package in "$root"/dist/Spamwarden-*-x86-user.msi; do echo "  $package   for 32-bit Outlook, this user only"; done
echo "Debug information: $root/dist/debug/"
echo "Group Policy templates: $root/dist/policy/"
