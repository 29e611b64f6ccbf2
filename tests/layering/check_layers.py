#!/usr/bin/env python3
"""Checks that every folder includes only the folders below it.

    check_layers.py [ROOT]      check the tree at ROOT (default: the project)
    check_layers.py --self-test check that the checker catches a bad include

Each top-level folder of the product is one layer; ALLOWED names the folders
each one may include besides itself. An include that goes up or sideways is
reported as "file:line: ..." and the check fails.
"""
import os
import re
import sys
import tempfile

PRODUCT = ["platform", "outlook", "store", "commands", "manager", "support", "legacy_ui", "addin"]

ALLOWED = {
    "platform": [],
    "outlook": ["platform"],
    "store": ["platform"],
    "commands": ["store", "outlook", "platform"],
    "manager": ["store", "platform"],
    "support": ["store", "platform"],
    "legacy_ui": ["commands", "manager", "support", "store", "outlook", "platform"],
    "addin": ["legacy_ui", "commands", "manager", "support", "store", "outlook", "platform"],
    # The simulated host is Outlook's stand-in: it shares only the handle
    # wrappers and Office's interface declarations with the add-in.
    "sim": ["platform", "outlook"],
    # Benchmarks and tests may reach every layer; nothing includes them.
    "bench": PRODUCT + ["sim"],
    "tests": PRODUCT + ["sim"],
    # The documentation's tools drive the sheet with the tests' plumbing.
    "tools": PRODUCT + ["sim", "tests"],
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCES = (".h", ".cpp", ".rc", ".in")


def violations(root):
    found = []
    for folder, allowed in sorted(ALLOWED.items()):
        base = os.path.join(root, folder)
        for directory, dirs, files in os.walk(base):
            dirs.sort()
            for name in sorted(files):
                if not name.endswith(SOURCES):
                    continue
                path = os.path.join(directory, name)
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match or "/" not in match.group(1):
                            continue  # a file beside this one
                        target = match.group(1).split("/")[0]
                        if target == folder or target in allowed:
                            continue
                        if target not in ALLOWED:
                            continue  # not one of ours (a generated or system path)
                        relative = os.path.relpath(path, root)
                        may = ", ".join(allowed) if allowed else "nothing of ours"
                        found.append(f"{relative}:{number}: includes \"{match.group(1)}\": "
                                     f"{folder}/ may include only {may}")
    return found


def self_test():
    with tempfile.TemporaryDirectory() as root:
        def write(path, text):
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as f:
                f.write(text)
        write("store/ok.cpp", '#include "store/ok.h"\n#include "platform/com_ptr.h"\n')
        write("store/up.cpp", '#include "store/up.h"\n\n#include "addin/connect.h"\n')
        write("manager/side.h", '#pragma once\n#include "support/help_file.h"\n')
        write("platform/low.h", '#include <windows.h>\n#include "version.h"\n')
        found = violations(root)
        expected = [
            'manager/side.h:2: includes "support/help_file.h": manager/ may include only '
            'store, platform',
            'store/up.cpp:3: includes "addin/connect.h": store/ may include only platform',
        ]
        if found != expected:
            print("self-test failed; found:", *found, sep="\n  ")
            return 1
    print("self-test passed: an upward and a sideways include are reported")
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
    found = violations(os.path.abspath(root))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) against the layering")
        return 1
    print("every include goes down the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
