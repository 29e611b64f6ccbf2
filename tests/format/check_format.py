#!/usr/bin/env python3
"""Checks that every C++ file of the tree is laid out as .clang-format says.

Usage: check_format.py <clang-format> <source root>
Prints each file that clang-format would change and exits 1 when there is any.
"""
import subprocess
import sys
from pathlib import Path

FOLDERS = ("addin", "bench", "commands", "legacy_ui", "manager", "outlook", "platform", "sim",
           "store", "support", "tests", "tools")


def main():
    clang_format, root = sys.argv[1], Path(sys.argv[2])
    files = sorted(p for folder in FOLDERS for p in (root / folder).rglob("*")
                   if p.suffix in (".cpp", ".h") and p.is_file())
    if not files:
        raise SystemExit("no C++ files found below " + str(root))
    # One run for all files: --dry-run names each change it would make.
    result = subprocess.run([clang_format, "--style=file", "--dry-run", *map(str, files)],
                            capture_output=True, text=True)
    unformatted = sorted({Path(line.split(":", 1)[0]).relative_to(root)
                          for line in result.stderr.splitlines() if ": warning:" in line})
    if result.returncode != 0 and not unformatted:
        raise SystemExit(result.stderr or "clang-format failed")
    for path in unformatted:
        print(f"{path}: not laid out as .clang-format says (clang-format -i {path})")
    print(f"{len(files)} files checked, {len(unformatted)} not formatted")
    return 1 if unformatted else 0


if __name__ == "__main__":
    sys.exit(main())
