"""merivane-cli date, checked day by day against the week table of merivane-cli weeks."""
import calendar
import datetime
import json
import subprocess
import unittest

from cli_run import CLI, run


def iso(text):
    return datetime.date.fromisoformat(text)


class DateCommand(unittest.TestCase):
    def setUp(self):
        status, out, err = run("weeks", "2023", "2028", "--json")
        self.assertEqual((status, err), (0, ""))
        self.weeks = json.loads(out)
        self.week_of_monday = {iso(row["monday"]): row for row in self.weeks}
        # A broadcast month runs from the Monday of its first week to the Sunday of its last.
        self.month_bounds = {}
        for row in self.weeks:
            key = (row["year"], row["month"])
            monday = iso(row["monday"])
            first, last = self.month_bounds.get(key, (monday, monday))
            self.month_bounds[key] = (min(first, monday), max(last, monday + datetime.timedelta(6)))

    def test_every_day_of_2024_to_2027_agrees_with_the_week_table(self):
        days = []
        day = datetime.date(2024, 1, 1)
        while day <= datetime.date(2027, 12, 31):
            days.append(day)
            day += datetime.timedelta(1)
        self.assertEqual(len(days), 4 * 365 + 1)
        # One shell runs the program for every day, much quicker than a Python process start
        # each; the readable line is asked for every third day, which still meets every weekday.
        readable = days[::3]
        script = "".join(f'"$0" date {day} --json || echo "status $?"\n' for day in days)
        script += "".join(f'"$0" date {day} || echo "status $?"\n' for day in readable)
        done = subprocess.run(["/bin/sh", "-c", script, CLI], capture_output=True, text=True)
        self.assertEqual((done.returncode, done.stderr), (0, ""))
        lines = done.stdout.split("\n")
        self.assertEqual(lines.pop(), "")
        self.assertEqual(len(lines), len(days) + len(readable))
        lines_of_day = dict(zip(readable, lines[len(days) :]))
        for day, json_line in zip(days, lines):
            monday = day - datetime.timedelta(day.weekday())
            row = self.week_of_monday[monday]
            month_start, month_end = self.month_bounds[(row["year"], row["month"])]
            sunday = monday + datetime.timedelta(6)
            expected = {
                "date": day.isoformat(),
                "year": row["year"],
                "month": row["month"],
                "month_name": calendar.month_name[row["month"]],
                "week": row["week"],
                "quarter_week": row["quarter_week"],
                "week_start": monday.isoformat(),
                "week_end": sunday.isoformat(),
                "month_start": month_start.isoformat(),
                "month_end": month_end.isoformat(),
            }
            self.assertEqual(json.loads(json_line), expected, day)
            if day not in lines_of_day:
                continue
            self.assertEqual(
                lines_of_day[day],
                f"{day}: week {row['week']} ({row['quarter_week']}) of broadcast year "
                f"{row['year']}, {monday} to {sunday}; broadcast "
                f"{calendar.month_name[row['month']]} {row['year']}, {month_start} to "
                f"{month_end}",
                day,
            )

    def test_without_a_date_it_describes_today(self):
        # Run twice around the look-up in case midnight passes in between.
        for _ in range(2):
            before = datetime.date.today()
            status, out, err = run("date", "--json")
            if datetime.date.today() == before:
                break
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(json.loads(out)["date"], before.isoformat())
        self.assertEqual(out, run("date", before.isoformat(), "--json")[1])


if __name__ == "__main__":
    unittest.main()
