#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest (the build's cross-compiling
# emulator). A program may make Wine start background processes (the
# desktop window's explorer.exe, services); those inherit the program's
# standard output and error, and when that is CTest's pipe, CTest waits for
# them until the test's time-out. The program writes into a file instead,
# which is printed when it ends; its exit code is passed on.
out=$(mktemp)
wine "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit $status
