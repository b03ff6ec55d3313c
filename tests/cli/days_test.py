"""merivane-cli days read back whole and walked against merivane-cli date and weeks."""
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

COLUMNS = (
    "date,weekday,year,quarter,month,month_name,week,quarter_week,day_of_week,day_of_month,"
    "day_of_year,week_start,week_end,month_start,month_end"
).split(",")


def iso(text):
    return datetime.date.fromisoformat(text)


class DaysCommand(unittest.TestCase):
    def test_every_row_agrees_with_date_in_one_walk(self):
        status, out, err = run("days", "2023", "2026")
        json_status, json_out, json_err = run("days", "2023", "2026", "--json")
        self.assertEqual((status, err, json_status, json_err, json_out[:2]), (0, "", 0, "", "[\n"))
        reader = csv.reader(io.StringIO(out, newline=""))
        self.assertEqual(next(reader), COLUMNS)
        rows, objects = [dict(zip(COLUMNS, row)) for row in reader], json.loads(json_out)
        # Broadcast 2023 starts on Monday 26 December 2022 and 2026 ends on Sunday 27 December.
        first, last = datetime.date(2022, 12, 26), datetime.date(2026, 12, 27)
        days = [first + datetime.timedelta(n) for n in range((last - first).days + 1)]
        self.assertEqual((len(rows), len(objects)), (len(days), len(days)))
        # One shell runs date for every day, much quicker than a process start from here each.
        script = "".join(f'"$0" date {day} --json || echo "status $?"\n' for day in days)
        done = subprocess.run(["/bin/sh", "-c", script, CLI], capture_output=True, text=True)
        self.assertEqual((done.returncode, done.stderr), (0, ""))
        year_start = {}
        for day, row, obj, line in zip(days, rows, objects, done.stdout.splitlines()):
            expected = json.loads(line)
            year_start.setdefault(expected["year"], day)
            expected.update(
                weekday=calendar.day_name[day.weekday()],
                quarter=(expected["month"] + 2) // 3,
                day_of_week=day.weekday() + 1,
                day_of_month=(day - iso(expected["month_start"])).days + 1,
                day_of_year=(day - year_start[expected["year"]]).days + 1,
            )
            self.assertEqual(obj, expected, day)
            self.assertEqual(row, {key: str(value) for key, value in expected.items()}, day)
        # The walk ends on the last day of each year: 364 or 371 days, 2023 holding 53 weeks.
        lengths = {row["year"]: row["day_of_year"] for row in objects}
        self.assertEqual(lengths, {2023: 371, 2024: 364, 2025: 364, 2026: 364})

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
        status, out, err = run("days", "2022", "--holidays", "us")
        self.assertEqual((status, err), (0, ""))
        rows = list(csv.reader(io.StringIO(out, newline="")))
        self.assertEqual(rows[0], COLUMNS + ["holiday"])
        named = {row[0]: row[-1] for row in rows[1:] if row[-1]}
        self.assertEqual(len(named), 13)
        self.assertEqual(named["2021-12-31"], "New Year's Day (observed)")
        self.assertEqual(named["2022-06-20"], "Juneteenth National Independence Day (observed)")
        days = json.loads(run("days", "2023", "--json", "--holidays", "ca")[1])
        marked = {day["date"]: day["holiday"] for day in days}
        self.assertEqual(marked["2022-12-26"], "Christmas Day (observed); Boxing Day")
        self.assertEqual(marked["2022-12-28"], "")

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
