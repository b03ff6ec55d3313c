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
    YearRangeArguments given;
    if (const int status = parseYearRangeArguments(argc, argv, "ics", "--weeks", true, given))
        return status;
    const std::string& path = given.output;
    const bool standard = path.empty() || path == kStandardOutputName;
    const int stream = standard ? STDOUT_FILENO : ownStreamDescriptor(path);
    if (stream >= 0) {
        if (fcntl(stream, F_GETFL) < 0)
            return fail(kExitUsage, "cannot write " + path + ": it is not open");
        StandardOutput output{stream, 0};
        if (!writeBroadcastIcs(given.firstYear, given.lastYear, given.flag, given.holidays,
                               writeStandardOutput, &output, given.language))
            return fail(kExitFailure, "cannot write to " +
                                          (standard ? std::string("standard output") : path) +
                                          ": " + fileErrorText(output.error));
        return 0;
    }
    std::string problem;
    switch (writeBroadcastIcsFile(path, given.firstYear, given.lastYear, given.flag, given.holidays,
                                  problem, given.language)) {
    case IcsFileResult::Refused:
        return fail(kExitUsage, "cannot write " + path + ": " + problem);
    case IcsFileResult::Failed:
        return fail(kExitFailure, "cannot write " + path + ": " + problem);
    case IcsFileResult::Written:
        break;
    }
    return printOutput(path + "\n");
}
