"""The build's check of a translation refuses what would break a window: each row is one
translated entry (or two from one source file) and whether the check must let it pass."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = sys.argv.pop(1)

HEADER = 'msgid ""\nmsgstr "Content-Type: text/plain; charset=UTF-8\\n"\n\n'


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
        for name, entries, passes in rows:
            with self.subTest(name), tempfile.TemporaryDirectory() as folder:
                path = os.path.join(folder, "xx.po")
                with open(path, "w", encoding="utf-8") as catalogue:
                    catalogue.write(HEADER + entries)
                result = subprocess.run([sys.executable, CHECK, path], capture_output=True,
                                        text=True, timeout=60)
                self.assertEqual(result.returncode == 0, passes, result.stdout)


if __name__ == "__main__":
    unittest.main()
