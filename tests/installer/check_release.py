#!/usr/bin/env python3
"""Checks what a release ships, as an administrator's audit would.

    check_release.py ARCH DLL DEBUG_FILE DLL_VERSION MACHINE_MSI USER_MSI

The DLL (PE headers, sections, version resource):
  - ASLR (dynamic base, with relocations), NX, and high-entropy ASLR on x64;
  - stripped: no symbol table, no .debug sections; a .gnu_debuglink naming
    DEBUG_FILE with its CRC;
  - LegalCopyright in the version resource, with its year or years.
The debug file: DWARF (.debug_info) and the stack protector and checked
(_FORTIFY_SOURCE) functions among its symbols.
The packages (read with msiinfo): the File table carries DLL_VERSION for
Spamwarden.dll and holds no debug file; Add/Remove Programs gets a contact,
a help link, an about link, an icon and the install location; the user's
package writes nothing outside HKCU, the machine's nothing under it.
Every missing item is reported; the exit code is 1 if any is.
"""
import os
import re
import struct
import subprocess
import sys
import zlib

IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA = 0x0020
IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE = 0x0040
IMAGE_DLLCHARACTERISTICS_NX_COMPAT = 0x0100
DIRECTORY_BASERELOC = 5


class Pe:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError(f"{path}: not a PE file")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path}: no PE signature")
        (self.machine, sections, _, self.symbol_table, self.symbol_count, optional_size,
         _) = struct.unpack_from("<HHIIIHH", d, pe + 4)
        opt = pe + 24
        magic = struct.unpack_from("<H", d, opt)[0]
        self.pe32plus = magic == 0x20B
        self.dll_characteristics = struct.unpack_from("<H", d, opt + 70)[0]
        directories = opt + (112 if self.pe32plus else 96)
        self.directories = [struct.unpack_from("<II", d, directories + 8 * i) for i in range(16)]
        strings = self.symbol_table + 18 * self.symbol_count
        self.sections = {}
        for i in range(sections):
            at = opt + optional_size + 40 * i
            raw_name = d[at:at + 8].rstrip(b"\0").decode("ascii", "replace")
            if raw_name.startswith("/") and self.symbol_table:
                offset = strings + int(raw_name[1:])
                raw_name = d[offset:d.index(b"\0", offset)].decode("ascii", "replace")
            vsize, vaddr, raw_size, raw_pointer = struct.unpack_from("<IIII", d, at + 8)
            self.sections[raw_name] = (raw_pointer, raw_size, vsize)

    def section(self, name):
        pointer, size, vsize = self.sections[name]
        return self.data[pointer:pointer + min(size, vsize or size)]

    def symbols(self):
        names = set()
        strings = self.symbol_table + 18 * self.symbol_count
        i = 0
        while i < self.symbol_count:
            at = self.symbol_table + 18 * i
            short = self.data[at:at + 8]
            if short[:4] == b"\0\0\0\0":
                offset = strings + struct.unpack_from("<I", short, 4)[0]
                name = self.data[offset:self.data.index(b"\0", offset)]
            else:
                name = short.rstrip(b"\0")
            names.add(name.decode("ascii", "replace"))
            i += 1 + self.data[at + 17]
        return names


def version_string(pe, key):
    """A value of the version resource's string table, found by its UTF-16
    key (the value follows, aligned to 4 bytes)."""
    data = pe.section(".rsrc")
    needle = (key + "\0").encode("utf-16-le")
    at = data.find(needle)
    if at < 0:
        return None
    at += len(needle)
    at += (-at) % 4
    end = at
    while end + 1 < len(data) and data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")


def msi_table(msi, table):
    out = subprocess.run(["msiinfo", "export", msi, table], capture_output=True, text=True)
    if out.returncode != 0:
        return []
    return [line.rstrip("\r").split("\t") for line in out.stdout.splitlines()[3:]]


