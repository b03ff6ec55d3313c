// The iCalendar export, streamed in large chunks so that any range of years takes the same memory.
#include "calendar/ics.h"

#include "calendar/broadcast.h"
#include "calendar/holidays.h"
#include "common/atomic_file.h"

#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;
// Longest content line in octets, CRLF not counted; a continuation line starts with a blank.
constexpr std::size_t kLineOctets = 75;
// Event identifiers name the broadcast month or week, so a later export of any range gives
// the same event the same UID and a re-import updates it.
constexpr const char* kUidDomain = "@merivane";

// The export being written: text gathers here and goes to the sink a chunk at a time. After the
// sink has refused one, later text is dropped.
struct IcsWriter {
    IcsSink sink;
    void* context;
    std::string buffer;
    bool failed;
    Language language; // of the events' titles
};

void flush(IcsWriter& writer) {
    if (writer.failed || writer.buffer.empty()) return;
    if (!writer.sink(writer.buffer.data(), writer.buffer.size(), writer.context))
        writer.failed = true;
    writer.buffer.clear();
}

bool isUtf8Continuation(char octet) {
    return (static_cast<unsigned char>(octet) & 0xC0) == 0x80;
}

void contentLine(IcsWriter& writer, std::string_view line) {
    appendContentLine(writer.buffer, line);
    if (writer.buffer.size() >= kChunkSize) flush(writer);
}

// A TEXT value: backslash, semicolon, comma and line breaks are escaped.
std::string escapedText(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\\' || c == ';' || c == ',') escaped += '\\';
        if (c == '\n') {
            escaped += "\\n";
            continue;
        }
        escaped += c;
    }
    return escaped;
}

// The moment of the export in UTC, YYYYMMDDTHHMMSSZ.
std::string timeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

// An all-day event from first to last, both included; DTEND is the day after last.
void writeEvent(IcsWriter& writer, const std::string& uid, const std::string& stamp,
                DateNumber first, DateNumber last, const std::string& summary,
                const std::string& description) {
    contentLine(writer, "BEGIN:VEVENT");
    contentLine(writer, "UID:" + uid + kUidDomain);
    contentLine(writer, "DTSTAMP:" + stamp);
    // DATE values are written YYYYMMDD.
    contentLine(writer, "DTSTART;VALUE=DATE:" + isoDateText(first, ""));
    contentLine(writer, "DTEND;VALUE=DATE:" + isoDateText(last + 1, ""));
    contentLine(writer, "SUMMARY:" + escapedText(summary));
    contentLine(writer, "DESCRIPTION:" + escapedText(description));
    // Billing periods are background information, never busy time.
    contentLine(writer, "TRANSP:TRANSPARENT");
    contentLine(writer, "END:VEVENT");
}

// The events of broadcast month m of the year the table describes, and its weeks on request.
void writeMonth(IcsWriter& writer, const BroadcastYearTable& table, int year, int month, bool weeks,
                const std::string& stamp) {
    const DateNumber start = table.monthStart[month];
    const DateNumber end = table.monthEnd[month];
    const DateNumber lastMonday = end - 6;
    const int weekCount = weeksInTableMonth(table, month);
    const std::string monthName = std::string(kMonthNames[month]) + " " + std::to_string(year);
    char uid[48];
    std::snprintf(uid, sizeof uid, "broadcast-month-%04d-%02d", year, month);
    const std::string title = fillIn(translateIn(writer.language, "Broadcast %1 %2 (%3 weeks)"),
                                     {translateIn(writer.language, kMonthNames[month]),
                                      std::to_string(year), std::to_string(weekCount)});
    writeEvent(writer, uid, stamp, start, end, title,
               longDateText(start) + " to " + longDateText(end) + ": broadcast weeks " +
                   std::to_string(weekNumber(table, start)) + " to " +
                   std::to_string(weekNumber(table, lastMonday)) + " of " + std::to_string(year) +
                   ", " + quarterLabel(table, month, start) + " to " +
                   quarterLabel(table, month, lastMonday));
    if (!weeks) return;
    for (DateNumber monday = start; monday < end; monday += 7) {
        const int week = weekNumber(table, monday);
        std::snprintf(uid, sizeof uid, "broadcast-week-%04d-%02d", year, week);
        writeEvent(writer, uid, stamp, monday, monday + 6,
                   fillIn(translateIn(writer.language, "Broadcast week %1 · %2"),
                          {std::to_string(week), quarterLabel(table, month, monday)}),
                   "Week " + std::to_string(week) + " of broadcast year " + std::to_string(year) +
                       ", in broadcast " + monthName);
    }
}

