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

# The builds' whole output goes to one log; the screen shows a line of
# progress (ninja's own "[n/m]" status) and, when a build fails, the log's
# last lines and where the log is.
build_log="$build/demo-build.log"
mkdir -p "$build"
: >"$build_log"
compiled=0
run_build() {
  local start status
  start=$(($(wc -l <"$build_log") + 1))
  echo "\$ $*" >>"$build_log"
  set +e
  if [ -t 1 ]; then
    "$@" 2>&1 | tee -a "$build_log" | while IFS= read -r line; do
      case $line in \[*/*\]*) printf '\r\033[K   %.72s' "$line" ;; esac
    done
    status=${PIPESTATUS[0]}
    printf '\r\033[K'
  else
    "$@" >>"$build_log" 2>&1
    status=$?
  fi
  set -e
  compiled=$(tail -n +"$start" "$build_log" | grep -c '^\[[0-9]*/[0-9]*\] Building ' || true)
  if [ "$status" -ne 0 ]; then
    echo "   FAILED. The last lines of the build's output:" >&2
    tail -n 25 "$build_log" | sed 's/^/   | /' >&2
    echo "   The whole output is in $build_log" >&2
    exit "$status"
  fi
}
# Says how much a build step compiled: nothing, on a run after the first.
report_compiled() {
  if [ "$compiled" -eq 0 ]; then
    echo "   Nothing to compile: the build is up to date."
  else
    echo "   Compiled $compiled files."
  fi
}

# Signing is on only when this run gives a certificate or a token.
. "$root/scripts/sign-options.sh"

begin_step "Checking the build tools (installs what is missing)"
"$root/scripts/install-deps.sh"
begin_step "Configuring the 64-bit build"
run_build cmake -G Ninja -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" "${sign_options[@]}"
begin_step "Building Spamwarden.dll and the simulated Outlook for 64-bit Outlook"
run_build cmake --build "$build" --target spamwarden_dll spamwarden_demo
report_compiled
if [ ! -f "$build/wineprefix/.spamwarden-ready" ]; then
  begin_step "Creating the Wine prefix (first run only)"
fi
run_build cmake --build "$build" --target wineprefix

begin_step "Running Spamwarden in the simulated Outlook"
(
  . "$root/scripts/wine-session.sh"
  dll=$(winepath -w "$build/dll/Spamwarden.dll")
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
run_build cmake --build "$build" --target spamwarden_msi spamwarden_user_msi
if [ -f "$build_x86/build.ninja" ]; then
  begin_step "Configuring and building the installer packages for 32-bit Outlook"
else
  begin_step "Configuring and building the installer packages for 32-bit Outlook (compiles the add-in for 32-bit)"
fi
run_build cmake -G Ninja -S "$root" -B "$build_x86" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" "${sign_options[@]}"
run_build cmake --build "$build_x86" --target spamwarden_msi spamwarden_user_msi
report_compiled
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
