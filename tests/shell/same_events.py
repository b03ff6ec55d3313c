"""Exits 0 when two iCalendar files hold the same calendar name and events (DTSTAMP aside)."""
import sys

import icalendar

FIELDS = ("UID", "DTSTART", "DTEND", "SUMMARY", "DESCRIPTION", "TRANSP")


def content(path):
    with open(path, "rb") as file:
        calendar = icalendar.Calendar.from_ical(file.read())
    events = sorted(
        tuple(str(event.get(field).to_ical(), "utf-8") if hasattr(event.get(field), "to_ical")
              else str(event.get(field)) for field in FIELDS)
        for event in calendar.walk("VEVENT"))
    return str(calendar.get("X-WR-CALNAME")), events


window, command_line = content(sys.argv[1]), content(sys.argv[2])
print(f"{len(window[1])} and {len(command_line[1])} events")
sys.exit(0 if window == command_line and window[1] else 1)
