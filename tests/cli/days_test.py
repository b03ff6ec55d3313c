"""merivane-cli days in a database, its holidays, memory and refusals; every row is in cli_test."""
import calendar
import csv
import datetime
import io
import json
import os
import subprocess
import tempfile
import unittest

from cli_run import CLI, run

def iso(text):
    return datetime.date.fromisoformat(text)


class DaysCommand(unittest.TestCase):
    def test_the_csv_loads_into_sqlite_and_groups_by_broadcast_month(self):
        weeks_in = {}
        for row in json.loads(run("weeks", "1920", "1921", "--json")[1]):
            weeks_in[(row["year"], row["month"])] = weeks_in.get((row["year"], row["month"]), 0) + 1
        with tempfile.TemporaryDirectory() as folder:
            table = os.path.join(folder, "days.csv")
            with open(table, "w") as f:
                self.assertEqual(run("days", "1920", "1921", stdout=f)[0], 0)
            query = (
                "SELECT year, month, month_name, COUNT(*), MIN(date), MAX(date) FROM days "
                "GROUP BY year, month ORDER BY MIN(date);"
            )
            done = subprocess.run(
                ["sqlite3", "-csv", os.path.join(folder, "db"), f".import --csv {table} days", query],
                capture_output=True,
                text=True,
            )
        self.assertEqual((done.returncode, done.stderr), (0, ""))
        groups = list(csv.reader(io.StringIO(done.stdout)))
        self.assertEqual(len(groups), 24)
        for year, month, name, count, start, end in groups:
            self.assertEqual(name, calendar.month_name[int(month)])
            self.assertEqual(int(count), 7 * weeks_in[(int(year), int(month))])
            self.assertEqual((iso(start).weekday(), (iso(end) - iso(start)).days + 1), (0, int(count)))

    def test_the_whole_range_streams_in_flat_memory(self):
        peaks = []
        for years in (["2026"], ["1920", "9999"]):
            with tempfile.NamedTemporaryFile("r") as report:
                command = ["/usr/bin/time", "-f", "%M", "-o", report.name, CLI, "days", *years]
                self.assertEqual(subprocess.run(command, stdout=subprocess.DEVNULL).returncode, 0)
                peaks.append(int(report.read().split()[-1]))
        # 2.9 million rows (380 MB) in the memory of 364, give or take what a sanitizer adds.
        self.assertLess(peaks[1], peaks[0] + 8192, peaks)

    def test_holidays_fill_a_last_column_of_their_own(self):
        # Every row of every CSV has as many fields as its header, names with a comma included.
        for arguments in (["weeks", "1920", "9999"], ["days", "2023", "--holidays", "ca"],
                          ["days", "2022", "--holidays", "us"]):
            status, out, err = run(*arguments)
            self.assertEqual((status, err), (0, ""), arguments)
            rows = list(csv.reader(io.StringIO(out, newline="")))
            self.assertEqual({len(row) for row in rows}, {len(rows[0])}, arguments)
        self.assertEqual((len(rows[0]), rows[0][-2:]), (16, ["month_end", "holiday"]))
        named = {row[0]: row[-1] for row in rows[1:] if row[-1]}
        self.assertEqual(len(named), 13)
        self.assertEqual(named["2022-01-17"], "Birthday of Martin Luther King, Jr.")
        self.assertEqual(named["2021-12-31"], "New Year's Day (observed)")
        self.assertEqual(named["2022-06-20"], "Juneteenth National Independence Day (observed)")
        days = json.loads(run("days", "2023", "--json", "--holidays", "ca")[1])
        marked = {day["date"]: day["holiday"] for day in days}
        self.assertEqual(marked["2022-12-26"], "Christmas Day (observed); Boxing Day")
        self.assertEqual(marked["2022-12-28"], "")
        # Only the names change with the language: the header, numbers and dates stay.
        english = run("days", "2023", "--holidays", "ca")[1].splitlines()
        for language, row in (
            ("fr", "2022-12-26,lundi,2023,1,1,janvier,1,1Q01,1,1,1,2022-12-26,2023-01-01,2022-12-26,2023-01-29,Noël (congé reporté); Lendemain de Noël"),
            ("es", "2022-12-26,lunes,2023,1,1,enero,1,1Q01,1,1,1,2022-12-26,2023-01-01,2022-12-26,2023-01-29,Navidad (se observa); Día de San Esteban"),
        ):
            table = run("days", "2023", "--holidays", "ca", "--language", language)[1].splitlines()
            self.assertEqual((table[0], table[1]), (english[0], row))
            numbers = lambda lines: [[v for i, v in enumerate(line.split(",")) if i not in (1, 5, 15)] for line in lines]
            self.assertEqual(numbers(table)[1:], numbers(english)[1:])
        # A Saturday holiday taken on the Friday before is no postponed holiday in French.
        for language, name in (("fr", "Jour de l'Indépendance (congé)"), ("es", "Día de la Independencia (se observa)")):
            rows = run("days", "2026", "--holidays", "us", "--language", language)[1].splitlines()
            friday = next(row.split(",") for row in rows if row.startswith("2026-07-03,"))
            self.assertEqual((friday[1], friday[5], friday[-1]),
                             ({"fr": "vendredi", "es": "viernes"}[language], {"fr": "juillet", "es": "julio"}[language], name))

    def test_bad_arguments_are_refused(self):
        for arguments, message in (
            ([], "days needs FIRST_YEAR"),
            (["1919"], "year 1919 is outside 1920 to 9999"),
            (["2026", "2025"], "LAST_YEAR 2025 is before FIRST_YEAR 2026"),
            (["2026", "2027", "2028"], "days takes FIRST_YEAR and LAST_YEAR only"),
            (["2026", "--csv"], 'unknown argument "--csv"'),
        ):
            refusal = (2, "", f"merivane-cli: {message} (try --help)\n")
            self.assertEqual(run("days", *arguments), refusal, arguments)


if __name__ == "__main__":
    unittest.main()
