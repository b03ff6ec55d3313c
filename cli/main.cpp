#include "calendar/broadcast.h"
#include "calendar/dates.h"
#include "render/generate.h"
#include "render/seam.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr const char* kProgramName = "merivane-cli";

constexpr const char* kUsage =
    "Usage:\n"
    "  merivane-cli pdf --style STYLE --year YEAR [--month N | --all] [--quarters]\n"
    "                   [--output FILE]\n"
    "  merivane-cli weeks FIRST_YEAR [LAST_YEAR]\n"
    "  merivane-cli --help\n"
    "  merivane-cli --version\n"
    "\n"
    "pdf    writes a standard broadcast calendar as a PDF file and prints its path.\n"
    "       STYLE is month, quarter, year, 3years, strip or planner (or 1 to 6).\n"
    "       YEAR is 1920 to 9999; for 3years it is the first of the three years.\n"
    "       --month N   month and quarter styles: only month N (a quarter page starts\n"
    "                   with it); --all (the default) prints every month or quarter.\n"
    "       --quarters  adds the quarter designation to week numbers.\n"
    "       --output    the file to write; by default a descriptive name in the\n"
    "                   current folder, such as Broadcast-Year-2025.pdf.\n"
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

// Every failure is one line on standard error.
int fail(int status, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", kProgramName, text.c_str());
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

// The output must be a file name in an existing folder we may write into, so that a failure
// is reported before any work and nothing is left behind.
bool checkWritable(const std::string& path, std::string& problem) {
    struct stat info {};
    if (path.empty() || path.back() == '/') {
        problem = "output \"" + path + "\" is not a file name";
        return false;
    }
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        problem = "cannot write " + path + ": it is a folder";
        return false;
    }
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    if (stat(folder.c_str(), &info) != 0) {
        problem = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        problem = "cannot write " + path + ": " + folder + " is not a folder";
        return false;
    }
    // Permission bits do not tell everything (read-only mounts, root, special file systems):
    // only a file actually made there proves the folder takes one.
    std::string probe =
        (slash == std::string::npos ? std::string("./") : folder) + ".merivane-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0) {
        problem = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    close(fd);
    unlink(probe.c_str());
    return true;
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
    if (!checkWritable(output, problem)) return fail(kExitUsage, problem);

    global::renderSeam.showMessage = printMessageLine;
    if (!WriteCalendarFile(request, output)) return kExitFailure;
    std::printf("%s\n", output.c_str());
    return std::fflush(stdout) == 0 ? 0 : fail(kExitFailure, "cannot write to standard output");
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
    if (command == "--version") {
        std::printf("%s %s (built %s)\n", kProgramName, MERIVANE_VERSION, buildDateText().c_str());
        return std::fflush(stdout) == 0 ? 0 : fail(kExitFailure, "cannot write to standard output");
    }
    if (command == "pdf") return runPdf(argc, argv);
    if (command == "weeks") return runWeeks(argc, argv);
    return usageError("unknown command \"" + command + "\"");
}
