// The ics command: the broadcast calendar for calendar programs, to a file or standard output.
#include "calendar/ics.h"
#include "calendar/holidays.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "common/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kStandardOutputName = "-";

// The stream written (standard output, or one the output path names) and the errno of a failed
// write, for the message.
struct StandardOutput {
    int descriptor;
    int error;
};

bool writeStandardOutput(const char* data, std::size_t size, void* context) {
    auto* output = static_cast<StandardOutput*>(context);
    while (size > 0) {
        const ssize_t written = write(output->descriptor, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            output->error = written < 0 ? errno : EIO;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

int runIcsCommand(int argc, char** argv) {
    std::vector<std::string> years;
    std::string path;
    bool weeks = false;
    int holidays = NoHolidays;
    std::string problem;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string value;
        bool missing = false;
        if (optionValue(argc, argv, i, "--output", value, missing)) {
            if (missing) return usageError("--output needs a value");
            if (value.empty()) return usageError("--output needs a file name");
            path = value;
        } else if (optionValue(argc, argv, i, "--holidays", value, missing)) {
            if (missing) return usageError("--holidays needs a value");
            if (!parseHolidayCountry(value, holidays, problem)) return usageError(problem);
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
    if (!parseYearRange(years[0], years.size() == 2 ? years[1] : "", firstYear, lastYear, problem))
        return usageError(problem);

    const bool standard = path.empty() || path == kStandardOutputName;
    const int stream = standard ? STDOUT_FILENO : ownStreamDescriptor(path);
    if (stream >= 0) {
        if (fcntl(stream, F_GETFL) < 0)
            return fail(kExitUsage, "cannot write " + path + ": it is not open");
        StandardOutput output{stream, 0};
        if (!writeBroadcastIcs(firstYear, lastYear, weeks, holidays, writeStandardOutput, &output))
            return fail(kExitFailure, "cannot write to " +
                                          (standard ? std::string("standard output") : path) +
                                          ": " + fileErrorText(output.error));
        return 0;
    }
    switch (writeBroadcastIcsFile(path, firstYear, lastYear, weeks, holidays, problem)) {
    case IcsFileResult::Refused:
        return fail(kExitUsage, "cannot write " + path + ": " + problem);
    case IcsFileResult::Failed:
        return fail(kExitFailure, "cannot write " + path + ": " + problem);
    case IcsFileResult::Written:
        break;
    }
    return printOutput(path + "\n");
}
