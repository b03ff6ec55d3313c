// The date table: every day of a range of broadcast years with its place in the broadcast
// calendar, for joining day-level data to broadcast periods in a spreadsheet or database.
#include "cli/days.h"

#include "calendar/broadcast.h"
#include "calendar/holidays.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "common/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

// Rows collect in the buffer and go out a chunk at a time; after the first failed write the rest
// of the table is dropped.
struct TableOutput {
    int descriptor;
    bool json;
    bool header;       // the CSV header row: every column writes its name instead of a value
    bool firstColumn;  // no separator before the next column
    int holidays;      // the country whose holidays fill the holiday column; none: no column
    Language language; // of the names of months, weekdays and holidays
    std::string monthNames[13];
    std::string weekdayNames[8];
    bool failed;
    int errorNumber;
    std::size_t used;
    char buffer[kChunkSize];
};

void flush(TableOutput& out) {
    const char* data = out.buffer;
    std::size_t size = out.used;
    out.used = 0;
    while (size > 0 && !out.failed) {
        const ssize_t written = write(out.descriptor, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            out.failed = true;
            out.errorNumber = written < 0 ? errno : ENOSPC;
            return;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void put(TableOutput& out, std::string_view text) {
    while (!text.empty()) {
        if (out.used == sizeof out.buffer) flush(out);
        const std::size_t count = std::min(text.size(), sizeof out.buffer - out.used);
        std::memcpy(out.buffer + out.used, text.data(), count);
        out.used += count;
        text.remove_prefix(count);
    }
}

// Starts a column: its name in the header row, its key in a JSON object. False when the column
// has no value to write (the header row).
bool beginColumn(TableOutput& out, std::string_view name) {
    if (!out.firstColumn) put(out, ",");
    out.firstColumn = false;
    if (out.header) {
        put(out, name);
        return false;
    }
    if (out.json) {
        put(out, "\"");
        put(out, name);
        put(out, "\":");
    }
    return true;
}

void numberColumn(TableOutput& out, std::string_view name, int value) {
    if (!beginColumn(out, name)) return;
    char text[16];
    const auto result = std::to_chars(text, text + sizeof text, value);
    put(out, std::string_view(text, static_cast<std::size_t>(result.ptr - text)));
}

void dateColumn(TableOutput& out, std::string_view name, DateNumber date) {
    if (!beginColumn(out, name)) return;
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    // Years stay within four digits: the program's years end at 9999.
    char text[12] = {'"',
                     static_cast<char>('0' + year / 1000 % 10),
                     static_cast<char>('0' + year / 100 % 10),
                     static_cast<char>('0' + year / 10 % 10),
                     static_cast<char>('0' + year % 10),
                     '-',
                     static_cast<char>('0' + month / 10),
                     static_cast<char>('0' + month % 10),
                     '-',
                     static_cast<char>('0' + day / 10),
                     static_cast<char>('0' + day % 10),
                     '"'};
    put(out, out.json ? std::string_view(text, 12) : std::string_view(text + 1, 10));
}

// CSV quotes a value holding a comma, quote or line break, doubling its quotes; JSON always
// quotes and escapes.
void textColumn(TableOutput& out, std::string_view name, std::string_view text) {
    if (!beginColumn(out, name)) return;
    const bool plain = std::none_of(text.begin(), text.end(), [](char c) {
        return c == '"' || c == '\\' || c == ',' || static_cast<unsigned char>(c) < 0x20;
    });
    if (plain) {
        if (out.json) put(out, "\"");
        put(out, text);
        if (out.json) put(out, "\"");
        return;
    }
    put(out, "\"");
    for (const char c : text) {
        const unsigned char code = static_cast<unsigned char>(c);
        if (out.json && (c == '"' || c == '\\')) {
            put(out, "\\");
        } else if (out.json && code < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", code);
            put(out, escaped);
            continue;
        } else if (c == '"') {
            put(out, "\"");
        }
        put(out, std::string_view(&c, 1));
    }
    put(out, "\"");
}

// One day and where it falls. A new column is one more field here and one more line in
// writeRow, which writes the header row too.
struct DayRow {
    DateNumber date;
    int year;  // broadcast year
    int month; // broadcast month, 1 to 12
    int week;  // 1 to 53
    std::string_view quarterWeek;
    DateNumber yearStart, monthStart, monthEnd, weekStart;
    std::string_view holiday; // the names of the day's holidays, "; " between two
};

void writeRow(TableOutput& out, const DayRow& row) {
    out.firstColumn = true;
    if (out.json) put(out, "{");
    dateColumn(out, "date", row.date);
    textColumn(out, "weekday", out.weekdayNames[row.date - row.weekStart + 1]);
    numberColumn(out, "year", row.year);
    numberColumn(out, "quarter", (row.month + 2) / 3);
    numberColumn(out, "month", row.month);
    textColumn(out, "month_name", out.monthNames[row.month]);
    numberColumn(out, "week", row.week);
    textColumn(out, "quarter_week", row.quarterWeek);
    numberColumn(out, "day_of_week", row.date - row.weekStart + 1);
    numberColumn(out, "day_of_month", row.date - row.monthStart + 1);
    numberColumn(out, "day_of_year", row.date - row.yearStart + 1);
    dateColumn(out, "week_start", row.weekStart);
    dateColumn(out, "week_end", row.weekStart + 6);
    dateColumn(out, "month_start", row.monthStart);
    dateColumn(out, "month_end", row.monthEnd);
    if (out.holidays != NoHolidays) textColumn(out, "holiday", row.holiday);
    put(out, out.json ? "}" : "\n");
}

// The days of one broadcast year, week by week; the bounds are worked out here rather than taken
// from the program-wide table, so the walk depends on nothing but the year.
void writeYear(TableOutput& out, int year, bool& firstRow) {
    DateNumber monthStart[13] = {}, monthEnd[13] = {};
    for (int month = 1; month <= 12; ++month)
        broadcastMonthBounds(month, year, monthStart[month], monthEnd[month]);
    DayRow row{};
    row.year = year;
    row.yearStart = monthStart[1];
    const std::vector<HolidayMark> marks =
        holidayMarksBetween(out.holidays, monthStart[1], monthEnd[12], out.language);
    std::size_t nextMark = 0;
    std::string holiday;
    for (int month = 1; month <= 12 && !out.failed; ++month) {
        row.month = month;
        row.monthStart = monthStart[month];
        row.monthEnd = monthEnd[month];
        const int quarter = (month + 2) / 3;
        const DateNumber quarterStart = monthStart[3 * quarter - 2];
        for (DateNumber monday = row.monthStart; monday < row.monthEnd; monday += 7) {
            char quarterWeek[16];
            const int length = std::snprintf(quarterWeek, sizeof quarterWeek, "%dQ%02d", quarter,
                                             (monday - quarterStart) / 7 + 1);
            row.quarterWeek = std::string_view(quarterWeek, static_cast<std::size_t>(length));
            row.week = (monday - row.yearStart) / 7 + 1;
            row.weekStart = monday;
            for (row.date = monday; row.date <= monday + 6; ++row.date) {
                holiday.clear();
                for (; nextMark < marks.size() && marks[nextMark].day == row.date; ++nextMark)
                    holiday += (holiday.empty() ? "" : "; ") + marks[nextMark].label;
                row.holiday = holiday;
                if (out.json) put(out, firstRow ? "\n" : ",\n");
                firstRow = false;
                writeRow(out, row);
            }
        }
    }
}

} // namespace

bool writeDayTable(int firstYear, int lastYear, bool json, int holidays, int descriptor,
                   std::string& error, Language language) {
    std::vector<TableOutput> held(1);
    TableOutput& out = held[0];
    out.descriptor = descriptor;
    out.json = json;
    out.holidays = holidays;
    out.language = language;
    // Names as a sentence writes them ("mars", "lundi"), the same rule as date --json.
    for (int month = 1; month <= 12; ++month)
        out.monthNames[month] = monthNameInText(month, language);
    for (int weekday = Monday; weekday <= Sunday; ++weekday)
        out.weekdayNames[weekday] = translateIn(language, kWeekdayNames[weekday]);
    if (json) {
        put(out, "[");
    } else {
        out.header = true;
        writeRow(out, DayRow{});
        out.header = false;
    }
    bool firstRow = true;
    for (int year = firstYear; year <= lastYear && !out.failed; ++year)
        writeYear(out, year, firstRow);
    if (json) put(out, "\n]\n");
    flush(out);
    if (!out.failed) return true;
    error = fileErrorText(out.errorNumber);
    return false;
}

int runDaysCommand(int argc, char** argv) {
    YearRangeArguments given;
    if (const int status = parseYearRangeArguments(argc, argv, "days", "--json", false, given))
        return status;
    std::string problem;
    if (!writeDayTable(given.firstYear, given.lastYear, given.flag, given.holidays, STDOUT_FILENO,
                       problem, given.language))
        return fail(kExitFailure, "cannot write to standard output: " + problem);
    return 0;
}
