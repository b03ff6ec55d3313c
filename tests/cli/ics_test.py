"""merivane-cli ics read back with python3-icalendar and checked against merivane-cli weeks."""
import calendar
import collections
import datetime
import json
import os
import subprocess
import sys
import tempfile
import unittest

import icalendar

CLI = sys.argv.pop(1) if len(sys.argv) > 1 else "merivane-cli"
YEARS = (1920, 2024, 2026, 9999)
LINE_OCTETS = 75


def run(*arguments, folder=None):
    done = subprocess.run([CLI, *arguments], capture_output=True, cwd=folder, check=False)
    return done.returncode, done.stdout, done.stderr.decode()


def long_date(day):
    return f"{day:%A} {day.day} {calendar.month_name[day.month]} {day.year}"


def expected_events(first_year, last_year, weeks):
    """(start, end, summary, description) of every event, worked out from the week table."""
    status, out, err = run("weeks", str(first_year), str(last_year), "--json")
    assert (status, err) == (0, ""), err
    months = collections.defaultdict(list)
    events = []
    for row in json.loads(out):
        row["monday"] = datetime.date.fromisoformat(row["monday"])
        months[(row["year"], row["month"])].append(row)
        if weeks:
            name = f"{calendar.month_name[row['month']]} {row['year']}"
            events.append(
                (
                    row["monday"],
                    row["monday"] + datetime.timedelta(7),
                    f"Broadcast week {row['week']} \u00b7 {row['quarter_week']}",
                    f"Week {row['week']} of broadcast year {row['year']}, in broadcast {name}",
                )
            )
    for (year, month), rows in months.items():
        first, last = rows[0], rows[-1]
        sunday = last["monday"] + datetime.timedelta(6)
        events.append(
            (
                first["monday"],
                sunday + datetime.timedelta(1),
                f"Broadcast {calendar.month_name[month]} {year} ({len(rows)} weeks)",
                f"{long_date(first['monday'])} to {long_date(sunday)}: broadcast weeks "
                f"{first['week']} to {last['week']} of {year}, {first['quarter_week']} to "
                f"{last['quarter_week']}",
            )
        )
    return sorted(events)


