#!/usr/bin/env python3
"""Checks the GUIDs written in the project's files against docs/guids.txt.

    check_guids.py [ROOT] [--wixl WIXL]   check the tree at ROOT (default: the project)
    check_guids.py --self-test [--wixl WIXL]
                                          check that the checker catches what it should

Fails, naming file and line, on
  - a GUID that docs/guids.txt does not list (made up by hand, or copied);
  - one of ours written in a file other than the one the list names;
  - one of ours that is not a random (version 4) GUID, or that shares its
    last 12 digits with another of ours (ids made by counting);
  - one of ours that no longer appears in its file.
GUIDs are found as text (6E1C3A51-8F0B-...) and as C++ initialisers
({0x..., 0x..., 0x..., {0x.., ...}}). Build trees (folders that hold a
CMakeCache.txt) and .git are skipped.

With WIXL, installer/spamwarden.wxs is preprocessed for each of the four
packages (Arch x64|x86, Scope machine|user) and fails on
  - a component without a fixed GUID (none, or "*", which wixl derives from
    the component's path: the same for a 32-bit and a 64-bit package);
  - a component GUID that another component has, in the same package or in
    another one (a 32-bit and a 64-bit component, or one installed for all
    users and one for one user, are never the same component);
  - a component GUID that docs/guids.txt does not list as ours.
"""
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

TEXT = re.compile(r"(?<![0-9A-Fa-f-])([0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-"
                  r"[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12})(?![0-9A-Fa-f-])")
BYTE = r"0x([0-9A-Fa-f]{1,2})"
STRUCT = re.compile(r"0x([0-9A-Fa-f]{1,8})\s*,\s*0x([0-9A-Fa-f]{1,4})\s*,\s*0x([0-9A-Fa-f]{1,4})"
                    r"\s*,\s*\{\s*" + r"\s*,\s*".join([BYTE] * 8) + r"\s*\}")
RANDOM = re.compile(r"^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$")
LIST = "docs/guids.txt"
SELF = "tests/installer/check_guids.py"  # its self-test writes made-up ids
SKIPPED_SUFFIXES = (".png", ".bmp", ".ico", ".chm", ".msi", ".dll", ".exe", ".tlb", ".o", ".a")
WXS = "installer/spamwarden.wxs"
PACKAGES = [(arch, scope) for arch in ("x64", "x86") for scope in ("machine", "user")]


def read_list(root):
    ours, microsoft, problems = {}, set(), []
    with open(os.path.join(root, LIST), encoding="utf-8") as listing:
        for number, line in enumerate(listing, 1):
            fields = line.split()
            if not fields or fields[0].startswith("#"):
                continue
            if len(fields) < 3 or fields[0] not in ("ours", "microsoft") or not TEXT.fullmatch(fields[1]):
                problems.append(f"{LIST}:{number}: not 'ours|microsoft GUID file-or-owner what'")
                continue
            guid = fields[1].upper()
            if fields[0] == "ours":
                ours[guid] = fields[2]
            else:
                microsoft.add(guid)
    return ours, microsoft, problems


def struct_text(match):
    parts = [int(group, 16) for group in match.groups()]
    return "%08X-%04X-%04X-%02X%02X-%s" % (parts[0], parts[1], parts[2], parts[3], parts[4],
                                           "".join("%02X" % b for b in parts[5:]))


def files(root):
    for directory, dirs, names in os.walk(root):
        if directory != root and "CMakeCache.txt" in names:
            dirs[:] = []
            continue
        dirs[:] = sorted(d for d in dirs if d != ".git" and not d.startswith("build"))
        for name in sorted(names):
            if not name.lower().endswith(SKIPPED_SUFFIXES):
                yield os.path.join(directory, name)


