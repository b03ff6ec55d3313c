"""merivane-cli date of today; cli_test holds every day of several years against the week table."""
import datetime
import json
import unittest

from cli_run import run


class DateCommand(unittest.TestCase):
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
