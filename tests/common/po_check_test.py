"""The build's check of a translation refuses what would break a window: each row is one
translated entry (or two from one source file) and whether the check must let it pass."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = sys.argv.pop(1)

HEADER = 'msgid ""\nmsgstr "Content-Type: text/plain; charset=UTF-8\\n"\n\n'


def language_header(code):
    return ('msgid ""\nmsgstr "Content-Type: text/plain; charset=UTF-8\\n"\n'
            f'"Language: {code}\\n"\n\n')


def entry(english, translated, source="shell/form.cpp"):
    return f'#: {source}\nmsgid "{english}"\nmsgstr "{translated}"\n\n'


class PoCheck(unittest.TestCase):
    def test_markup_placeholders_and_mnemonics_survive_translation(self):
        rows = [
            ("kept whole", entry("Saved.{f10}|Again?", "Enregistré.{f10}|Encore?"), True),
            ("option block dropped", entry("Saved.{f10}", "Enregistré."), False),
            ("option block changed", entry("Saved.{f10}", "Enregistré.{f12}"), False),
            ("line break added", entry("One line", "Une|ligne"), False),
            ("button dropped", entry("&Yes|&No", "&Oui"), False),
            ("place dropped", entry("Week %1 of %2", "Semaine %1"), False),
            ("places moved", entry("%1 to %2", "de %2 à %1"), True),
            ("place added", entry("Week", "Semaine %1"), False),
            ("key name changed", entry("&Find...\\tCtrl+D", "&Chercher...\\tCtrl+F"), False),
            ("mnemonic dropped", entry("&Save", "Enregistrer"), False),
            ("mnemonics clash in one form",
             entry("&Save", "&Enregistrer") + entry("&Export", "&Exporter"), False),
            ("same letter in two forms",
             entry("&Save", "&Enregistrer") + entry("&Export", "&Exporter", "shell/other.cpp"),
             True),
            ("untranslated", entry("Saved.{f10}", ""), True),
        ]
        self.check(rows, HEADER)

    def test_each_language_keeps_its_glossary_and_punctuation(self):
        nbsp = "\u00a0"
        french, spanish = language_header("fr"), language_header("es")
        rows = [
            ("fr glossary term", french, entry("Find a Date", "Rechercher une date"), True),
            ("fr other word for it", french, entry("Find a Date", "Trouver une date"), False),
            ("fr term across a break", french,
             entry("the Merivane\\nProject team", "l'équipe du projet\\nMerivane"), True),
            ("fr term lost", french, entry("Keyboard strips", "Bandes de clavier"), False),
            ("fr term behind a mnemonic", french,
             entry("Credit &line:", f"&Mention au bas de page{nbsp}:"), True),
            ("fr colon without its space", french, entry("Date:", "Date :"), False),
            ("fr colon glued", french, entry("Date: %1", "Date: %1"), False),
            ("fr colon in an address", french, entry("https://a", "https://a"), True),
            ("fr straight quotes", french, entry('the \\"%1\\" file', 'le fichier \\"%1\\"'), False),
            ("es glossary term", spanish, entry("PDF Reader Error", "Error del lector de PDF"), True),
            ("es other word for it", spanish, entry("PDF Reader Error", "Error del visor de PDF"), False),
            ("es credit line", spanish, entry("Credit &line:", "&Línea de crédito:"), False),
            ("es colon as English writes it", spanish, entry("Date:", "Fecha:"), True),
            ("es quotes of another style", spanish, entry('the \\"%1\\" file', "el archivo «%1»"), False),
            ("es quotes", spanish, entry('the \\"%1\\" file', "el archivo “%1”"), True),
            ("a language without a glossary", HEADER, entry("Find", "Trouver"), True),
        ]
        self.check(rows)

    def check(self, rows, header=None, name="xx.po"):
        for row in rows:
            what, entries, passes = (row[0], row[2], row[3]) if len(row) == 4 else row
            heading = row[1] if len(row) == 4 else header
            with self.subTest(what), tempfile.TemporaryDirectory() as folder:
                path = os.path.join(folder, name)
                with open(path, "w", encoding="utf-8") as catalogue:
                    catalogue.write(heading + entries)
                result = subprocess.run([sys.executable, CHECK, path], capture_output=True,
                                        text=True, timeout=60)
                self.assertEqual(result.returncode == 0, passes, result.stdout)


if __name__ == "__main__":
    unittest.main()
