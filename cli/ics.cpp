// The iCalendar export (RFC 5545): one all-day event per broadcast month and, on request, one per
// broadcast week, streamed in large chunks so that any range of years takes the same memory.
#include "calendar/broadcast.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "common/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;
// Longest content line in octets, CRLF not counted; a continuation line starts with a blank.
constexpr std::size_t kLineOctets = 75;
constexpr const char* kStandardOutputName = "-";
// Event identifiers name the broadcast month or week, so a later export of any range gives
// the same event the same UID and a re-import updates it.
constexpr const char* kUidDomain = "@merivane";
constexpr const char* kMiddleDot = "\xC2\xB7";

// The export being written: standard output, or a file that takes its target's name only when
// complete. The first failure is kept and later output is dropped.
struct IcsOutput {
    bool toFile;
    int descriptor; // the stream written when not a file
    AtomicFile file;
    std::string path;
    std::string buffer;
    bool failed;
    std::string error;
};

IcsOutput output;

bool writeStream(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(output.descriptor, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void flushOutput() {
    if (output.failed || output.buffer.empty()) return;
    if (output.toFile) {
        std::string error;
        if (!writeAtomicFile(output.file, output.buffer.data(), output.buffer.size(), error)) {
            output.failed = true;
            output.error = "cannot write " + output.path + ": " + error;
        }
    } else if (!writeStream(output.buffer.data(), output.buffer.size())) {
        output.failed = true;
        output.error = "cannot write to " +
                       (output.path.empty() || output.path == kStandardOutputName
                            ? std::string("standard output")
                            : output.path) +
                       ": " + fileErrorText(errno);
    }
    output.buffer.clear();
}

void emit(std::string_view text) {
    output.buffer.append(text);
    if (output.buffer.size() >= kChunkSize) flushOutput();
}

bool isUtf8Continuation(char octet) {
    return (static_cast<unsigned char>(octet) & 0xC0) == 0x80;
}

// Folds the line into pieces of at most 75 octets, never inside a UTF-8 character, each
// continuation starting with one blank.
void contentLine(std::string_view line) {
    std::size_t limit = kLineOctets;
    while (line.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && isUtf8Continuation(line[cut]))
            --cut;
        if (cut == 0) cut = limit; // not UTF-8 after all: fold at the limit
        emit(line.substr(0, cut));
        emit("\r\n ");
        line.remove_prefix(cut);
        limit = kLineOctets - 1;
    }
    emit(line);
    emit("\r\n");
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

// A DATE value, YYYYMMDD.
std::string icsDate(DateNumber date) {
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return text;
}

// "Monday 26 October 2026".
std::string longDate(DateNumber date) {
    int month = 0, day = 0, year = 0;
    calendarDate(date, month, day, year);
    return std::string(kWeekdayNames[weekdayNumber(date)]) + " " + std::to_string(day) + " " +
           kMonthNames[month] + " " + std::to_string(year);
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
void writeEvent(const std::string& uid, const std::string& stamp, DateNumber first, DateNumber last,
                const std::string& summary, const std::string& description) {
    contentLine("BEGIN:VEVENT");
    contentLine("UID:" + uid + kUidDomain);
    contentLine("DTSTAMP:" + stamp);
    contentLine("DTSTART;VALUE=DATE:" + icsDate(first));
    contentLine("DTEND;VALUE=DATE:" + icsDate(last + 1));
    contentLine("SUMMARY:" + escapedText(summary));
    contentLine("DESCRIPTION:" + escapedText(description));
    // Billing periods are background information, never busy time.
    contentLine("TRANSP:TRANSPARENT");
    contentLine("END:VEVENT");
}

// The events of broadcast month m of the year the table describes, and its weeks on request.
void writeMonth(int year, int month, bool weeks, const std::string& stamp) {
    const DateNumber start = global::broadcastYear.monthStart[month];
    const DateNumber end = global::broadcastYear.monthEnd[month];
    const DateNumber lastMonday = end - 6;
    const int weekCount = weeksInTableMonth(month);
    const std::string monthName = std::string(kMonthNames[month]) + " " + std::to_string(year);
    char uid[48];
    std::snprintf(uid, sizeof uid, "broadcast-month-%04d-%02d", year, month);
    writeEvent(uid, stamp, start, end,
               "Broadcast " + monthName + " (" + std::to_string(weekCount) + " weeks)",
               longDate(start) + " to " + longDate(end) + ": broadcast weeks " +
                   std::to_string(weekNumber(start)) + " to " +
                   std::to_string(weekNumber(lastMonday)) + " of " + std::to_string(year) + ", " +
                   quarterLabel(month, start) + " to " + quarterLabel(month, lastMonday));
    if (!weeks) return;
    for (DateNumber monday = start; monday < end; monday += 7) {
        const int week = weekNumber(monday);
        std::snprintf(uid, sizeof uid, "broadcast-week-%04d-%02d", year, week);
        writeEvent(uid, stamp, monday, monday + 6,
                   "Broadcast week " + std::to_string(week) + " " + kMiddleDot + " " +
                       quarterLabel(month, monday),
                   "Week " + std::to_string(week) + " of broadcast year " + std::to_string(year) +
                       ", in broadcast " + monthName);
    }
}

void writeCalendar(int firstYear, int lastYear, bool weeks) {
    std::string name = "Broadcast Calendar " + std::to_string(firstYear);
    if (lastYear != firstYear) name += "-" + std::to_string(lastYear);
    contentLine("BEGIN:VCALENDAR");
    contentLine("VERSION:2.0");
    contentLine("PRODID:-//Merivane//Broadcast Calendar//EN");
    contentLine("CALSCALE:GREGORIAN");
    contentLine("METHOD:PUBLISH");
    contentLine("NAME:" + escapedText(name));
    contentLine("X-WR-CALNAME:" + escapedText(name));
    const std::string stamp = timeStamp();
    for (int year = firstYear; year <= lastYear && !output.failed; ++year) {
        computeBroadcastYear(year);
        for (int month = 1; month <= 12; ++month)
            writeMonth(year, month, weeks, stamp);
    }
    contentLine("END:VCALENDAR");
    flushOutput();
}

} // namespace

int runIcsCommand(int argc, char** argv) {
    std::vector<std::string> years;
    std::string path;
    bool weeks = false;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string value;
        bool missing = false;
        if (optionValue(argc, argv, i, "--output", value, missing)) {
            if (missing) return usageError("--output needs a value");
            if (value.empty()) return usageError("--output needs a file name");
            path = value;
        } else if (argument == "--weeks") {
            weeks = true;
        } else if (argument.rfind("-", 0) == 0) {
            return usageError("unknown argument \"" + argument + "\"");
        } else {
            years.push_back(argument);
        }
    }
    if (years.empty()) return usageError("ics needs FIRST_YEAR");
    if (years.size() > 2) return usageError("ics takes FIRST_YEAR and LAST_YEAR only");
    int firstYear = 0, lastYear = 0;
    std::string problem;
    if (!parseYearRange(years[0], years.size() == 2 ? years[1] : "", firstYear, lastYear, problem))
        return usageError(problem);

    output = {};
    output.buffer.reserve(kChunkSize + kChunkSize / 4);
    output.descriptor =
        path.empty() || path == kStandardOutputName ? STDOUT_FILENO : ownStreamDescriptor(path);
    output.toFile = output.descriptor < 0;
    if (!output.toFile && fcntl(output.descriptor, F_GETFL) < 0)
        return fail(kExitUsage, "cannot write " + path + ": it is not open");
    output.path = path;
    output.file.descriptor = -1;
    if (output.toFile && !beginAtomicFile(output.file, path, problem))
        return fail(kExitUsage, "cannot write " + path + ": " + problem);

    writeCalendar(firstYear, lastYear, weeks);
    if (output.failed) {
        if (output.toFile) abandonAtomicFile(output.file);
        return fail(kExitFailure, output.error);
    }
    if (!output.toFile) return 0;
    if (!commitAtomicFile(output.file, problem))
        return fail(kExitFailure, "cannot write " + path + ": " + problem);
    std::printf("%s\n", path.c_str());
    return std::fflush(stdout) == 0 ? 0 : fail(kExitFailure, "cannot write to standard output");
}
