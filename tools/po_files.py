"""Reads and writes the catalogue files (.po, .pot) the build and its checks use.

A catalogue is a series of entries separated by blank lines. Each entry has comment lines
("#: file:line" references, "#, flags"), an optional msgctxt, a msgid and a msgstr, each a
C string that may continue over following lines made of a string alone. A text that counts
has a msgid_plural and msgstr[0], msgstr[1]... instead of the msgstr; "plurals" holds those
forms and "msgstr" the first. The entry with an empty msgid is the header.
"""

import ast


def _string(line):
    return ast.literal_eval(line) if line.startswith('"') else ""


def read_catalogue(path):
    entries, entry, field = [], None, None
    with open(path, encoding="utf-8") as catalogue:
        for raw in catalogue:
            line = raw.strip()
            if not line:
                entry, field = None, None
                continue
            if entry is None:
                entry = {"references": [], "flags": [], "msgctxt": None, "msgid": "", "msgstr": "",
                         "msgid_plural": None, "plurals": []}
                entries.append(entry)
            if line.startswith("#:"):
                entry["references"] += line[2:].split()
            elif line.startswith("#,"):
                entry["flags"] += [flag.strip() for flag in line[2:].split(",")]
            elif line.startswith("#"):
                continue
            elif line.startswith('"') and field:
                if field == "plural":
                    entry["plurals"][-1] += _string(line)
                else:
                    entry[field] += _string(line)
            else:
                keyword, _, rest = line.partition(" ")
                field = keyword if keyword in ("msgctxt", "msgid", "msgid_plural", "msgstr") else None
                if keyword.startswith("msgstr["):
                    field = "plural"
                    entry["plurals"].append(_string(rest.strip()))
                elif field:
                    entry[field] = _string(rest.strip())
    for entry in entries:
        if entry["plurals"]:
            entry["msgstr"] = entry["plurals"][0]
    return [entry for entry in entries if entry["msgid"] or entry["msgstr"]]


def quoted(text):
    escaped = (text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n")
               .replace("\t", "\\t"))
    return '"' + escaped + '"'
