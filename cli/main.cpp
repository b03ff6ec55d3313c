#include "calendar/broadcast.h"
#include "calendar/dates.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "common/atomic_file.h"
#include "program/version.h"
#include "render/generate.h"
#include "render/logo.h"
#include "render/seam.h"

#include <charconv>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// The output name that means standard output.
constexpr const char* kStandardOutputName = "-";

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

// A calendar that could not be saved reads as every other failed write of the program.
void printSaveFailure(const std::string& destination, const std::string& reason) {
    fail(kExitFailure, "cannot write " + destination + ": " + reason);
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
    const std::string destination = name == "standard output" ? "to standard output" : name;
    return WriteCalendarToDescriptor(request, descriptor, destination) ? 0 : kExitFailure;
}

// The file is begun before any work: a target that may not be replaced (not a regular file,
// read-only) or a folder that takes no file is reported at once, and nothing is left behind.
int writeToFile(const CalendarRequest& request, const std::string& output) {
    AtomicFile file{};
    std::string error;
    if (!beginAtomicFile(file, output, error))
        return fail(kExitUsage, "cannot write " + output + ": " + error);
    if (!WriteCalendarToFile(request, file)) return kExitFailure;
    return printOutput(output + "\n");
}

int runPdf(int argc, char** argv) {
    std::string styleText, yearText, monthText, output, holidaysText, languageText, credit, logo;
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
        } else if (optionValue(argc, argv, i, "--language", value, missing)) {
            if (missing) return usageError("--language needs a value");
            languageText = value;
        } else if (optionValue(argc, argv, i, "--credit", value, missing)) {
            if (missing) return usageError("--credit needs a value");
            credit = value;
        } else if (optionValue(argc, argv, i, "--logo", value, missing)) {
            if (missing) return usageError("--logo needs a value");
            logo = value;
            if (logo.empty()) return usageError("--logo needs a file name");
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
    request.language = Language::English;
    if (!languageText.empty() && !parseLanguage(languageText, request.language, problem))
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
    // The settings file's credit line and logo are the window's; here only the options count.
    request.credit = credit;
    request.logo = logo;
    // Read and decoded once: the pages print the very pixels that were checked.
    if (!logo.empty()) {
        auto pixels = std::make_shared<LogoPixels>();
        if (!loadLogo(logo, *pixels, problem))
            return fail(kExitFailure, logoProblemMessage(logo, problem));
        request.logoPixels = std::move(pixels);
    }

    global::renderSeam.showMessage = printMessageLine;
    global::renderSeam.showSaveFailure = printSaveFailure;
    if (output == kStandardOutputName)
        return writeToStream(request, STDOUT_FILENO, "standard output");
    if (const int stream = ownStreamDescriptor(output); stream >= 0)
        return writeToStream(request, stream, output);
    return writeToFile(request, output);
}

// "--help" or "-h" anywhere after a command asks for that command's help instead.
bool asksForHelp(int argc, char** argv) {
    for (int i = 2; i < argc; ++i)
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") return true;
    return false;
}

int printHelp(const std::string& command) {
    std::string text;
    if (!helpText(command, text)) return usageError("unknown command \"" + command + "\"");
    return printOutput(text);
}

// The folder the running program lies in, where a portable copy keeps its catalogues.
std::string executableFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return ".";
    const std::string file(path, static_cast<std::size_t>(length));
    return file.substr(0, file.rfind('/'));
}

} // namespace

int main(int argc, char** argv) {
    // English whatever the desktop's language, so scripts read what they always read; names on
    // pages and in tables follow --language.
    startTranslations(executableFolder());
    setWindowLanguage(Language::English);
    if (argc < 2) return usageError("no command given");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h") return printHelp("");
    if (command == "help") {
        if (argc > 3) return usageError("help takes one COMMAND only");
        return printHelp(argc == 3 ? argv[2] : "");
    }
    if (command == "--version" || command == "-V")
        return printOutput(std::string(kProgramName) + " " + kProgramVersion + " (built " +
                           buildDateText() + ")\n");
    if (command.rfind("-", 0) != 0 && asksForHelp(argc, argv)) return printHelp(command);
    if (command == "pdf") return runPdf(argc, argv);
    if (command == "weeks") return runWeeksCommand(argc, argv);
    if (command == "date") return runDateCommand(argc, argv);
    if (command == "days") return runDaysCommand(argc, argv);
    if (command == "ics") return runIcsCommand(argc, argv);
    return usageError("unknown command \"" + command + "\"");
}