def problems(root):
    ours, microsoft, found = read_list(root)
    seen = {guid: False for guid in ours}
    for path in files(root):
        relative = os.path.relpath(path, root).replace(os.sep, "/")
        if relative in (LIST, SELF):
            continue
        try:
            with open(path, encoding="utf-8") as source:
                lines = source.readlines()
        except (UnicodeDecodeError, OSError):
            continue
        for number, line in enumerate(lines, 1):
            guids = [m.group(1).upper() for m in TEXT.finditer(line)]
            guids += [struct_text(m) for m in STRUCT.finditer(line)]
            for guid in guids:
                where = f"{relative}:{number}: {guid}"
                if guid in microsoft:
                    continue
                if guid not in ours:
                    found.append(f"{where} is not listed in {LIST} (generate ids with uuidgen -r)")
                elif relative != ours[guid] and not relative.endswith(".md"):
                    found.append(f"{where} is defined in {ours[guid]}: take it from there")
                else:
                    seen[guid] = seen[guid] or relative == ours[guid]
    tails = {}
    for guid, home in sorted(ours.items()):
        if not RANDOM.match(guid):
            found.append(f"{LIST}: {guid} is not a random GUID (uuidgen -r makes one)")
        if guid[-12:] in tails:
            found.append(f"{LIST}: {guid} and {tails[guid[-12:]]} share their last 12 digits")
        tails[guid[-12:]] = guid
        if not seen[guid]:
            found.append(f"{LIST}: {guid} does not appear in {home}")
    return found


