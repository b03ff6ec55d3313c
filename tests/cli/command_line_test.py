"""merivane-cli as a shell user meets it: each command's help, outputs that cannot be written,
paths naming the program's own streams, the PDFs' properties and the years a date may fall in."""
import datetime
import json
import os
import re
import shutil
import subprocess
import tempfile
import unittest

from cli_run import CLI, run

COMMANDS = ("pdf", "weeks", "ics", "date", "days")


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

    def test_output_that_cannot_be_written_fails_alike_for_every_command(self):
        full = "merivane-cli: cannot write to standard output: the disk is full\n"
        for arguments in (
            ["pdf", "--style", "year", "--year", "2026", "--output", "-"],
            ["ics", "2026"],
            ["days", "2026"],
            ["weeks", "2026"],
            ["date", "2026-11-04"],
            ["--version"],
            ["--help"],
            ["pdf", "--help"],
        ):
            with open("/dev/full", "w") as device:
                self.assertEqual(run(*arguments, stdout=device), (1, "", full), arguments)
        closed = subprocess.run([CLI, "--help"], stderr=subprocess.DEVNULL, preexec_fn=lambda: os.close(1))
        self.assertEqual(closed.returncode, 1)
        not_open = "merivane-cli: cannot write /dev/fd/9: it is not open\n"
        self.assertEqual(run("ics", "2026", "--output", "/dev/fd/9"), (2, "", not_open))

    def test_a_path_naming_an_own_stream_writes_to_it_where_it_stands(self):
        earlier = b"earlier line of the log\n"
        pdf, ics = "pdf --style year --year 2026 --output", "ics 2026 --output"
        # (command, path, how the shell appends to the log, what the log gets)
        for command, path, redirection, start in (
            (pdf, "/dev/stdout", ">>app.log", b"%PDF-"),
            (pdf, "/dev/fd/1", ">>app.log", b"%PDF-"),
            (pdf, "/proc/self/fd/5", ">/dev/null 5>>app.log", b"%PDF-"),
            (pdf, "link.pdf", ">>app.log", b"%PDF-"),
            (ics, "/dev/stderr", "2>>app.log", b"BEGIN:VCALENDAR"),
            (ics, "/dev/fd/5", "5>>app.log", b"BEGIN:VCALENDAR"),
        ):
            with self.subTest(command=command, path=path), tempfile.TemporaryDirectory() as folder:
                os.symlink("/dev/stdout", os.path.join(folder, "link.pdf"))
                log = os.path.join(folder, "app.log")
                with open(log, "wb") as f:
                    f.write(earlier)
                inode = os.stat(log).st_ino
                line = f'"$0" {command} {path} {redirection}'
                done = subprocess.run(["sh", "-c", line, CLI], cwd=folder, capture_output=True)
                self.assertEqual(done.returncode, 0, done.stderr)
                self.assertEqual(os.stat(log).st_ino, inode, "the log was replaced")
                with open(log, "rb") as f:
                    self.assertTrue(f.read().startswith(earlier + start))
                self.assertTrue(os.path.islink(os.path.join(folder, "link.pdf")))

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
            (["month", "--year", "2026", "--month", "2", "--language", "fr"],
             "Calendrier de radiodiffusion \u2014 février 2026"),
            (["quarter", "--year", "2026", "--month", "8", "--language", "fr-CA"],
             "Calendrier de radiodiffusion 2026 (trimestre commençant en août)"),
            (["month", "--year", "2026", "--month", "4", "--language", "es_MX"],
             "Calendario de radiodifusión 2026 (página de abril)"),
            (["quarter", "--year", "2026", "--month", "8", "--language", "ES-419"],
             "Calendario de radiodifusión 2026 (página trimestral a partir de agosto)"),
            (["3years", "--year", "2026", "--language", "es"], "Calendario de radiodifusión 2026-2028 (página de tres años)"),
        )
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "calendar.pdf")
            # Local time east and west of Greenwich, each with its offset.
            zones = ("UTC0", "<-05>5", "<+0530>-5:30")
            for index, (arguments, title) in enumerate(cases):
                # A virtual machine's clock may step by a second between two readings.
                slack = datetime.timedelta(seconds=2)
                before = datetime.datetime.now(datetime.timezone.utc) - slack
                env = dict(os.environ, TZ=zones[index % len(zones)])
                self.assertEqual(run("pdf", "--style", *arguments, "--output", path, env=env)[0], 0)
                info = self.info(path)
                self.assertEqual((info["Title"], info["Creator"]), (title, f"Merivane {version}"))
                made = datetime.datetime.fromisoformat(info["CreationDate"])
                self.assertTrue(before <= made <= datetime.datetime.now(datetime.timezone.utc) + slack, made)
            # A build system's fixed moment makes the same file twice, byte for byte.
            env = dict(os.environ, SOURCE_DATE_EPOCH="1800000000")
            made = []
            for _ in range(2):
                run("pdf", "--style", "year", "--year", "2026", "--output", path, env=env)
                with open(path, "rb") as f:
                    made.append(f.read())
            self.assertEqual(made[0], made[1])
            self.assertEqual(self.info(path)["CreationDate"], "2027-01-15T08:00:00Z")

    def test_every_style_prints_in_french_and_spanish_with_accents(self):
        months = {"fr": ("Février", "Août", "Septembre", "Décembre"), "es": ("Febrero", "Agosto", "Septiembre", "Diciembre")}
        notes = {"fr": "indique un mois de 5 semaines", "es": "indica un mes de 5 semanas"}
        holidays = {"fr": ("ca", "Fête du Canada"), "es": ("us", "Día de los Caídos")}
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "calendar.pdf")
            for style in ("month", "quarter", "year", "3years", "strip", "planner"):
                for language in ("fr", "es"):
                    country, holiday = holidays[language]
                    arguments = ("pdf", "--style", style, "--year", "2026", "--holidays", country)
                    self.assertEqual(run(*arguments, "--language", language, "--output", path)[0], 0)
                    text = subprocess.run(["pdftotext", path, "-"], capture_output=True, text=True).stdout
                    for word in months[language] + ((notes[language],) if style != "strip" else ()):
                        self.assertIn(word, text.replace("* I", "* i"), (style, language))
                    if style in ("month", "planner"):
                        self.assertIn(holiday, text, (style, language))
                    self.assertNotIn("January", text, (style, language))

    def test_an_unknown_language_is_refused_with_the_three_known(self):
        refusal = 'merivane-cli: unknown language "de"; use en, fr or es (try --help)\n'
        for command in (["pdf", "--style", "year", "--year", "2026"], ["ics", "2026"], ["date", "2026-11-04"], ["days", "2026"]):
            self.assertEqual(run(*command, "--language", "de"), (2, "", refusal), command)
            self.assertEqual(run(*command, "--language")[0], 2, command)

    def test_a_language_whose_catalogue_cannot_be_read_is_refused(self):
        env = {name: value for name, value in os.environ.items() if name != "MERIVANE_LOCALEDIR"}
        with tempfile.TemporaryDirectory() as folder:
            copy = os.path.join(folder, "merivane-cli")
            shutil.copy(CLI, copy)
            catalogue = os.path.join(os.path.realpath(folder), "locale/fr/LC_MESSAGES/merivane.mo")
            refusal = f"merivane-cli: --language fr: the catalogue {catalogue} is missing or damaged"
            for command in (["ics", "2026"], ["date", "2026-11-04"], ["days", "2026"]):
                done = subprocess.run([copy, *command, "--language", "fr"], capture_output=True, text=True, env=env)
                self.assertEqual((done.returncode, done.stdout), (1, ""), command)
                self.assertTrue(done.stderr.startswith(refusal), done.stderr)
            # The folder copied with its catalogues speaks French.
            shutil.copytree(os.path.join(os.path.dirname(CLI), "locale"), os.path.join(folder, "locale"))
            done = subprocess.run([copy, "date", "2026-11-04", "--language", "fr"], capture_output=True, text=True, env=env)
            self.assertEqual(done.returncode, 0, done.stderr)
            self.assertIn("novembre", done.stdout.lower())

    def info(self, path):
        done = subprocess.run(["pdfinfo", "-isodates", path], capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stderr)
        return dict(re.findall(r"^(\w+):\s+(.*)$", done.stdout, re.MULTILINE))

    def test_credit_and_logo_come_only_from_their_options(self):
        month = ["pdf", "--style", "month", "--year", "2026", "--month", "3"]
        with tempfile.TemporaryDirectory() as folder:
            out = os.path.join(folder, "out.pdf")
            text = os.path.join(folder, "logo.png")
            with open(text, "w") as notes:
                notes.write("not a picture\n")
            for logo, reason in ((os.path.join(folder, "none.png"), "there is no such file"),
                                 (text, "it is not a PNG or JPEG picture"), (folder, "it is a folder")):
                expected = f"merivane-cli: The logo {logo} cannot be used: {reason}.\n"
                self.assertEqual(run(*month, "--logo", logo, "--output", out), (1, "", expected))
                self.assertFalse(os.path.exists(out))
            self.assertEqual(run(*month, "--credit")[0], 2)
            for options, line in (([], "Merivane Broadcast Calendar Generator by the Merivane Project"),
                                  (["--credit", "KXYZ Sales \u2014 555-0100"], "KXYZ Sales \u2014 555-0100")):
                self.assertEqual(run(*month, *options, "--output", out), (0, out + "\n", ""))
                shown = subprocess.run(["pdftotext", out, "-"], capture_output=True, text=True).stdout
                self.assertIn(line, shown)

    def test_a_date_is_taken_when_its_broadcast_year_is_1920_to_9999(self):
        for day, year in (
            ("1919-12-28", None),
            ("1919-12-29", 1920),
            ("1920-01-01", 1920),
            ("9999-12-26", 9999),
            ("9999-12-27", None),
            ("9999-12-31", None),
            ("0000-01-03", None),
        ):
            status, out, err = run("date", day)
            if year is None:
                self.assertEqual((status, "outside 1920 to 9999" in err), (2, True), day)
            else:
                self.assertEqual((status, f"of broadcast year {year}," in out), (0, True), day)

    def test_the_date_line_speaks_the_language_asked_for_and_json_names_the_month_in_it(self):
        english = json.loads(run("date", "2026-11-04", "--json")[1])
        for language, line, month in (
            ("en", "2026-11-04: week 45 (4Q06) of broadcast year 2026, 2026-11-02 to 2026-11-08; broadcast November 2026, 2026-10-26 to 2026-11-29\n", "November"),
            ("fr", "2026-11-04\u00a0: semaine 45 (4T06) de l'année de radiodiffusion 2026, du 2026-11-02 au 2026-11-08; mois de radiodiffusion\u00a0: novembre 2026, du 2026-10-26 au 2026-11-29\n", "novembre"),
            ("es", "2026-11-04: semana 45 (4T06) del año de radiodifusión 2026, del 2026-11-02 al 2026-11-08; mes de radiodifusión: noviembre de 2026, del 2026-10-26 al 2026-11-29\n", "noviembre"),
            ("Fr_CA", None, "novembre"),
            ("es-419", None, "noviembre"),
        ):
            if line:
                self.assertEqual(run("date", "2026-11-04", "--language", language), (0, line, ""))
            # The same rule as days: names as a sentence writes them; quarter_week stays for scripts.
            self.assertEqual(json.loads(run("date", "2026-11-04", "--json", "--language", language)[1]),
                             dict(english, month_name=month), language)
        # Without the option the line is English whatever the desktop's language.
        french_desktop = dict(os.environ, LANG="fr_CA.UTF-8", LANGUAGE="fr")
        self.assertEqual(run("date", "2026-11-04", env=french_desktop), run("date", "2026-11-04", "--language", "en"))


if __name__ == "__main__":
    unittest.main()
