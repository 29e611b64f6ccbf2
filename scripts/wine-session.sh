# Sourced by the scripts that run Windows programs: starts Xvfb and a
# persistent wineserver for the build tree's prefix, and ends both on exit.
# Expects $build to name the build tree.
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

sw_xvfb_pid=
sw_end_session() {
  wineserver -k 2>/dev/null || true
  [ -n "$sw_xvfb_pid" ] && kill "$sw_xvfb_pid" 2>/dev/null || true
}
trap sw_end_session EXIT

# A display of our own: dialogs need one, and Wine's desktop process picks it
# up when the server starts.
sw_displayfile=$(mktemp)
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$sw_displayfile" 2>/dev/null &
sw_xvfb_pid=$!
for _ in $(seq 100); do [ -s "$sw_displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$sw_displayfile")"
rm -f "$sw_displayfile"

# Persistent server before any test runs, so that Wine's helper processes do
# not hold CTest's output pipes; then one start to warm it up.
wineserver -k 2>/dev/null || true
wineserver -p
wine wineboot </dev/null >/dev/null 2>&1 || true
