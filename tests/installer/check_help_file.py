#!/usr/bin/env python3
"""Checks a compiled help file against its project: it must be a CHM that
holds every file the project lists (pages, contents, index, images), its
table of contents and index must point at pages it holds, and no page may
link to a file it lacks.

Usage: check_help_file.py Spamwarden.chm Spamwarden.hhp
"""
import configparser
import re
import subprocess
import sys
from pathlib import Path


def project(hhp):
    parser = configparser.ConfigParser(allow_no_value=True, delimiters=("=",))
    parser.optionxform = str
    parser.read_string(hhp.read_text())
    files = [name.replace("\\", "/") for name in parser["FILES"]]
    options = parser["OPTIONS"]
    return options, files


def chm_listing(chm):
    if chm.read_bytes()[:4] != b"ITSF":
        raise SystemExit(f"{chm}: not a compiled HTML help file")
    run = subprocess.run(["enum_chmLib", str(chm)], capture_output=True, text=True, check=True)
    names = set()
    for line in run.stdout.splitlines():
        match = re.match(r"\s*\d+\s+\d+\s+\d+\s+.*?\s(/\S*)$", line)
        if match:
            names.add(match.group(1).lstrip("/"))
    return names


def main():
    chm, hhp = Path(sys.argv[1]), Path(sys.argv[2])
    options, files = project(hhp)
    held = chm_listing(chm)
    errors = []
    for special in ("#SYSTEM", "#TOPICS", "#URLTBL"):
        if special not in held:
            errors.append(f"no {special}: not a usable help file")
    for name in files + [options["Contents file"], options["Index file"]]:
        if name not in held:
            errors.append(f"{name} is missing from the help file")
    if options["Default topic"] not in held:
        errors.append(f"default topic {options['Default topic']} is missing")

    folder = hhp.parent
    for sitemap in (options["Contents file"], options["Index file"]):
        text = (folder / sitemap).read_text()
        entries = re.findall(r'name="Local" value="([^"]+)"', text, re.IGNORECASE)
        if not entries:
            errors.append(f"{sitemap} lists no pages")
        errors += [f"{sitemap} points at {page}, which is not held" for page in entries
                   if page not in held]
    for page in (name for name in files if name.endswith(".html")):
        if not (folder / page).exists():
            errors.append(f"{page} is listed but not in the project")
            continue
        text = (folder / page).read_text()
        for target in re.findall(r'(?:href|src)="([^"#:]+)', text):
            if target not in held:
                errors.append(f"{page} links to {target}, which is not held")

    for error in errors:
        print(error)
    print(f"{chm.name}: {len(held)} entries, {len(files)} project files, "
          f"{len(errors)} problems")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
