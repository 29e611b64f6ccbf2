#!/usr/bin/env python3
"""Checks the Group Policy templates in installer/policy against the add-in.

Both files must be well-formed; every string and presentation the ADMX names
must be in the en-US ADML; every policy must write under the key the add-in
reads its policies from, with a value name the add-in reads, of the kind it
reads (a number or a text); every policy the add-in reads must have a
policy; and each policy's explanation must say, on lines of their own, what
Enabled, Disabled and Not configured do; every policy has a row in the
help's and the README's tables of policies; and the help's Removing section
names the data removal leaves. Usage: check_policy_templates.py <source root>
"""
import html
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}

# What the add-in reads: value-name constant, the header defining it, and
# how it is read (a DWORD or a text).
READ = {
    "kHasSafeDomainsValue": ("store/settings.h", "number"),
    "kSafeDomainsValue": ("store/settings.h", "text"),
    "kMoveEarlierValue": ("store/settings.h", "number"),
    "kMoveNewMailValue": ("store/settings.h", "number"),
    "kLogLevelValue": ("platform/diagnostics.h", "number"),
    "kSupportAddressValue": ("support/support_address.h", "text"),
}


def constant(root, header, name):
    text = (root / header).read_text(encoding="utf-8")
    match = re.search(name + r'\[\]\s*=\s*L"((?:[^"\\]|\\.)*)"', text)
    if not match:
        raise SystemExit(f"{header}: no {name}")
    return match.group(1).replace("\\\\", "\\")


def macro(root, header, name):
    text = (root / header).read_text(encoding="utf-8")
    match = re.search(r"#define\s+" + name + r'\s+L"([^"\\]*)"', text)
    if not match:
        raise SystemExit(f"{header}: no {name}")
    return match.group(1)


