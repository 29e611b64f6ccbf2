#!/usr/bin/env python3
"""Checks that every folder includes only the folders below it.

    check_layers.py [ROOT]      check the tree at ROOT (default: the project)
    check_layers.py --self-test check that the checker catches a bad include

Each top-level folder of the product is one layer; ALLOWED names the folders
each one may include besides itself. An include that goes up or sideways is
reported as "file:line: ..." and the check fails. So are three rules the
includes alone don't show: no host version number is compared outside
store/host_capabilities.h; store/ includes nothing that shows a window and
reads no g_host (only state.h and state.cpp, which define it, name it).
addin/ and legacy_ui/ stand side by side: only the module (dll/) takes both.
"""
import os
import re
import sys
import tempfile

PRODUCT = ["platform", "outlook", "store", "commands", "manager", "support", "user_commands",
           "legacy_ui", "addin", "dll"]

ALLOWED = {
    "platform": [],
    "outlook": ["platform"],
    "store": ["platform"],
    "commands": ["store", "outlook", "platform"],
    "manager": ["store", "platform"],
    "support": ["store", "platform"],
    "user_commands": ["commands", "manager", "support", "store", "outlook", "platform"],
    "legacy_ui": ["user_commands", "commands", "manager", "support", "store", "outlook",
                  "platform"],
    "addin": ["user_commands", "commands", "manager", "support", "store", "outlook", "platform"],
    "dll": ["addin", "legacy_ui", "user_commands", "commands", "manager", "support", "store",
            "outlook", "platform"],
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

# The one file that compares the host's version numbers.
CAPABILITIES = "store/host_capabilities.h"
HOST_VERSION = r"(?:\b[A-Za-z_]*[Hh]ost[A-Za-z_]*[Vv]ersion\b|\bmajorVersion\b|\.version\b)"
VERSION_COMPARISON = re.compile(HOST_VERSION + r"\s*(?:==|!=|<=|>=|<(?!<)|>(?!>))|"
                                r"(?:==|!=|<=|>=|<|>)\s*" + HOST_VERSION)
# What shows a window: the store includes none of it.
WINDOW_HEADERS = {"platform/user_message.h", "platform/progress_window.h",
                  "platform/command_progress.h", "platform/dpi.h"}
HOST_STATE = re.compile(r"\bg_host\b")
STATE_FILES = {"store/state.h", "store/state.cpp"}


def rule_violations(relative, number, line):
    """The rules besides the layer order that `line` of `relative` breaks."""
    found = []
    folder = relative.split("/")[0]
    code = line.split("//")[0]
    if folder in PRODUCT and relative != CAPABILITIES and VERSION_COMPARISON.search(code):
        found.append(f"{relative}:{number}: compares a host version: ask HostCapabilities "
                     f"({CAPABILITIES})")
    match = INCLUDE.match(line)
    if folder == "store":
        if match and match.group(1) in WINDOW_HEADERS:
            found.append(f"{relative}:{number}: includes \"{match.group(1)}\": store/ shows no "
                         f"window; answer an Outcome and let the caller show it")
        if relative not in STATE_FILES and HOST_STATE.search(code):
            found.append(f"{relative}:{number}: reads g_host: store/ is handed the MailProfile")
    return found


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
                relative = os.path.relpath(path, root).replace(os.sep, "/")
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        found.extend(rule_violations(relative, number, line))
                        match = INCLUDE.match(line)
                        if not match or "/" not in match.group(1):
                            continue  # a file beside this one
                        target = match.group(1).split("/")[0]
                        if target == folder or target in allowed:
                            continue
                        if target not in ALLOWED:
                            continue  # not one of ours (a generated or system path)
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
        write("legacy_ui/old.cpp", 'if (g_host.hostVersion >= 14)\n  x = y << 2; // hostVersion < 12\n')
        write("store/host_capabilities.h", 'bool ribbon = majorVersion >= 14;\n')
        write("store/shows.cpp", '#include "platform/user_message.h"\nint v = g_host.x;\n')
        write("store/state.cpp", 'HostState g_host;\n')
        write("addin/ribbon.cpp", '#include "user_commands/command_surface.h"\n'
                                  '#include "legacy_ui/legacy_ui.h"\n')
        write("dll/module.cpp", '#include "addin/connect.h"\n#include "legacy_ui/legacy_ui.h"\n')
        found = violations(root)
        expected = [
            'addin/ribbon.cpp:2: includes "legacy_ui/legacy_ui.h": addin/ may include only '
            'user_commands, commands, manager, support, store, outlook, platform',
            'legacy_ui/old.cpp:1: compares a host version: ask HostCapabilities '
            '(store/host_capabilities.h)',
            'manager/side.h:2: includes "support/help_file.h": manager/ may include only '
            'store, platform',
            'store/shows.cpp:1: includes "platform/user_message.h": store/ shows no window; '
            'answer an Outcome and let the caller show it',
            'store/shows.cpp:2: reads g_host: store/ is handed the MailProfile',
            'store/up.cpp:3: includes "addin/connect.h": store/ may include only platform',
        ]
        if found != expected:
            print("self-test failed; found:", *found, sep="\n  ")
            return 1
    print("self-test passed: an upward and a sideways include, a version comparison, a window "
          "and g_host in the store and addin/ taking from legacy_ui/ beside it are reported")
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
