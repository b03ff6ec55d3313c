#!/usr/bin/env python3
"""Writes a pseudo-translation of a template: every piece of text a user sees comes back as
"⟦…⟧", so a window showing a text without the marks shows one that missed the catalogue.
Each piece is also made at least 40 % longer than its English, as a long translation is, so a
label too narrow for any language is seen cut short.

Usage: po-pseudo.py TEMPLATE.pot OUTPUT.po

Markup stays outside the marks: each "|"-separated piece is marked on its own, a trailing
"{...}" option block, a "\\t" key name and line breaks at either end are kept as they are.
"""

import re
import sys

from po_files import quoted, read_catalogue

_TAIL = re.compile(r"(\{[^{}]*\}|\t.*)$")
# Letters of about the average width, added inside the marks.
_PADDING = "ëŏñĝåţ"


def padding(text):
    # The words are what a translation lengthens; a "%1" place stands for a text of its own.
    words = re.sub(r"%[1-9]", "", text)
    count = -(-len(words) * 4 // 10)  # ceil(40 %)
    return (_PADDING * (count // len(_PADDING) + 1))[:count]


def marked_piece(piece):
    tail_match = _TAIL.search(piece)
    tail = tail_match.group(0) if tail_match else ""
    body = piece[: len(piece) - len(tail)]
    # msgfmt wants a text's leading and trailing line breaks kept as they are.
    core = body.strip("\n")
    if not core.strip():
        return body + tail
    start = body.index(core)
    return body[:start] + "⟦" + core + padding(core) + "⟧" + body[start + len(core):] + tail


def pseudo(text):
    return "|".join(marked_piece(piece) for piece in text.split("|"))


def main(template, output):
    lines = ['msgid ""', 'msgstr ""', '"Language: fr\\n"', '"MIME-Version: 1.0\\n"',
             '"Content-Type: text/plain; charset=UTF-8\\n"', '"Content-Transfer-Encoding: 8bit\\n"',
             '"Plural-Forms: nplurals=2; plural=(n != 1);\\n"', ""]
    for entry in read_catalogue(template):
        if not entry["msgid"]:
            continue
        if entry["msgctxt"] is not None:
            lines.append("msgctxt " + quoted(entry["msgctxt"]))
        lines.append("msgid " + quoted(entry["msgid"]))
        if entry["msgid_plural"] is not None:
            lines += ["msgid_plural " + quoted(entry["msgid_plural"]),
                      "msgstr[0] " + quoted(pseudo(entry["msgid"])),
                      "msgstr[1] " + quoted(pseudo(entry["msgid_plural"])), ""]
            continue
        lines += ["msgstr " + quoted(pseudo(entry["msgid"])), ""]
    with open(output, "w", encoding="utf-8") as written:
        written.write("\n".join(lines))


if __name__ == "__main__":
    main(*sys.argv[1:3])