def package_components(root, wixl, arch, scope):
    """(id, guid) of every component of the package, as wixl preprocesses it."""
    wxs = os.path.join(root, WXS)
    with open(wxs, encoding="utf-8") as source:
        text = source.read()
    defined = set(re.findall(r"<\?define\s+(\w+)", text))
    # Variables the build passes: Arch and Scope decide; the rest only fill in.
    given = {name: "0" for name in set(re.findall(r"\$\(var\.(\w+)\)", text)) - defined}
    given.update(Arch=arch, Scope=scope)
    command = [wixl, "-E", "-a", arch] + [item for name, value in sorted(given.items()) for item in ("-D", f"{name}={value}")]
    result = subprocess.run(command + [wxs], capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError(f"wixl -E {arch} {scope}: {result.stderr.strip()}")
    tree = ElementTree.fromstring(result.stdout)
    return [(c.get("Id"), c.get("Guid")) for c in tree.iter() if c.tag.endswith("}Component")]


def package_problems(root, wixl):
    ours, _, found = read_list(root)
    owners = {}
    for arch, scope in PACKAGES:
        package = f"{arch} {scope}"
        try:
            components = package_components(root, wixl, arch, scope)
        except (RuntimeError, ElementTree.ParseError) as error:
            found.append(f"{WXS}: {error}")
            continue
        if not components:
            found.append(f"{WXS}: the {package} package has no components")
        for component, guid in components:
            where = f"{WXS}: {package} package, component {component}"
            if not guid or guid.strip("{}") == "*" or not TEXT.fullmatch(guid.strip("{}")):
                found.append(f"{where} has no fixed GUID ({guid!r}): give it one from uuidgen -r")
                continue
            guid = guid.strip("{}").upper()
            if guid not in ours:
                found.append(f"{where}: {guid} is not listed as ours in {LIST}")
            if guid in owners:
                found.append(f"{where} has the GUID {guid} of the {owners[guid]}")
            else:
                owners[guid] = f"{package} package's component {component}"
    return found


def self_test(wixl):
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "docs"))
        os.makedirs(os.path.join(root, "addin"))
        os.makedirs(os.path.join(root, "build-x", "gen"))
        with open(os.path.join(root, LIST), "w") as listing:
            listing.write("ours 375B30B2-B079-4642-95B6-EA884D139386 addin/a.idl x\n"
                          "ours 6E1C3A51-8F0B-4D2E-9A51-2B7C4D8E9F10 addin/a.idl x\n"
                          "ours 6E1C3A52-8F0B-4D2E-9A51-2B7C4D8E9F10 addin/a.idl x\n"
                          "ours 11111111-2222-3333-4444-555555555555 addin/a.idl x\n"
                          "ours 5E40FCF1-602B-4D98-AA65-7C8DB950F630 addin/gone.wxs x\n"
                          "microsoft 00020424-0000-0000-C000-000000000046 Windows x\n")
        with open(os.path.join(root, "addin", "a.idl"), "w") as idl:
            idl.write("uuid(375b30b2-b079-4642-95b6-ea884d139386)\n"
                      "uuid(6E1C3A51-8F0B-4D2E-9A51-2B7C4D8E9F10) uuid(6E1C3A52-8F0B-4D2E-9A51-2B7C4D8E9F10)\n"
                      "uuid(11111111-2222-3333-4444-555555555555)\n")
        with open(os.path.join(root, "addin", "b.cpp"), "w") as cpp:
            cpp.write("// {00020424-0000-0000-C000-000000000046}\n"
                      "IID x = {0x375B30B2, 0xB079, 0x4642, {0x95, 0xB6, 0xEA, 0x88, 0x4D, 0x13, 0x93, 0x86}};\n"
                      "IID y = {0x12345678, 0x1234, 0x1234, {0x12, 0x34, 0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc}};\n")
        with open(os.path.join(root, "build-x", "CMakeCache.txt"), "w"):
            pass
        with open(os.path.join(root, "build-x", "gen", "c.h"), "w") as generated:
            generated.write("DEADBEEF-0000-0000-0000-000000000000\n")
        found = "\n".join(problems(root))
        expected = [
            "addin/b.cpp:2: 375B30B2-B079-4642-95B6-EA884D139386 is defined in addin/a.idl",
            "addin/b.cpp:3: 12345678-1234-1234-1234-123456789ABC is not listed",
            "11111111-2222-3333-4444-555555555555 is not a random GUID",
            "6E1C3A52-8F0B-4D2E-9A51-2B7C4D8E9F10 and 6E1C3A51-8F0B-4D2E-9A51-2B7C4D8E9F10 share",
            "5E40FCF1-602B-4D98-AA65-7C8DB950F630 does not appear in addin/gone.wxs",
        ]
        if wixl:
            os.makedirs(os.path.join(root, "installer"))
            with open(os.path.join(root, WXS), "w") as wxs:
                wxs.write('<?xml version="1.0" encoding="utf-8"?>\n'
                          '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">\n'
                          '<?if $(var.Arch) = x64 ?>\n'
                          '  <?define SharedGuid = "{375B30B2-B079-4642-95B6-EA884D139386}" ?>\n'
                          '<?else?>\n'
                          '  <?define SharedGuid = "{375b30b2-b079-4642-95b6-ea884d139386}" ?>\n'
                          '<?endif?>\n'
                          '<Product Id="*" Name="$(var.Name)"><Package/>\n'
                          '  <Component Id="Shared" Guid="$(var.SharedGuid)"/>\n'
                          '  <Component Id="Derived" Guid="*"/>\n'
                          '  <Component Id="Unlisted" Guid="{12345678-1234-1234-1234-123456789ABC}"/>\n'
                          '</Product></Wix>\n')
            packages = "\n".join(package_problems(root, wixl))
            found += "\n" + packages
            expected += [
                "x86 machine package, component Shared has the GUID "
                "375B30B2-B079-4642-95B6-EA884D139386 of the x64 machine package's component Shared",
                "x64 user package, component Shared has the GUID",
                "x86 user package, component Derived has no fixed GUID ('*')",
                "x64 machine package, component Unlisted: 12345678-1234-1234-1234-123456789ABC "
                "is not listed as ours",
            ]
            if "x64 machine package, component Shared" in packages:
                print("self-test: wrongly reported: the first component to have a GUID")
                return 1
        missing = [text for text in expected if text not in found]
        unexpected = [line for line in found.splitlines() if "DEADBEEF" in line or "00020424" in line
                      or "a.idl:1" in line]
        for text in missing:
            print(f"self-test: not reported: {text}")
        for line in unexpected:
            print(f"self-test: wrongly reported: {line}")
        return 1 if missing or unexpected else 0


def main(argv):
    args = argv[1:]
    wixl = None
    if "--wixl" in args:
        at = args.index("--wixl")
        wixl = args[at + 1]
        del args[at:at + 2]
    if args == ["--self-test"]:
        return self_test(wixl)
    root = os.path.abspath(args[0] if args else os.path.join(os.path.dirname(__file__), "..", ".."))
    found = problems(root)
    if wixl:
        found += package_problems(root, wixl)
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
