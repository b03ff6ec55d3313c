#include "cli/command_line.h"

#include "calendar/broadcast.h"
#include "calendar/holidays.h"
#include "common/atomic_file.h"
#include "render/generate.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <iterator>
#include <unistd.h>

namespace {

constexpr const char* kIsoDateForm = "YYYY-MM-DD";
// As many links as the system itself follows before it gives up.
constexpr int kMostLinks = 40;

// The descriptor a path names by its spelling alone, or -1.
int streamNamed(const std::string& path) {
    const struct {
        const char* name;
        int descriptor;
    } kStreams[] = {{"/dev/stdin", 0}, {"/dev/stdout", 1}, {"/dev/stderr", 2}};
    for (const auto& stream : kStreams)
        if (path == stream.name) return stream.descriptor;
    const std::string folders[] = {"/dev/fd/", "/proc/self/fd/", "/proc/thread-self/fd/",
                                   "/proc/" + std::to_string(getpid()) + "/fd/"};
    for (const std::string& folder : folders) {
        int descriptor = -1;
        if (path.rfind(folder, 0) == 0 && parseWholeNumber(path.substr(folder.size()), descriptor))
            return descriptor;
    }
    return -1;
}

} // namespace

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

int unreadableCatalogue(Language language) {
    return fail(1, "--language " + languageSettingText(language) + ": the catalogue " +
                       cataloguePath(language) +
                       " is missing or damaged; reinstall Merivane, or use --language en");
}

int usageError(const std::string& text) {
    return fail(kExitUsage, text + " (try --help)");
}

int standardOutputFailure(int errorNumber) {
    return fail(kExitFailure, "cannot write to standard output: " + fileErrorText(errorNumber));
}

int printOutput(const std::string& text) {
    const std::size_t written = std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || written != text.size() || std::ferror(stdout))
        return standardOutputFailure(errno);
    return 0;
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

bool parseYearRange(const std::string& firstText, const std::string& lastText, int& firstYear,
                    int& lastYear, std::string& problem) {
    if (!parseYear(firstText, firstYear, problem)) return false;
    lastYear = firstYear;
    if (!lastText.empty() && !parseYear(lastText, lastYear, problem)) return false;
    if (lastYear < firstYear) {
        problem = "LAST_YEAR " + lastText + " is before FIRST_YEAR " + firstText;
        return false;
    }
    return true;
}

// The text is exactly four digits, "-", two digits, "-", two digits. A day the month does not
// have (2026-02-30) is refused: converting there and back would land on another date.
bool parseIsoDate(const std::string& text, DateNumber& date, std::string& problem) {
    const bool shaped = text.size() == 10 && text[4] == '-' && text[7] == '-';
    int year = 0, month = 0, day = 0;
    if (!shaped || !parseWholeNumber(text.substr(0, 4), year) ||
        !parseWholeNumber(text.substr(5, 2), month) || !parseWholeNumber(text.substr(8, 2), day)) {
        problem = "date \"" + text + "\" is not written " + kIsoDateForm;
        return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31) {
        problem = "there is no date " + text;
        return false;
    }
    date = dateNumber(month, day, year);
    int backMonth = 0, backDay = 0, backYear = 0;
    calendarDate(date, backMonth, backDay, backYear);
    if (backMonth != month || backDay != day || backYear != year) {
        problem = "there is no date " + text;
        return false;
    }
    // The same years as everywhere else, counted as broadcast years: the last days of December
    // belong to the next one.
    int broadcastYear = 0;
    broadcastMonthOfDate(date, broadcastYear);
    if (broadcastYear < kFirstYear || broadcastYear > kLastYear) {
        problem = "date " + text + " falls in broadcast year " + std::to_string(broadcastYear) +
                  ", outside " + std::to_string(kFirstYear) + " to " + std::to_string(kLastYear);
        return false;
    }
    return true;
}

int ownStreamDescriptor(const std::string& path) {
    std::string current = path;
    for (int link = 0; link < kMostLinks; ++link) {
        const int descriptor = streamNamed(current);
        if (descriptor >= 0) return descriptor;
        char target[PATH_MAX];
        const ssize_t length = readlink(current.c_str(), target, sizeof target - 1);
        if (length <= 0) return -1;
        std::string next(target, static_cast<std::size_t>(length));
        // A relative link is read from the folder that holds it.
        const std::size_t slash = current.rfind('/');
        if (next.front() != '/' && slash != std::string::npos)
            next = current.substr(0, slash + 1) + next;
        current = next;
    }
    return -1;
}

bool parseHolidayCountry(const std::string& text, int& country, std::string& problem) {
    country = holidayCountryOfCode(text);
    if (country >= 0) return true;
    problem = "unknown holiday country \"" + text + "\"; use us, ca or none";
    return false;
}

bool parseLanguage(const std::string& text, Language& language, std::string& problem) {
    if (languageFromCode(text, language)) return true;
    // "en, fr or es", from the table of languages.
    std::string codes;
    for (std::size_t i = 0; i < std::size(kLanguageTable); ++i) {
        if (i > 0) codes += i + 1 == std::size(kLanguageTable) ? " or " : ", ";
        codes += kLanguageTable[i].code;
    }
    problem = "unknown language \"" + text + "\"; use " + codes;
    return false;
}

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

bool splitJsonOption(int argc, char** argv, std::vector<std::string>& plain, bool& json,
                     std::string& unknown) {
    json = false;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--json") {
            json = true;
        } else if (argument.rfind("-", 0) == 0) {
            unknown = argument;
            return false;
        } else {
            plain.push_back(argument);
        }
    }
    return true;
}

int parseYearRangeArguments(int argc, char** argv, const std::string& command,
                            const std::string& flag, bool takesOutput, YearRangeArguments& given) {
    std::vector<std::string> years;
    std::string problem;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string value;
        bool missing = false;
        if (takesOutput && optionValue(argc, argv, i, "--output", value, missing)) {
            if (missing) return usageError("--output needs a value");
            if (value.empty()) return usageError("--output needs a file name");
            given.output = value;
        } else if (optionValue(argc, argv, i, "--holidays", value, missing)) {
            if (missing) return usageError("--holidays needs a value");
            if (!parseHolidayCountry(value, given.holidays, problem)) return usageError(problem);
        } else if (optionValue(argc, argv, i, "--language", value, missing)) {
            if (missing) return usageError("--language needs a value");
            if (!parseLanguage(value, given.language, problem)) return usageError(problem);
            if (!catalogueReadable(given.language)) return unreadableCatalogue(given.language);
        } else if (argument == flag) {
            given.flag = true;
        } else if (argument.rfind("-", 0) == 0) {
            return usageError("unknown argument \"" + argument + "\"");
        } else {
            years.push_back(argument);
        }
    }
    if (years.empty()) return usageError(command + " needs FIRST_YEAR");
    if (years.size() > 2) return usageError(command + " takes FIRST_YEAR and LAST_YEAR only");
    if (!parseYearRange(years[0], years.size() == 2 ? years[1] : "", given.firstYear,
                        given.lastYear, problem))
        return usageError(problem);
    return 0;
}
