#!/usr/bin/env bash
# Creates the private Wine prefix once and registers the simulated host
# environment in it.
# Usage: wine-prefix.sh PREFIX ARCH SIMMAPI_DLL TYPELIB_INSTALLER TYPELIB...
# ARCH is x64 or x86, the architecture of the build tree's programs.
#
# Both architectures use a 64-bit (win64) prefix: a 32-bit build then runs as
# 32-bit Outlook runs on 64-bit Windows, with the 32-bit registry view
# (Wow6432Node) and "Program Files (x86)", so the tests see the redirections
# that the 32-bit add-in and its package meet on real machines.
set -euo pipefail
prefix=$1
arch=$2
simmapi=$3
typelib_installer=$4
shift 4
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
case $arch in
  x64) view=/reg:64 ;;
  x86) view=/reg:32 ;;
  *) echo "wine-prefix.sh: unknown architecture $arch" >&2; exit 2 ;;
esac

if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  wine wineboot -i >/dev/null 2>&1
  wineserver -w
fi

# Windows draws the caption buttons with the Marlett font; Wine finds it only
# in the prefix's own Fonts folder, else the close button shows an "r".
"$(dirname "$0")/wine-fonts.sh" "$prefix"
# Xvfb has no window manager: unmanaged windows close at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
# The simulated MAPI provider, registered as the default mail client so that
# Wine's mapi32 forwards MAPIAdminProfiles to it; in the registry view of the
# mapi32 that loads it, which is of the build's architecture.
client='Spamwarden Simulated MAPI'
wine reg add 'HKLM\Software\Clients\Mail' /ve /d "$client" /f $view >/dev/null
wine reg add "HKLM\\Software\\Clients\\Mail\\$client" /v DLLPathEx /d "$(winepath -w "$simmapi")" \
  /f $view >/dev/null
# The Office type libraries an Office installation would have registered; the
# installer is of the build's architecture, so they are registered for it.
typelibs=()
for tlb in "$@"; do typelibs+=("$(winepath -w "$tlb")"); done
wine "$typelib_installer" "${typelibs[@]}"
wineserver -w
touch "$prefix/.spamwarden-ready"