def check_dll(arch, dll, debug_file, found):
    pe = Pe(dll)
    flags = pe.dll_characteristics
    if not flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE:
        found.append("DLL: no ASLR (dynamic base)")
    if pe.directories[DIRECTORY_BASERELOC][1] == 0:
        found.append("DLL: no relocations, so ASLR cannot move it")
    if not flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT:
        found.append("DLL: not NX compatible")
    if arch == "x64" and not flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA:
        found.append("DLL: no high-entropy ASLR")
    if pe.symbol_count:
        found.append(f"DLL: not stripped ({pe.symbol_count} symbols)")
    debug_sections = [name for name in pe.sections if name.startswith((".debug", "/"))]
    if debug_sections:
        found.append(f"DLL: debug sections {debug_sections}")
    if ".gnu_debuglink" not in pe.sections:
        found.append("DLL: no .gnu_debuglink to its debug file")
    else:
        link = pe.section(".gnu_debuglink")
        name = link[:link.index(b"\0")].decode()
        crc_at = (len(name) + 1 + 3) & ~3
        crc = struct.unpack_from("<I", link, crc_at)[0]
        if name != os.path.basename(debug_file):
            found.append(f"DLL: links to {name}, not {os.path.basename(debug_file)}")
        elif os.path.exists(debug_file):
            with open(debug_file, "rb") as f:
                if zlib.crc32(f.read()) != crc:
                    found.append("DLL: the debug file's CRC is not the one linked")
    copyright_text = version_string(pe, "LegalCopyright")
    if not copyright_text or "Tallpine" not in copyright_text:
        found.append(f"DLL: no LegalCopyright in the version resource ({copyright_text!r})")
    elif not re.search(r"\b20\d\d(-20\d\d)? Tallpine\b", copyright_text):
        found.append(f"DLL: LegalCopyright has no year before the maker ({copyright_text!r})")

    if not os.path.exists(debug_file):
        found.append(f"no debug file {debug_file}")
        return
    debug = Pe(debug_file)
    if ".debug_info" not in debug.sections:
        found.append("debug file: no .debug_info")
    symbols = debug.symbols()
    prefix = "" if arch == "x64" else "_"
    for symbol in ("__stack_chk_fail", "__stack_chk_guard"):
        if prefix + symbol not in symbols:
            found.append(f"debug file: no {symbol}: built without the stack protector")
    # __memcpy_chk and its kind are linked only when fortified code calls them.
    if not any(s.endswith("_chk") and s.lstrip("_") != "chk_fail" for s in symbols):
        found.append("debug file: no checked (_chk) functions: built without _FORTIFY_SOURCE")


def check_msi(msi, scope, dll_version, found):
    name = os.path.basename(msi)
    files = {row[0]: row for row in msi_table(msi, "File") if row}
    if not files:
        found.append(f"{name}: no File table")
        return
    dll = files.get("AddinDll")
    if not dll or dll[4] != dll_version:
        found.append(f"{name}: File table version of Spamwarden.dll is "
                     f"{dll[4] if dll else None!r}, not {dll_version}")
    if any(row[2].lower().endswith((".debug", ".pdb")) for row in files.values()):
        found.append(f"{name}: ships debug information")
    properties = {row[0]: row[1] for row in msi_table(msi, "Property") if len(row) > 1}
    for prop in ("ARPCONTACT", "ARPHELPLINK", "ARPURLINFOABOUT", "ARPPRODUCTICON"):
        if not properties.get(prop):
            found.append(f"{name}: no {prop} for Add/Remove Programs")
    icons = [row[0] for row in msi_table(msi, "Icon") if row]
    if properties.get("ARPPRODUCTICON") not in icons:
        found.append(f"{name}: the product icon is not in the Icon table")
    actions = {row[0]: row for row in msi_table(msi, "CustomAction") if row}
    sets_location = [a for a, row in actions.items()
                     if len(row) > 3 and row[2] == "ARPINSTALLLOCATION" and row[3] == "[INSTALLDIR]"]
    sequence = {row[0] for row in msi_table(msi, "InstallExecuteSequence") if row}
    if not sets_location or not sequence & set(sets_location):
        found.append(f"{name}: ARPINSTALLLOCATION is not set to the install folder")
    # Windows Installer writes a component's registry values and files in the
    # view of the component's bitness (64-bit: attribute 256).
    arch = "x64" if "x64" in name else "x86"
    for row in msi_table(msi, "Component"):
        if len(row) > 3 and row[3].isdigit() and bool(int(row[3]) & 256) != (arch == "x64"):
            found.append(f"{name}: component {row[0]} is not of the package's bitness")
    roots = {row[1] for row in msi_table(msi, "Registry") if len(row) > 1}
    if scope == "user":
        if roots != {"1"}:
            found.append(f"{name}: writes outside HKCU (roots {sorted(roots)})")
        if "ALLUSERS" in properties:
            found.append(f"{name}: sets ALLUSERS={properties['ALLUSERS']}")
    elif "1" in roots:
        found.append(f"{name}: writes under HKCU")


def main(argv):
    if len(argv) != 7:
        print(__doc__)
        return 2
    arch, dll, debug_file, dll_version, machine_msi, user_msi = argv[1:]
    found = []
    check_dll(arch, dll, debug_file, found)
    check_msi(machine_msi, "machine", dll_version, found)
    check_msi(user_msi, "user", dll_version, found)
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
