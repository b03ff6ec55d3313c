"""merivane-cli writing to its own streams by name, checked writes to standard output, and the
one year range of the date look-up."""
import os
import subprocess
import sys
import tempfile
import unittest

CLI = sys.argv.pop(1) if len(sys.argv) > 1 else "merivane-cli"
EARLIER = b"earlier line of the log\n"


class OwnStreams(unittest.TestCase):
    def test_a_path_naming_an_own_stream_writes_to_it_where_it_stands(self):
        pdf = "pdf --style year --year 2026 --output"
        ics = "ics 2026 --output"
        # (command, path, how the shell appends to the log, what the log gets)
        cases = [
            (pdf, "/dev/stdout", ">>app.log", b"%PDF-"),
            (pdf, "/dev/fd/1", ">>app.log", b"%PDF-"),
            (pdf, "/proc/self/fd/5", ">/dev/null 5>>app.log", b"%PDF-"),
            (pdf, "link.pdf", ">>app.log", b"%PDF-"),
            (ics, "/dev/stderr", "2>>app.log", b"BEGIN:VCALENDAR"),
            (ics, "/dev/fd/5", "5>>app.log", b"BEGIN:VCALENDAR"),
        ]
        for command, path, redirection, start in cases:
            with self.subTest(command=command, path=path), tempfile.TemporaryDirectory() as folder:
                os.symlink("/dev/stdout", os.path.join(folder, "link.pdf"))
                log = os.path.join(folder, "app.log")
                with open(log, "wb") as f:
                    f.write(EARLIER)
                inode = os.stat(log).st_ino
                line = f'"$0" {command} {path} {redirection}'
                done = subprocess.run(["sh", "-c", line, CLI], cwd=folder, capture_output=True)
                self.assertEqual(done.returncode, 0, done.stderr)
                self.assertEqual(os.stat(log).st_ino, inode, "the log was replaced")
                with open(log, "rb") as f:
                    self.assertTrue(f.read().startswith(EARLIER + start))
                self.assertTrue(os.path.islink(os.path.join(folder, "link.pdf")))

    def test_a_stream_that_is_not_open_is_refused(self):
        done = subprocess.run([CLI, "ics", "2026", "--output", "/dev/fd/9"], capture_output=True)
        self.assertEqual(done.returncode, 2)
        self.assertEqual(done.stderr, b"merivane-cli: cannot write /dev/fd/9: it is not open\n")

    def test_help_that_cannot_be_written_fails(self):
        with open("/dev/full", "wb") as full:
            done = subprocess.run([CLI, "--help"], stdout=full, stderr=subprocess.PIPE)
        self.assertEqual(done.returncode, 1)
        self.assertEqual(done.stderr, b"merivane-cli: cannot write to standard output: the disk is full\n")
        done = subprocess.run(
            [CLI, "--help"], stderr=subprocess.PIPE, preexec_fn=lambda: os.close(1)
        )
        self.assertEqual(done.returncode, 1)


class DateRange(unittest.TestCase):
    def test_a_date_is_taken_when_its_broadcast_year_is_1920_to_9999(self):
        cases = [
            ("1919-12-28", None),
            ("1919-12-29", 1920),
            ("1920-01-01", 1920),
            ("9999-12-26", 9999),
            ("9999-12-27", None),
            ("9999-12-31", None),
            ("0000-01-03", None),
        ]
        for day, year in cases:
            with self.subTest(day=day):
                done = subprocess.run([CLI, "date", day], capture_output=True, text=True)
                if year is None:
                    self.assertEqual(done.returncode, 2)
                    self.assertIn("outside 1920 to 9999", done.stderr)
                else:
                    self.assertEqual(done.returncode, 0, done.stderr)
                    self.assertIn(f"of broadcast year {year},", done.stdout)


if __name__ == "__main__":
    unittest.main()
