"""merivane-cli as a shell user meets it: each command's help, a full disk, the PDFs' properties."""
import datetime
import os
import re
import subprocess
import sys
import tempfile
import unittest

CLI = sys.argv.pop(1) if len(sys.argv) > 1 else "merivane-cli"
COMMANDS = ("pdf", "weeks", "ics", "date", "days")


def run(*arguments, stdout=subprocess.PIPE, env=None):
    done = subprocess.run([CLI, *arguments], stdout=stdout, stderr=subprocess.PIPE, env=env)
    out = done.stdout.decode() if done.stdout is not None else ""
    return done.returncode, out, done.stderr.decode()


class CommandLine(unittest.TestCase):
    def test_every_command_has_its_own_help(self):
        status, summary, _ = run("--help")
        self.assertEqual(status, 0)
        for command in COMMANDS:
            asked = [run(command, "--help"), run(command, "-h"), run("help", command)]
            asked.append(run(command, "2026", "--json", "--help"))
            status, text, err = asked[0]
            self.assertEqual((status, err), (0, ""), command)
            self.assertTrue(all(answer == asked[0] for answer in asked), (command, asked))
            usage = re.findall(r"^  merivane-cli (\S+)", text, re.MULTILINE)
            self.assertEqual(usage, [command], text)
            # The command's own options, as the summary describes them, and no other command's.
            block = re.search(rf"^{command} .*?(?=^\S|\n\n)", summary, re.MULTILINE | re.DOTALL)
            self.assertIn(block.group(0), text)
            self.assertIn("Exit status:", text)
        self.assertEqual(run("-V"), run("--version"))
        self.assertEqual(run("-h"), run("help"))
        self.assertEqual(run("help", "nosuch"), (2, "", 'merivane-cli: unknown command "nosuch" (try --help)\n'))

    def test_a_full_disk_reads_the_same_for_every_command(self):
        full = "merivane-cli: cannot write to standard output: the disk is full\n"
        for arguments in (
            ["pdf", "--style", "year", "--year", "2026", "--output", "-"],
            ["ics", "2026"],
            ["days", "2026"],
            ["weeks", "2026"],
            ["date", "2026-11-04"],
            ["--version"],
            ["pdf", "--help"],
        ):
            with open("/dev/full", "w") as device:
                self.assertEqual(run(*arguments, stdout=device), (1, "", full), arguments)

    def test_each_calendar_names_itself_its_maker_and_when_it_was_made(self):
        version = run("--version")[1].split()[1]
        cases = (
            (["year", "--year", "2026"], "Broadcast Calendar 2026 (year page)"),
            (["month", "--year", "2026"], "Broadcast Calendar 2026 (month pages)"),
            (["month", "--year", "2026", "--month", "5"], "Broadcast Calendar 2026 (May page)"),
            (["quarter", "--year", "2026"], "Broadcast Calendar 2026 (quarter pages)"),
            (["quarter", "--year", "2026", "--month", "11"], "Broadcast Calendar 2026 (quarter page from November)"),
            (["3years", "--year", "2026"], "Broadcast Calendar 2026-2028 (three-year page)"),
            (["strip", "--year", "1920"], "Broadcast Calendar 1920 (keyboard strips)"),
            (["planner", "--year", "9999"], "Broadcast Calendar 9999 (planning calendar)"),
        )
        with tempfile.TemporaryDirectory() as folder:
            for arguments, title in cases:
                path = os.path.join(folder, "calendar.pdf")
                before = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
                self.assertEqual(run("pdf", "--style", *arguments, "--output", path)[0], 0)
                info = self.info(path)
                self.assertEqual((info["Title"], info["Creator"]), (title, f"Merivane {version}"))
                made = datetime.datetime.fromisoformat(info["CreationDate"])
                self.assertTrue(before <= made <= datetime.datetime.now(datetime.timezone.utc), made)
            # A build system's fixed moment makes the same file twice, byte for byte.
            env = dict(os.environ, SOURCE_DATE_EPOCH="1800000000")
            made = []
            for name in ("first.pdf", "second.pdf"):
                path = os.path.join(folder, name)
                run("pdf", "--style", "year", "--year", "2026", "--output", path, env=env)
                with open(path, "rb") as f:
                    made.append(f.read())
            self.assertEqual(made[0], made[1])
            self.assertEqual(self.info(path)["CreationDate"], "2027-01-15T08:00:00Z")

    def info(self, path):
        done = subprocess.run(["pdfinfo", "-isodates", path], capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stderr)
        return dict(re.findall(r"^(\w+):\s+(.*)$", done.stdout, re.MULTILINE))


if __name__ == "__main__":
    unittest.main()
