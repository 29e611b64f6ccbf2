#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the demo and the
# packages need; does nothing when they are all present. Runs as root on
# Debian 12.
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  libwine-dev wine wine64 wine32:i386
  xvfb libxml2-utils python3 clang-format
  wixl msitools
  fp-utils libchm-bin
  osslsigncode openssl uuid-runtime
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# 32-bit Wine runs the 32-bit build: its packages come from the i386 archive.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -qq
# With recommends: Wine's fonts and X11 libraries are among them.
apt-get install -y -qq "${missing[@]}" >/dev/null