class IcsExport(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def export(self, *arguments):
        """Exports into a file and returns its bytes."""
        path = os.path.join(self.folder.name, "export.ics")
        status, out, err = run("ics", *arguments, "--output", path)
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(out.decode(), path + "\n")
        with open(path, "rb") as f:
            return f.read()

    def check_raw_lines(self, data):
        """CRLF line ends, lines of at most 75 octets, folds that never split a character."""
        self.assertTrue(data.endswith(b"\r\n"))
        lines = data[:-2].split(b"\r\n")
        for line in lines:
            self.assertNotIn(b"\n", line)
            self.assertNotIn(b"\r", line)
            self.assertLessEqual(len(line), LINE_OCTETS, line)
            line.decode("utf-8")
        self.assertTrue(any(line.startswith(b" ") for line in lines), "nothing was folded")

    def events_of(self, data):
        """Parses the file; returns its calendar and its events by UID."""
        cal = icalendar.Calendar.from_ical(data)
        self.assertEqual(cal.errors, [])
        self.assertEqual(str(cal["VERSION"]), "2.0")
        self.assertTrue(str(cal["PRODID"]))
        events = {}
        stamp_limit = datetime.datetime.now(datetime.timezone.utc) + datetime.timedelta(minutes=1)
        for event in cal.walk("VEVENT"):
            self.assertEqual(event.errors, [])
            uid = str(event["UID"])
            self.assertNotIn(uid, events, "UIDs are not unique")
            start, end = event.decoded("DTSTART"), event.decoded("DTEND")
            # All-day events carry dates, not times.
            self.assertIs(type(start), datetime.date)
            self.assertIs(type(end), datetime.date)
            stamp = event.decoded("DTSTAMP")
            self.assertEqual(stamp.utcoffset(), datetime.timedelta(0))
            self.assertLess(stamp, stamp_limit)
            self.assertEqual(str(event["TRANSP"]), "TRANSPARENT")
            events[uid] = (start, end, str(event["SUMMARY"]), str(event["DESCRIPTION"]))
        return cal, events

    def test_every_event_matches_the_week_table(self):
        for year in YEARS:
            with self.subTest(year=year):
                data = self.export(str(year), "--weeks")
                self.check_raw_lines(data)
                cal, events = self.events_of(data)
                self.assertEqual(str(cal["X-WR-CALNAME"]), f"Broadcast Calendar {year}")
                self.assertEqual(sorted(events.values()), expected_events(year, year, True))

    def test_months_only_without_weeks(self):
        cal, events = self.events_of(self.export("2024", "2026"))
        self.assertEqual(str(cal["NAME"]), "Broadcast Calendar 2024-2026")
        self.assertEqual(len(events), 36)
        self.assertEqual(sorted(events.values()), expected_events(2024, 2026, False))

    def test_the_same_event_keeps_its_uid_in_every_export(self):
        _, first = self.events_of(self.export("2024", "--weeks"))
        status, out, err = run("ics", "2024", "--weeks")
        self.assertEqual((status, err), (0, ""))
        _, second = self.events_of(out)
        self.assertEqual(second, first)
        # A longer range holds the same events under the same UIDs.
        _, longer = self.events_of(self.export("2023", "2025", "--weeks"))
        self.assertEqual({uid: longer[uid] for uid in first}, first)
        self.assertEqual(len(longer), len(expected_events(2023, 2025, True)))

    def test_holidays_add_one_event_each_with_the_observed_day_named(self):
        data = self.export("2022", "--holidays", "us")
        # A comma in a name is escaped, or a calendar program reads a list of two texts.
        self.assertIn(b"SUMMARY:Birthday of Martin Luther King\\, Jr.\r\n", data)
        _, events = self.events_of(data)
        holidays = {uid: event for uid, event in events.items() if uid.startswith("holiday-")}
        self.assertEqual(len(events) - len(holidays), 12)
        self.assertEqual(len(holidays), 11)
        new_year = holidays["holiday-us-2022-new-year@merivane"]
        self.assertEqual(new_year[:3], (datetime.date(2022, 1, 1), datetime.date(2022, 1, 2),
                                        "New Year's Day"))
        self.assertIn("observed on Friday 31 December 2021", new_year[3])
        _, canada = self.events_of(self.export("2023", "--holidays", "CA"))
        self.assertIn("holiday-ca-2022-boxing@merivane", canada)
        # Titles in another language, the same events under the same UIDs.
        for language, titles in (
            ("fr", {"holiday-ca-2022-boxing": "Lendemain de Noël", "broadcast-month-2023-10": "Octobre 2023 (radiodiffusion, 5 semaines)",
                    "broadcast-week-2023-45": "Semaine de radiodiffusion 45 · 4T06"}),
            ("es", {"holiday-ca-2022-boxing": "Día de San Esteban", "broadcast-month-2023-10": "Octubre de 2023 (radiodifusión, 5 semanas)",
                    "broadcast-week-2023-45": "Semana de radiodifusión 45 · 4T06"}),
        ):
            calendar, translated = self.events_of(self.export("2023", "--holidays", "ca", "--weeks", "--language", language))
            self.assertEqual({uid: translated[uid + "@merivane"][2] for uid in titles}, titles)
            self.assertEqual(str(calendar["NAME"]), {"fr": "Calendrier de radiodiffusion 2023",
                                                     "es": "Calendario de radiodifusión 2023"}[language])
            # Standard output carries the same titles as the file.
            status, out, err = run("ics", "2023", "--holidays", "ca", "--weeks", "--language", language)
            self.assertEqual((status, err), (0, ""))
            self.assertEqual({uid: self.events_of(out)[1][uid + "@merivane"][2] for uid in titles}, titles)
            self.assertEqual(translated.keys() - canada.keys(), {uid for uid in translated if "-week-" in uid})
        # Descriptions in the language too, the day observed in place of a holiday with them.
        descriptions = (
            ("fr", "us", "2022", "holiday-us-2022-new-year", "Jour de l'An, jour férié aux États-Unis; congé le vendredi 31 décembre 2021"),
            ("es", "us", "2022", "holiday-us-2022-new-year", "Año Nuevo, día festivo en los Estados Unidos; se observa el viernes 31 de diciembre de 2021"),
            ("fr", "ca", "2026", "holiday-ca-2026-boxing", "Lendemain de Noël, jour férié au Canada; congé le lundi 28 décembre 2026"),
            ("fr", "us", "2026", "broadcast-month-2026-06",
             "Du lundi 1er juin 2026 au dimanche 28 juin 2026\u00a0: semaines de radiodiffusion 23 à 26 de 2026, de 2T10 à 2T13"),
            ("es", "us", "2026", "broadcast-month-2026-06",
             "Del lunes 1 de junio de 2026 al domingo 28 de junio de 2026: semanas de radiodifusión 23 a 26 de 2026, de 2T10 a 2T13"),
        )
        for language, country, year, uid, description in descriptions:
            _, translated = self.events_of(self.export(year, "--holidays", country, "--language", language))
            self.assertEqual(translated[uid + "@merivane"][3], description)
        for command in (["ics", "2022"], ["pdf", "--style", "year", "--year", "2022"]):
            status, out, err = run(*command, "--holidays", "uk")
            self.assertEqual((status, out), (2, b""))
            self.assertIn('unknown holiday country "uk"; use us, ca or none', err)

    def test_an_earlier_export_is_replaced_whole_and_nothing_else_is_left(self):
        path = os.path.join(self.folder.name, "export.ics")
        with open(path, "w") as f:
            f.write("earlier export")
        fresh = self.export("2026", "--weeks")
        status, out, err = run("ics", "2026", "--weeks", "--output", "-")
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(self.events_of(fresh)[1], self.events_of(out)[1])
        self.assertEqual(os.listdir(self.folder.name), ["export.ics"])

    def test_a_full_disk_keeps_the_earlier_export_and_leaves_nothing_else(self):
        disk = os.path.join(self.folder.name, "disk")
        os.mkdir(disk)
        mount = ["mount", "-t", "tmpfs", "-o", "size=1m", "tmpfs", disk]
        if subprocess.run(mount, capture_output=True, check=False).returncode != 0:
            self.skipTest("mounting a small tmpfs is not allowed here")
        self.addCleanup(subprocess.run, ["umount", disk], check=False)
        path = os.path.join(disk, "broadcast.ics")
        status, out, err = run("ics", "2026", "--output", path)
        self.assertEqual((status, err), (0, ""))
        with open(path, "rb") as f:
            earlier = f.read()
        status, out, err = run("ics", "1920", "9999", "--weeks", "--output", path)
        self.assertEqual((status, out), (1, b""))
        self.assertEqual(err, f"merivane-cli: cannot write {path}: the disk is full\n")
        with open(path, "rb") as f:
            self.assertEqual(f.read(), earlier)
        self.assertEqual(os.listdir(disk), ["broadcast.ics"])

    def test_a_failing_standard_output_is_reported(self):
        with open("/dev/full", "wb") as full:
            done = subprocess.run(
                [CLI, "ics", "2026", "--weeks"], stdout=full, stderr=subprocess.PIPE, check=False
            )
        self.assertEqual(done.returncode, 1)
        self.assertEqual(
            done.stderr.decode(), "merivane-cli: cannot write to standard output: the disk is full\n"
        )


if __name__ == "__main__":
    unittest.main()
