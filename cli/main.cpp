#include "calendar/broadcast.h"
#include "calendar/dates.h"
#include "common/atomic_file.h"
#include "render/generate.h"
#include "render/seam.h"

#include <charconv>
#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr const char* kProgramName = "merivane-cli";
// The output name that means standard output.
constexpr const char* kStandardOutputName = "-";

constexpr const char* kUsage =
    "Usage:\n"
    "  merivane-cli pdf --style STYLE --year YEAR [--month N | --all] [--quarters]\n"
    "                   [--output FILE]\n"
    "  merivane-cli weeks FIRST_YEAR [LAST_YEAR]\n"
    "  merivane-cli --help\n"
    "\n"
    "pdf    writes a standard broadcast calendar as a PDF file and prints its path.\n"
    "       STYLE is month, quarter, year, 3years, strip or planner (or 1 to 6).\n"
    "       YEAR is 1920 to 9999; for 3years it is the first of the three years.\n"
    "       --month N   month and quarter styles: only month N (a quarter page starts\n"
    "                   with it); --all (the default) prints every month or quarter.\n"
    "       --quarters  adds the quarter designation to week numbers.\n"
    "       --output    the file to write, or - for standard output; by default a\n"
    "                   descriptive name in the current folder, such as\n"
    "                   Broadcast-Year-2025.pdf. An existing file is replaced only\n"
    "                   when the new one is complete; one that is not a regular\n"
    "                   file or is read-only is refused.\n"
    "weeks  prints every broadcast week of the years as CSV:\n"
    "       monday,week,month,year,quarter_week\n"
    "\n"
    "Exit status: 0 done, 1 the file could not be made, 2 bad arguments or an\n"
    "unwritable output file.\n";

struct StyleName {
    const char* name;
    const char* fileWord;
    int style;
};

const StyleName kStyleNames[] = {
    {"month", "Month", Month},
    {"quarter", "Quarter", Quarter},
    {"year", "Year", Year},
    {"3years", "3Years", ThreeYears},
    {"strip", "Keyboard-Strip", KeyboardStrips},
    {"planner", "Planner", PlanningCalendar},
};

