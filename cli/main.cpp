#include "calendar/broadcast.h"
#include "calendar/dates.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "common/atomic_file.h"
#include "program/version.h"
#include "render/generate.h"
#include "render/seam.h"

#include <charconv>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// The output name that means standard output.
constexpr const char* kStandardOutputName = "-";

constexpr const char* kUsage =
    "Usage:\n"
    "  merivane-cli pdf --style STYLE --year YEAR [--month N | --all] [--quarters]\n"
    "                   [--holidays us|ca] [--output FILE]\n"
    "  merivane-cli weeks FIRST_YEAR [LAST_YEAR] [--json]\n"
    "  merivane-cli ics FIRST_YEAR [LAST_YEAR] [--weeks] [--holidays us|ca]\n"
    "                   [--output FILE]\n"
    "  merivane-cli date [DATE] [--json]\n"
    "  merivane-cli days FIRST_YEAR [LAST_YEAR] [--json] [--holidays us|ca]\n"
    "  merivane-cli --help\n"
    "  merivane-cli --version\n"
    "\n"
    "pdf    writes a standard broadcast calendar as a PDF file and prints its path.\n"
    "       STYLE is month, quarter, year, 3years, strip or planner (or 1 to 6).\n"
    "       YEAR is 1920 to 9999; for 3years it is the first of the three years.\n"
    "       --month N   month and quarter styles: only month N (a quarter page starts\n"
    "                   with it); --all (the default) prints every month or quarter.\n"
    "       --quarters  adds the quarter designation to week numbers.\n"
    "       --holidays  marks the public holidays of the United States (us) or\n"
    "                   Canada (ca) in red and underlined, with the days observed\n"
    "                   in their place; month pages and the planner also name them.\n"
    "                   US: the federal holidays of 5 U.S.C. 6103, each from the year\n"
    "                   it began (Labor Day 1894, Columbus Day 1937, Armistice or\n"
    "                   Veterans Day 1938, Martin Luther King Jr. 1986, Juneteenth\n"
    "                   2021), observed days from 1971. Canada: the general holidays\n"
    "                   of the Canada Labour Code (Remembrance Day 1931, Thanksgiving\n"
    "                   1957, Boxing Day 1965, Truth and Reconciliation 2021), observed\n"
    "                   days as the federal public service takes them, from 1967.\n"
    "       --output    the file to write, or - for standard output; by default a\n"
    "                   descriptive name in the current folder, such as\n"
    "                   Broadcast-Year-2025.pdf. An existing file is replaced only\n"
    "                   when the new one is complete; one that is not a regular\n"
    "                   file or is read-only is refused.\n"
    "weeks  prints every broadcast week of the years as CSV:\n"
    "       monday,week,month,year,quarter_week\n"
    "       --json      the same fields as a JSON array of objects.\n"
    "ics    writes the broadcast months of the years as an iCalendar file, one\n"
    "       all-day event each, for calendar programs to import.\n"
    "       --weeks     adds one event per broadcast week.\n"
    "       --holidays  adds one event per public holiday of the United States (us)\n"
    "                   or Canada (ca), as pdf marks them.\n"
    "       --output    the file to write, which then replaces any earlier export\n"
    "                   only when complete; by default standard output.\n"
    "date   prints where DATE (YYYY-MM-DD, by default today) falls in the broadcast\n"
    "       calendar: its broadcast year, month, week number and quarter week, and the\n"
    "       first and last day of its broadcast week and month.\n"
    "       --json      the same as one JSON object.\n"
    "days   prints every day of the broadcast years as CSV, one row a day:\n"
    "       date,weekday,year,quarter,month,month_name,week,quarter_week,\n"
    "       day_of_week,day_of_month,day_of_year,week_start,week_end,month_start,\n"
    "       month_end\n"
    "       --json      the same fields as a JSON array of objects.\n"
    "       --holidays  adds a last column, holiday: the names of the day's public\n"
    "                   holidays of the United States (us) or Canada (ca) and of\n"
    "                   the days observed in their place, as pdf marks them; empty\n"
    "                   on other days.\n"
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

// "-" or a path that names one of the program's own streams (/dev/stdout, /dev/fd/N): the PDF
// goes to that stream where it stands, appended when it was opened for appending.
int writeToStream(const CalendarRequest& request, int descriptor, const std::string& name) {
    if (fcntl(descriptor, F_GETFL) < 0)
        return fail(kExitUsage, "cannot write " + name + ": it is not open");
    if (isatty(descriptor))
        return fail(kExitUsage, name + " is a terminal; redirect it or give --output FILE");
    // A reader that goes away makes the write fail with a message rather than end the program.
    std::signal(SIGPIPE, SIG_IGN);
    return WriteCalendarToDescriptor(request, descriptor, name) ? 0 : kExitFailure;
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

int runPdf(int argc, char** argv) {
    std::string styleText, yearText, monthText, output, holidaysText;
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
        } else if (optionValue(argc, argv, i, "--holidays", value, missing)) {
            if (missing) return usageError("--holidays needs a value");
            holidaysText = value;
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
    if (!holidaysText.empty() && !parseHolidayCountry(holidaysText, request.holidays, problem))
        return usageError(problem);
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
    if (output == kStandardOutputName)
        return writeToStream(request, STDOUT_FILENO, "standard output");
    if (const int stream = ownStreamDescriptor(output); stream >= 0)
        return writeToStream(request, stream, output);
    return writeToFile(request, output);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usageError("no command given");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout)
                   ? 0
                   : fail(kExitFailure, "cannot write to standard output");
    }
    if (command == "--version") {
        std::printf("%s %s (built %s)\n", kProgramName, kProgramVersion, buildDateText().c_str());
        return std::fflush(stdout) == 0 ? 0 : fail(kExitFailure, "cannot write to standard output");
    }
    if (command == "pdf") return runPdf(argc, argv);
    if (command == "weeks") return runWeeksCommand(argc, argv);
    if (command == "date") return runDateCommand(argc, argv);
    if (command == "days") return runDaysCommand(argc, argv);
    if (command == "ics") return runIcsCommand(argc, argv);
    return usageError("unknown command \"" + command + "\"");
}
