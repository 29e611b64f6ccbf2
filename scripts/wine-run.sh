#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest (the build's cross-compiling
# emulator). A program may make Wine start background processes (the
# desktop window's explorer.exe, services); those inherit the program's
# standard output and error, and when that is CTest's pipe, CTest waits for
# them until the test's time-out. The program writes into a file instead,
# which is printed when it ends; its exit code is passed on.
#
# Now and then, in a newly made prefix, Wine's loader fails to start a large
# program at all ("Application could not be started", from its start.exe)
# before any of the program runs: that start, and only that, is tried again.
out=$(mktemp)
for attempt in 1 2 3; do
  wine "$@" >"$out" 2>&1 </dev/null
  status=$?
  grep -q "^Application could not be started" "$out" || break
  [ "$attempt" -lt 3 ] || break
  # Said in the test's output, so that a run shows how often it happens.
  echo "wine-run.sh: Wine could not start $(basename "$1") (attempt $attempt); starting it again"
  sleep 1
done
cat "$out"
rm -f "$out"
exit $status
