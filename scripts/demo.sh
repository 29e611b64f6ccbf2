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

echo "Spamwarden demo. A first run takes roughly 10 minutes on a two-processor"
echo "machine, most of it compiling the add-in twice (for 64-bit and for 32-bit"
echo "Outlook) and creating a Wine prefix; later runs take under a minute."
echo

# Each step says what it does as it starts and how long it took when done.
step_title=""
step_start=0
begin_step() {
  end_step
  step_title=$1
  step_start=$SECONDS
  echo "== $(date +%H:%M:%S) $step_title..."
}
end_step() {
  if [ -n "$step_title" ]; then
    local took=$((SECONDS - step_start))
    echo "   done in $((took / 60)) min $((took % 60)) s"
  fi
  step_title=""
}

# A certificate given now must reach trees configured earlier too; the
# token's key, certificate and time-stamp server matter only when signing, and
# are given only then, so that CMake has no unused variable to warn of.
sign_options=("-DSW_SIGN_PFX=${SW_SIGN_PFX:-}" "-DSW_SIGN_PKCS11_MODULE=${SW_SIGN_PKCS11_MODULE:-}")
if [ -n "${SW_SIGN_PFX:-}${SW_SIGN_PKCS11_MODULE:-}" ]; then
  for var in SW_SIGN_PKCS11_KEY SW_SIGN_CERT SW_SIGN_TIMESTAMP_URL; do
    sign_options+=("-D$var=${!var:-}")
  done
fi

begin_step "Checking the build tools (installs what is missing)"
"$root/scripts/install-deps.sh"
begin_step "Configuring the 64-bit build"
cmake -G Ninja -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" "${sign_options[@]}" >/dev/null
begin_step "Building Spamwarden.dll and the simulated Outlook for 64-bit Outlook"
cmake --build "$build" --target spamwarden_dll spamwarden_demo >/dev/null
if [ ! -f "$build/wineprefix/.spamwarden-ready" ]; then
  begin_step "Creating the Wine prefix (first run only)"
fi
cmake --build "$build" --target wineprefix >/dev/null

begin_step "Running Spamwarden in the simulated Outlook"
(
  . "$root/scripts/wine-session.sh"
  dll=$(winepath -w "$build/addin/Spamwarden.dll")
  wine regsvr32 /s "$dll"
  echo "Registered $dll with regsvr32."
  echo
  wine "$build/sim/demo/spamwarden_demo.exe"
)
echo

begin_step "Building the installer packages for 64-bit Outlook (all users, one user)"
if [ -n "${SW_SIGN_PFX:-}${SW_SIGN_PKCS11_MODULE:-}" ]; then
  echo "   Signing Spamwarden.dll and the packages with the given certificate."
else
  echo "   No certificate given (SW_SIGN_PFX): the DLLs and packages are NOT signed."
fi
cmake --build "$build" --target spamwarden_msi spamwarden_user_msi >/dev/null
begin_step "Configuring and building the installer packages for 32-bit Outlook (compiles the add-in again)"
cmake -G Ninja -S "$root" -B "$build_x86" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" "${sign_options[@]}" >/dev/null
cmake --build "$build_x86" --target spamwarden_msi spamwarden_user_msi >/dev/null
begin_step "Copying the packages, debug information and policy templates into dist/"
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
end_step
echo "Demo finished in $((SECONDS / 60)) min $((SECONDS % 60)) s."
echo
echo "Packages (install with: msiexec /i <package>):"
for package in "$root"/dist/Spamwarden-*-x64.msi; do echo "  $package   for 64-bit Outlook, all users"; done
for package in "$root"/dist/Spamwarden-*-x86.msi; do echo "  $package   for 32-bit Outlook, all users"; done
for package in "$root"/dist/Spamwarden-*-x64-user.msi; do echo "  $package   for 64-bit Outlook, this user only"; done
for package in "$root"/dist/Spamwarden-*-x86-user.msi; do echo "  $package   for 32-bit Outlook, this user only"; done
echo "Debug information: $root/dist/debug/"
echo "Group Policy templates: $root/dist/policy/"
