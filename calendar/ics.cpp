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
    const Language language = writer.language;
    char uid[48];
    std::snprintf(uid, sizeof uid, "broadcast-month-%04d-%02d", year, month);
    const auto weeksCounted = static_cast<unsigned long>(weekCount);
    // TRANSLATORS: a broadcast month's event: %1 its name, %2 the year, %3 its weeks (4 or 5).
    const char* titleFormat = translatePlural(language, "Broadcast %1 %2 (%3 week)",
                                              "Broadcast %1 %2 (%3 weeks)", weeksCounted);
    const std::string title =
        fillIn(titleFormat, {translateIn(language, kMonthNames[month]), std::to_string(year),
                             std::to_string(weekCount)});
    const char* format =
        // TRANSLATORS: %1 and %2 the month's first and last days, %3 and %4 its first and last
        // broadcast weeks, %5 the broadcast year, %6 and %7 the quarter weeks of those weeks.
        translateIn(language, "%1 to %2: broadcast weeks %3 to %4 of %5, %6 to %7");
    const std::string description =
        fillIn(format, {longDateIn(start, language), longDateIn(end, language),
                        std::to_string(weekNumber(table, start)),
                        std::to_string(weekNumber(table, lastMonday)), std::to_string(year),
                        quarterLabelIn(quarterLabel(table, month, start), language),
                        quarterLabelIn(quarterLabel(table, month, lastMonday), language)});
    writeEvent(writer, uid, stamp, start, end, title, description);
    if (!weeks) return;
    for (DateNumber monday = start; monday < end; monday += 7) {
        const int week = weekNumber(table, monday);
        const std::string quarterWeek =
            quarterLabelIn(quarterLabel(table, month, monday), language);
        std::snprintf(uid, sizeof uid, "broadcast-week-%04d-%02d", year, week);
        const char* format =
            // TRANSLATORS: %1 the week's number, %2 the broadcast year, %3 the month's name in
            // running text.
            translateIn(language, "Week %1 of broadcast year %2, in broadcast %3 %2");
        writeEvent(writer, uid, stamp, monday, monday + 6,
                   fillIn(translateIn(language, "Broadcast week %1 · %2"),
                          {std::to_string(week), quarterWeek}),
                   fillIn(format, {std::to_string(week), std::to_string(year),
                                   monthNameInText(month, language)}));
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
            const char* name = holidayNameIn(holiday, country, writer.language);
            // TRANSLATORS: %1 the holiday's name.
            const char* inCountry = translateIn(writer.language, "%1, a public holiday in Canada");
            if (country == UnitedStatesHolidays)
                // TRANSLATORS: %1 the holiday's name.
                inCountry =
                    translateIn(writer.language, "%1, a public holiday in the United States");
            std::string description = fillIn(inCountry, {name});
            // TRANSLATORS: %1 the sentence before, %2 the date of the day observed instead.
            const char* observed = translateIn(writer.language, "%1; observed on %2");
            if (holiday.observed != holiday.date)
                description =
                    fillIn(observed, {description, longDateIn(holiday.observed, writer.language)});
            writeEvent(writer,
                       std::string("holiday-") + holidayCountryCode(country) + "-" +
                           std::to_string(holidayYear) + "-" + holiday.key,
                       stamp, holiday.date, holiday.date, name, description);
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

std::string broadcastIcsName(int firstYear, int lastYear, Language language) {
    std::string years = std::to_string(firstYear);
    if (lastYear != firstYear) years += "-" + std::to_string(lastYear);
    // TRANSLATORS: the calendar's name in calendar programs and its proposed file name; %1 the
    // years, "2026" or "2026-2027".
    return fillIn(translateIn(language, "Broadcast Calendar %1"), {years});
}

bool writeBroadcastIcs(int firstYear, int lastYear, bool weeks, int holidays, IcsSink sink,
                       void* context, Language language) {
    IcsWriter writer{sink, context, {}, false, language};
    writer.buffer.reserve(kChunkSize + kChunkSize / 4);
    const std::string name = broadcastIcsName(firstYear, lastYear, language);
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
