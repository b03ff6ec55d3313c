#!/usr/bin/env python3
"""Checks that a translation keeps what the program reads out of its texts.

Usage: po-check.py LANGUAGE.po

For every translated entry: the "{...}" option blocks of message boxes in the same order, as
many "|" line and button breaks, the same "%1".."%9" places, the same "\\t" key name, and a
"&" mnemonic where the English has one. Within one source file, texts whose English mnemonics
differ must not share a mnemonic in translation. Prints each fault and exits 1 if any.
"""

import re
import sys
from collections import defaultdict

from po_files import read_catalogue

_BLOCKS = re.compile(r"\{[^{}]*\}")
_PLACES = re.compile(r"%[1-9]")
_MNEMONIC = re.compile(r"&([^&\s])")


def mnemonics(text):
    return [letter.lower() for letter in _MNEMONIC.findall(text.replace("&&", ""))]


def key_name(text):
    return text.partition("\t")[2]


def entry_faults(english, translated):
    checks = [
        ("option blocks", _BLOCKS.findall(english), _BLOCKS.findall(translated)),
        ("'|' breaks", english.count("|"), translated.count("|")),
        ("%n places", sorted(_PLACES.findall(english)), sorted(_PLACES.findall(translated))),
        ("key name", key_name(english), key_name(translated)),
        ("mnemonics", len(mnemonics(english)), len(mnemonics(translated))),
    ]
    return [what for what, wanted, found in checks if wanted != found]


def main(path):
    faults = []
    by_file = defaultdict(list)
    for entry in read_catalogue(path):
        english, translated = entry["msgid"], entry["msgstr"]
        if not english or not translated or "fuzzy" in entry["flags"]:
            continue
        for what in entry_faults(english, translated):
            faults.append(f"{path}: {english!r}: the translation changes its {what}")
        for reference in entry["references"]:
            by_file[re.sub(r":[0-9]+$", "", reference)].append((english, translated))
    for source, texts in by_file.items():
        seen = {}
        for english, translated in texts:
            english_keys, translated_keys = mnemonics(english), mnemonics(translated)
            if not english_keys or not translated_keys:
                continue
            other = seen.get(translated_keys[0])
            if other and mnemonics(other)[0] != english_keys[0]:
                faults.append(f"{path}: {source}: {english!r} and {other!r} share the "
                              f"mnemonic '{translated_keys[0]}' in translation")
            seen.setdefault(translated_keys[0], english)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