// One event per holiday of the country whose date in law falls in the broadcast year the table
// describes; the day observed in its place is named in the description.
void writeHolidays(IcsWriter& writer, const BroadcastYearTable& table, int country,
                   const std::string& stamp) {
    const DateNumber first = table.firstDay;
    const DateNumber last = table.monthEnd[12];
    int month = 0, day = 0, year = 0;
    calendarDate(first, month, day, year);
    for (int holidayYear = year; holidayYear <= year + 1; ++holidayYear) {
        for (const Holiday& holiday : holidaysOfYear(country, holidayYear)) {
            if (holiday.date < first || holiday.date > last) continue;
            std::string description = std::string(holiday.name) + ", a public holiday in " +
                                      (country == UnitedStatesHolidays ? "the " : "") +
                                      holidayCountryName(country);
            if (holiday.observed != holiday.date)
                description += "; observed on " + longDateText(holiday.observed);
            writeEvent(writer,
                       std::string("holiday-") + holidayCountryCode(country) + "-" +
                           std::to_string(holidayYear) + "-" + holiday.key,
                       stamp, holiday.date, holiday.date,
                       translateIn(writer.language, holiday.name), description);
        }
    }
}

// Hands written chunks to the file that replaces the target when complete.
struct IcsFileSink {
    AtomicFile* file;
    std::string* error;
};

bool writeToFile(const char* data, std::size_t size, void* context) {
    auto* target = static_cast<IcsFileSink*>(context);
    return writeAtomicFile(*target->file, data, size, *target->error);
}

} // namespace

std::string broadcastIcsName(int firstYear, int lastYear) {
    std::string name = "Broadcast Calendar " + std::to_string(firstYear);
    if (lastYear != firstYear) name += "-" + std::to_string(lastYear);
    return name;
}

bool writeBroadcastIcs(int firstYear, int lastYear, bool weeks, int holidays, IcsSink sink,
                       void* context, Language language) {
    IcsWriter writer{sink, context, {}, false, language};
    writer.buffer.reserve(kChunkSize + kChunkSize / 4);
    const std::string name = broadcastIcsName(firstYear, lastYear);
    contentLine(writer, "BEGIN:VCALENDAR");
    contentLine(writer, "VERSION:2.0");
    contentLine(writer, "PRODID:-//Merivane//Broadcast Calendar//EN");
    contentLine(writer, "CALSCALE:GREGORIAN");
    contentLine(writer, "METHOD:PUBLISH");
    contentLine(writer, "NAME:" + escapedText(name));
    contentLine(writer, "X-WR-CALNAME:" + escapedText(name));
    const std::string stamp = timeStamp();
    for (int year = firstYear; year <= lastYear && !writer.failed; ++year) {
        const BroadcastYearTable table = broadcastYearTable(year);
        for (int month = 1; month <= 12; ++month)
            writeMonth(writer, table, year, month, weeks, stamp);
        writeHolidays(writer, table, holidays, stamp);
    }
    contentLine(writer, "END:VCALENDAR");
    flush(writer);
    return !writer.failed;
}

IcsFileResult writeBroadcastIcsFile(const std::string& path, int firstYear, int lastYear,
                                    bool weeks, int holidays, std::string& error,
                                    Language language) {
    AtomicFile file{-1, {}, {}};
    if (!beginAtomicFile(file, path, error)) return IcsFileResult::Refused;
    IcsFileSink target{&file, &error};
    if (!writeBroadcastIcs(firstYear, lastYear, weeks, holidays, writeToFile, &target, language)) {
        abandonAtomicFile(file);
        return IcsFileResult::Failed;
    }
    if (!commitAtomicFile(file, error)) return IcsFileResult::Failed;
    return IcsFileResult::Written;
}

// Folds the line into pieces of at most 75 octets, never inside a UTF-8 character, each
// continuation starting with one blank.
void appendContentLine(std::string& out, std::string_view line) {
    std::size_t limit = kLineOctets;
    while (line.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && isUtf8Continuation(line[cut]))
            --cut;
        if (cut == 0) cut = limit; // not UTF-8 after all: fold at the limit
        out.append(line.substr(0, cut));
        out.append("\r\n ");
        line.remove_prefix(cut);
        limit = kLineOctets - 1;
    }
    out.append(line);
    out.append("\r\n");
}