// Every failure is one line on standard error: control characters an argument brought in (a line
// break, an escape sequence) are shown as \xNN rather than acted on.
int fail(int status, const std::string& text) {
    std::string line;
    for (const char c : text) {
        const unsigned char code = static_cast<unsigned char>(c);
        if (code >= 0x20 && code != 0x7f) {
            line += c;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", code);
        line += escaped;
    }
    std::fprintf(stderr, "%s: %s\n", kProgramName, line.c_str());
    return status;
}

int usageError(const std::string& text) {
    return fail(kExitUsage, text + " (try --help)");
}

// Messages from rendering are marked-up blocks of several lines; here they become one line.
void printMessageLine(const std::string& title, const std::string& mainText,
                      const std::string& detailText) {
    std::string line = plainMessageText(title);
    for (const std::string& part : {mainText, detailText}) {
        const std::string text = plainMessageText(part);
        if (!text.empty()) line += (line.empty() ? "" : ": ") + text;
    }
    for (char& c : line)
        if (c == '\n') c = ' ';
    fail(kExitFailure, line);
}

// A whole argument of decimal digits and nothing else; no sign, blanks or trailing text.
bool parseWholeNumber(const std::string& text, int& value) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool parseYear(const std::string& text, int& year, std::string& problem) {
    if (!parseWholeNumber(text, year)) {
        problem = "year \"" + text + "\" is not a number";
        return false;
    }
    if (year < kFirstYear || year > kLastYear) {
        problem = "year " + text + " is outside " + std::to_string(kFirstYear) + " to " +
                  std::to_string(kLastYear);
        return false;
    }
    return true;
}

const StyleName* findStyle(const std::string& text) {
    int number = 0;
    const bool numeric = parseWholeNumber(text, number);
    for (const StyleName& entry : kStyleNames)
        if (text == entry.name || (numeric && number == entry.style)) return &entry;
    return nullptr;
}

std::string defaultFileName(const StyleName& style, const CalendarRequest& request) {
    std::string name =
        std::string("Broadcast-") + style.fileWord + "-" + std::to_string(request.year);
    if (request.style == ThreeYears) name += "-" + std::to_string(request.year + 2);
    if ((request.style == Month || request.style == Quarter) && request.selection != kSelectAll) {
        char month[8];
        std::snprintf(month, sizeof month, "-%02d", request.selection);
        name += month;
    }
    return name + ".pdf";
}

// "-" as the output: the PDF goes to standard output, for piping into another program.
int writeToStandardOutput(const CalendarRequest& request) {
    if (isatty(STDOUT_FILENO))
        return fail(kExitUsage, "standard output is a terminal; redirect it or give --output FILE");
    // A reader that goes away makes the write fail with a message rather than end the program.
    std::signal(SIGPIPE, SIG_IGN);
    return WriteCalendarToDescriptor(request, STDOUT_FILENO, "standard output") ? 0 : kExitFailure;
}

// The file is begun before any work: a target that may not be replaced (not a regular file,
// read-only) or a folder that takes no file is reported at once, and nothing is left behind.
int writeToFile(const CalendarRequest& request, const std::string& output) {
    AtomicFile file{};
    std::string error;
    if (!beginAtomicFile(file, output, error))
        return fail(kExitUsage, "cannot write " + output + ": " + error);
    if (!WriteCalendarToFile(request, file)) return kExitFailure;
    std::printf("%s\n", output.c_str());
    return std::fflush(stdout) == 0 ? 0 : fail(kExitFailure, "cannot write to standard output");
}

// Reads the value of an option given as "--name VALUE" or "--name=VALUE".
bool optionValue(int argc, char** argv, int& index, const std::string& name, std::string& value,
                 bool& missing) {
    const std::string argument = argv[index];
    missing = false;
    if (argument.rfind(name + "=", 0) == 0) {
        value = argument.substr(name.size() + 1);
        return true;
    }
    if (argument != name) return false;
    if (index + 1 >= argc) {
        missing = true;
        return true;
    }
    value = argv[++index];
    return true;
}

int runPdf(int argc, char** argv) {
    std::string styleText, yearText, monthText, output;
    bool all = false, quarters = false, haveMonth = false;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string value;
        bool missing = false;
        if (optionValue(argc, argv, i, "--style", value, missing)) {
            if (missing) return usageError("--style needs a value");
            styleText = value;
        } else if (optionValue(argc, argv, i, "--year", value, missing)) {
            if (missing) return usageError("--year needs a value");
            yearText = value;
        } else if (optionValue(argc, argv, i, "--month", value, missing)) {
            if (missing) return usageError("--month needs a value");
            monthText = value;
            haveMonth = true;
        } else if (optionValue(argc, argv, i, "--output", value, missing)) {
            if (missing) return usageError("--output needs a value");
            output = value;
            if (output.empty()) return usageError("--output needs a file name");
        } else if (argument == "--all") {
            all = true;
        } else if (argument == "--quarters") {
            quarters = true;
        } else {
            return usageError("unknown argument \"" + argument + "\"");
        }
    }
    if (styleText.empty()) return usageError("--style is required");
    if (yearText.empty()) return usageError("--year is required");
    const StyleName* style = findStyle(styleText);
    if (!style)
        return usageError("unknown style \"" + styleText +
                          "\"; use month, quarter, year, 3years, strip or planner");
    CalendarRequest request = {style->style, 0, kSelectAll, quarters};
    std::string problem;
    if (!parseYear(yearText, request.year, problem)) return usageError(problem);
    const bool monthBased = request.style == Month || request.style == Quarter;
    if ((haveMonth || all) && !monthBased)
        return usageError("--month and --all are only for the month and quarter styles");
    if (haveMonth && all) return usageError("give either --month or --all, not both");
    if (haveMonth) {
        int month = 0;
        if (!parseWholeNumber(monthText, month) || month < 1 || month > 12)
            return usageError("month \"" + monthText + "\" is not 1 to 12");
        request.selection = month;
    }
    if (output.empty()) output = defaultFileName(*style, request);

    global::renderSeam.showMessage = printMessageLine;
    if (output == kStandardOutputName) return writeToStandardOutput(request);
    return writeToFile(request, output);
}

// One CSV line per broadcast week: its Monday, week number, broadcast month and year, and the
// week's place in its quarter.
int runWeeks(int argc, char** argv) {
    if (argc < 3) return usageError("weeks needs FIRST_YEAR");
    if (argc > 4) return usageError("weeks takes FIRST_YEAR and LAST_YEAR only");
    int firstYear = 0, lastYear = 0;
    std::string problem;
    if (!parseYear(argv[2], firstYear, problem)) return usageError(problem);
    lastYear = firstYear;
    if (argc == 4 && !parseYear(argv[3], lastYear, problem)) return usageError(problem);
    if (lastYear < firstYear) return usageError("LAST_YEAR is before FIRST_YEAR");

    std::printf("monday,week,month,year,quarter_week\n");
    for (int year = firstYear; year <= lastYear; ++year) {
        computeBroadcastYear(year);
        for (int month = 1; month <= 12; ++month) {
            const DateNumber end = global::broadcastYear.monthEnd[month];
            for (DateNumber monday = global::broadcastYear.monthStart[month]; monday < end;
                 monday += 7) {
                int calendarMonth = 0, day = 0, calendarYear = 0;
                calendarDate(monday, calendarMonth, day, calendarYear);
                std::printf("%04d-%02d-%02d,%d,%d,%d,%s\n", calendarYear, calendarMonth, day,
                            weekNumber(monday), month, year, quarterLabel(month, monday).c_str());
            }
        }
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return fail(kExitFailure, "cannot write to standard output");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usageError("no command given");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "pdf") return runPdf(argc, argv);
    if (command == "weeks") return runWeeks(argc, argv);
    return usageError("unknown command \"" + command + "\"");
}
