#!/usr/bin/env python3
"""Checks that a translation keeps what the program reads out of its texts.

Usage: po-check.py LANGUAGE.po

For every translated entry: the "{...}" option blocks of message boxes in the same order, as
many "|" line and button breaks, the same "%1".."%9" places, the same "\\t" key name, and a
"&" mnemonic where the English has one. Within one source file, texts whose English mnemonics
differ must not share a mnemonic in translation. The language (the header's "Language:", else
the file's name) adds its own rules: one translation for each glossary term, French
punctuation (a non-breaking space before ":", « » quotation marks) and Spanish “ ” quotation
marks. Prints each fault and exits 1 if any.
"""

import os
import re
import sys
from collections import defaultdict

from po_files import read_catalogue

_BLOCKS = re.compile(r"\{[^{}]*\}")
_PLACES = re.compile(r"%[1-9]")
_MNEMONIC = re.compile(r"&([^&\s])")


# One term per idea: an English term (a pattern, any case) and what its translation must hold,
# in window, help and pages alike.
GLOSSARY = {
    "fr": [
        (r"\bfind\b", r"recherch"),
        (r"\bPDF (reader|viewer)s?\b", r"lecteurs? PDF"),
        (r"\bkeyboard strips?\b", r"bandes? pour clavier"),
        (r"\bMerivane Project\b", r"projet Merivane"),
        (r"\bcredit line\b", r"mention au bas de page"),
    ],
    "es": [
        (r"\bfind\b", r"busc"),
        (r"\bPDF (reader|viewer)s?\b", r"lector(es)? de PDF"),
        (r"\bkeyboard strips?\b", r"tiras? para teclado"),
        (r"\bMerivane Project\b", r"proyecto Merivane"),
        (r"\bcredit line\b", r"texto al pie"),
    ],
}

# French sets a colon off with a non-breaking space (plain or narrow) where it ends a phrase,
# and quotes with « ».
_FRENCH_COLON = re.compile(r"[^\u00a0\u202f]:(?=$|[ \t\n|{])")


def language_faults(language, english, translated):
    # Line breaks may fall inside a term; a non-breaking space is kept, it is what French wants.
    plain_english, plain = (re.sub(r"[ \t\n]+", " ", text.replace("&", ""))
                            for text in (english, translated))
    faults = [f"glossary: {term!r} is {wanted!r}"
              for term, wanted in GLOSSARY.get(language, [])
              if re.search(term, plain_english, re.I) and not re.search(wanted, plain, re.I)]
    if language == "fr" and _FRENCH_COLON.search(plain):
        faults.append("French colon without a non-breaking space before it")
    if language == "fr" and ('"' in plain or "“" in plain):
        faults.append("French quotation marks other than « »")
    if language == "es" and ('"' in plain or "«" in plain):
        faults.append("Spanish quotation marks other than “ ”, as the help writes them")
    return faults


def catalogue_language(path, entries):
    for entry in entries:
        if entry["msgid"]:
            continue
        found = re.search(r"^Language: *([A-Za-z]+)", entry["msgstr"], re.M)
        if found:
            return found.group(1).lower()
    return os.path.basename(path).split(".")[0].split("_")[0].lower()


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
    entries = read_catalogue(path)
    language = catalogue_language(path, entries)
    for entry in entries:
        english, translated = entry["msgid"], entry["msgstr"]
        if not english or not translated or "fuzzy" in entry["flags"]:
            continue
        # Each plural form against the English plural, the first against the singular too.
        forms = [(english, translated)] + [(entry["msgid_plural"], form)
                                           for form in entry["plurals"][1:]]
        for source, form in forms:
            for what in entry_faults(source, form):
                faults.append(f"{path}: {english!r}: the translation changes its {what}")
            for what in language_faults(language, source, form):
                faults.append(f"{path}: {english!r}: {what}")
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