def main():
    root = Path(sys.argv[1])
    errors = []
    try:
        admx = ET.parse(root / "installer/policy/spamwarden.admx").getroot()
        adml = ET.parse(root / "installer/policy/en-US/spamwarden.adml").getroot()
    except ET.ParseError as error:
        print(f"not well-formed: {error}")
        return 1

    strings = {s.get("id") for s in adml.iterfind(".//p:stringTable/p:string", NS)}
    presentations = {
        p.get("id"): {c.get("refId") for c in p}
        for p in adml.iterfind(".//p:presentationTable/p:presentation", NS)
    }
    for element in admx.iter():
        for attribute in element.attrib.values():
            for kind, name in re.findall(r"\$\((string|presentation)\.([^)]+)\)", attribute):
                known = strings if kind == "string" else presentations
                if name not in known:
                    errors.append(f"ADMX names {kind} {name}, which the ADML lacks")

    policy_key = "Software\\Policies\\{}\\{}".format(
        macro(root, "platform/product_key.h", "SW_PRODUCT_MAKER"),
        macro(root, "platform/product_key.h", "SW_PRODUCT_NAME"))
    expected = {}
    for name, (header, kind) in READ.items():
        expected[constant(root, header, name)] = kind
    sources = "\n".join(
        p.read_text(encoding="utf-8")
        for folder in ("store", "support", "platform")
        for p in (root / folder).glob("*.cpp"))

    texts = {s.get("id"): s.text or "" for s in adml.iterfind(".//p:stringTable/p:string", NS)}
    found = {}
    for policy in admx.iterfind(".//p:policies/p:policy", NS):
        name = policy.get("name")
        # Group Policy Editor shows the explanation beside the three states:
        # it must say what each of them does.
        explain = texts.get(re.sub(r"^\$\(string\.|\)$", "", policy.get("explainText", "")), "")
        for state in ("Enabled:", "Disabled:", "Not configured:"):
            if not re.search(r"(^|\n)" + state, explain):
                errors.append(f"{name}: its explanation does not say what {state[:-1]} does")
        if policy.get("key") != policy_key:
            errors.append(f"{name}: key {policy.get('key')!r}, the add-in reads {policy_key!r}")
        if policy.get("class") not in ("Machine", "User", "Both"):
            errors.append(f"{name}: class {policy.get('class')!r}")
        values = []
        if policy.get("valueName"):
            kind = "number" if policy.find("p:enabledValue/p:decimal", NS) is not None else "?"
            values.append((policy.get("valueName"), kind))
        for element in policy.iterfind("p:elements/*", NS):
            tag = element.tag.split("}")[1]
            kind = {"text": "text", "enum": "number", "decimal": "number"}.get(tag, "?")
            values.append((element.get("valueName"), kind))
            presentation = re.sub(r"^\$\(presentation\.|\)$", "", policy.get("presentation", ""))
            if element.get("id") not in presentations.get(presentation, set()):
                errors.append(f"{name}: element {element.get('id')} has no control")
        for value, kind in values:
            found[value] = kind
            if value not in expected:
                errors.append(f"{name}: value {value!r} is read by nothing")
            elif expected[value] != kind:
                errors.append(f"{name}: {value} is a {kind}, the add-in reads a {expected[value]}")
    for value in expected:
        if value not in found:
            errors.append(f"the add-in reads {value}, which no policy sets")

    # Each constant is read as a policy, by the reader of its kind: by name,
    # or as a row of the settings' flag table that has a policy mark, whose
    # rows LoadSettings reads with ReadPolicyDword.
    readers = {"number": r"ReadPolicyDword\(", "text": r"ReadPolicyText\("}
    settings = (root / "store/settings.h").read_text(encoding="utf-8")
    table = re.search(r"kFlagSettings\[\]\s*=\s*\{(.*?)\n\};", settings, re.S)
    flag_rows = table.group(1) if table else ""
    table_read = re.search(r"ReadPolicyDword\(flag\.valueName\)", sources) is not None
    for name, (header, kind) in READ.items():
        if re.search(r"(" + readers[kind] + r")[^;]*\b" + name + r"\b", sources):
            continue
        if (kind == "number" and table_read
                and re.search(r"\{" + name + r",[^}]*&PolicySettings::", flag_rows)):
            continue
        errors.append(f"{name} is not read as a policy {kind}")

    # One table of policies for administrators in the help's "Deploying" page
    # and one in the README: each policy of the ADMX has a row in both, with
    # its name as the Group Policy editor shows it and its value name.
    admin = (root / "support/help/admin.html").read_text(encoding="utf-8")
    readme = (root / "README.md").read_text(encoding="utf-8")
    help_rows = [html.unescape(row) for row in re.findall(r"<tr>(.*?)</tr>", admin, re.S)]
    readme_rows = [line for line in readme.splitlines() if line.startswith("|")]
    for policy in admx.iterfind(".//p:policies/p:policy", NS):
        shown = texts.get(re.sub(r"^\$\(string\.|\)$", "", policy.get("displayName", "")), "")
        names = [policy.get("valueName")] + [
            e.get("valueName") for e in policy.iterfind("p:elements/*", NS)]
        for value in filter(None, names):
            if not any(shown in " ".join(row.split()) and f"<code>{value}</code>" in row
                       for row in help_rows):
                errors.append(f"support/help/admin.html: no row for {shown!r} ({value})")
            if not any(shown in row and f"`{value}`" in row for row in readme_rows):
                errors.append(f"README.md: no row for {shown!r} ({value})")

    # What removal leaves is listed once in the help, where removing is
    # described: the settings key and the data folder with the history.
    install = (root / "support/help/install.html").read_text(encoding="utf-8")
    removing = install[install.find("<h2>Removing</h2>"):]
    product = "{}\\{}".format(
        macro(root, "platform/product_key.h", "SW_PRODUCT_MAKER"),
        macro(root, "platform/product_key.h", "SW_PRODUCT_NAME"))
    for left in (f"HKEY_CURRENT_USER\\Software\\{product}", f"%LOCALAPPDATA%\\{product}"):
        if f"<code>{left}</code>" not in removing:
            errors.append(f"support/help/install.html: Removing does not name {left}")

    for error in errors:
        print(error)
    print(f"{len(found)} policies checked" if not errors else f"{len(errors)} error(s)")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
