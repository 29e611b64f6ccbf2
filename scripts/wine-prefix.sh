#!/usr/bin/env bash
# Creates the private Wine prefix once and registers the simulated host
# environment in it.
# Usage: wine-prefix.sh PREFIX SIMMAPI_DLL TYPELIB_INSTALLER TYPELIB...
set -euo pipefail
prefix=$1
simmapi=$2
typelib_installer=$3
shift 3
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  wine wineboot -i >/dev/null 2>&1
  wineserver -w
fi

# Xvfb has no window manager: unmanaged windows close at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
# The simulated MAPI provider, registered as the default mail client so that
# Wine's mapi32 forwards MAPIAdminProfiles to it. The 64-bit view: `reg` itself
# may run as a 32-bit program.
client='Spamwarden Simulated MAPI'
wine reg add 'HKLM\Software\Clients\Mail' /ve /d "$client" /f /reg:64 >/dev/null
wine reg add "HKLM\\Software\\Clients\\Mail\\$client" /v DLLPathEx /d "$(winepath -w "$simmapi")" /f /reg:64 >/dev/null
# The Office type libraries an Office installation would have registered.
typelibs=()
for tlb in "$@"; do typelibs+=("$(winepath -w "$tlb")"); done
wine "$typelib_installer" "${typelibs[@]}"
wineserver -w
touch "$prefix/.spamwarden-ready"
