"""The manual page of merivane-cli: it covers everything --help names and renders cleanly."""
import os
import re
import subprocess
import sys
import unittest

CLI = sys.argv.pop(1) if len(sys.argv) > 1 else "merivane-cli"
PAGE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cli", "merivane-cli.1")


def output_of(*command, env=None):
    done = subprocess.run(command, capture_output=True, text=True, env=env, check=False)
    return done.returncode, done.stdout, done.stderr


class ManualPage(unittest.TestCase):
    def setUp(self):
        status, self.help, _ = output_of(CLI, "--help")
        self.assertEqual(status, 0)
        with open(PAGE, encoding="utf-8") as f:
            self.source = f.read()
        # What the reader sees: troff's escaped minus signs as plain hyphens.
        self.text = self.source.replace("\\-", "-")

    def test_every_command_option_and_exit_status_of_help_is_documented(self):
        commands = re.findall(r"^  merivane-cli ([a-z-]+)", self.help, re.MULTILINE)
        options = set(re.findall(r"(?<![\w-])--[a-z]+", self.help))
        statuses = re.findall(r"\b(\d) [a-z]", self.help.split("Exit status:")[1])
        self.assertGreaterEqual(len(commands), 5)
        self.assertGreaterEqual(len(options), 8)
        self.assertEqual(statuses, ["0", "1", "2"])
        for command in commands:
            if command.startswith("--"):
                self.assertRegex(self.text, rf"\n\.SY merivane-cli\n\.B {command}\n")
            else:
                self.assertIn(f"\n.SS {command}\n", self.text)
        for option in options:
            self.assertRegex(self.text, rf"\.(B|BI|BR|TP) \"?{option}\b", option)
        exit_section = self.text.split(".SH EXIT STATUS")[1].split(".SH ")[0]
        self.assertEqual(re.findall(r"^\.B (\d)$", exit_section, re.MULTILINE), statuses)

    def test_it_renders_without_a_warning(self):
        status, out, err = output_of("mandoc", "-T", "lint", "-W", "style", PAGE)
        self.assertEqual((status, out, err), (0, "", ""))
        status, out, err = output_of("groff", "-ww", "-man", "-z", PAGE)
        self.assertEqual((status, err), (0, ""))
        env = dict(os.environ, MANWIDTH="80", MAN_DISABLE_SECCOMP="1")
        status, out, err = output_of("man", "-l", PAGE, env=env)
        self.assertEqual((status, err), (0, ""))
        self.assertIn("MERIVANE-CLI(1)", out)
        self.assertTrue(all(len(line) <= 80 for line in out.splitlines()))


if __name__ == "__main__":
    unittest.main()
