#pragma once
// What the commands of merivane-cli share: exit statuses, one-line failures, checked parsing
// of years and dates, and ISO date text.
#include "calendar/dates.h"
#include "calendar/holidays.h"
#include "common/numbers.h"
#include "common/translate.h"

#include <string>
#include <vector>

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr const char* kProgramName = "merivane-cli";

// Prints "merivane-cli: text" as one line on standard error and returns status.
int fail(int status, const std::string& text);
// A mistake in the arguments: status 2 and a pointer to --help.
int usageError(const std::string& text);
// A write to standard output that failed with errorNumber: "cannot write to standard output: the
// disk is full" and status 1.
int standardOutputFailure(int errorNumber);
// Writes text to standard output and flushes it; 0, or the failure above.
int printOutput(const std::string& text);

// A year the program handles, 1920 to 9999.
bool parseYear(const std::string& text, int& year, std::string& problem);
// FIRST_YEAR and an optional LAST_YEAR (empty text when not given), in order.
bool parseYearRange(const std::string& firstText, const std::string& lastText, int& firstYear,
                    int& lastYear, std::string& problem);
// A date written YYYY-MM-DD that exists in the calendar, in a year the program handles.
bool parseIsoDate(const std::string& text, DateNumber& date, std::string& problem);
// The descriptor of one of the program's own streams that an output path names: /dev/stdin,
// /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N, or a link to one of them; -1 for any
// other path. Such a path is written where its stream stands, never replaced as a file.
int ownStreamDescriptor(const std::string& path);
// The value of --holidays: us, ca or none, in any case.
bool parseHolidayCountry(const std::string& text, int& country, std::string& problem);
// A language asked for whose catalogue cannot be read: says which file, status 1.
int unreadableCatalogue(Language language);
// The value of --language: en, fr or es.
bool parseLanguage(const std::string& text, Language& language, std::string& problem);
// A value given as "--name VALUE" or "--name=VALUE"; false when argv[index] is another
// argument, missing when the value is not there.
bool optionValue(int argc, char** argv, int& index, const std::string& name, std::string& value,
                 bool& missing);
// The arguments after the command: the plain ones in order, and whether "--json" was among
// them; false, naming it in unknown, for any other argument that starts with "-".
bool splitJsonOption(int argc, char** argv, std::vector<std::string>& plain, bool& json,
                     std::string& unknown);

// What a command over a range of years was given.
struct YearRangeArguments {
    int firstYear = 0;
    int lastYear = 0;
    int holidays = NoHolidays;
    bool flag = false;                     // the command's one switch was given
    std::string output;                    // the value of --output; empty when not given
    Language language = Language::English; // of the names written
};
// The arguments after `command`: FIRST_YEAR [LAST_YEAR], --holidays, --language, the switch
// `flag` ("--json", "--weeks") and, when takesOutput, --output. A mistake is reported as a usage
// error, and then the status to exit with is returned; 0 when all is well.
int parseYearRangeArguments(int argc, char** argv, const std::string& command,
                            const std::string& flag, bool takesOutput, YearRangeArguments& given);
