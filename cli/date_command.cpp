// The date look-up: where one day falls in the broadcast calendar.
#include "calendar/broadcast.h"
#include "cli/command_line.h"
#include "cli/commands.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Today in the local time zone, as the user's own calendar shows it.
DateNumber today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return dateNumber(local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
}

} // namespace

int runDateCommand(int argc, char** argv) {
    std::vector<std::string> dates;
    bool json = false;
    Language language = Language::English;
    std::string problem;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string value;
        bool missing = false;
        if (argument == "--json") {
            json = true;
        } else if (optionValue(argc, argv, i, "--language", value, missing)) {
            if (missing) return usageError("--language needs a value");
            if (!parseLanguage(value, language, problem)) return usageError(problem);
            if (!catalogueReadable(language)) return unreadableCatalogue(language);
        } else if (argument.rfind("-", 0) == 0) {
            return usageError("unknown argument \"" + argument + "\"");
        } else {
            dates.push_back(argument);
        }
    }
    if (dates.size() > 1) return usageError("date takes one DATE only");
    DateNumber date = 0;
    if (dates.empty()) {
        date = today();
    } else if (!parseIsoDate(dates[0], date, problem)) {
        return usageError(problem);
    }

    const BroadcastDay place = broadcastDayOf(date);
    const std::string day = isoDateText(date);
    const std::string weekStart = isoDateText(place.weekStart);
    const std::string weekEnd = isoDateText(place.weekEnd);
    const std::string monthStart = isoDateText(place.monthStart);
    const std::string monthEnd = isoDateText(place.monthEnd);
    const std::string monthName = monthNameInText(place.month, language);
    if (json)
        std::printf("{\"date\":\"%s\",\"year\":%d,\"month\":%d,\"month_name\":\"%s\","
                    "\"week\":%d,\"quarter_week\":\"%s\",\"week_start\":\"%s\","
                    "\"week_end\":\"%s\",\"month_start\":\"%s\",\"month_end\":\"%s\"}\n",
                    day.c_str(), place.year, place.month, monthName.c_str(), place.week,
                    place.quarterWeek.c_str(), weekStart.c_str(), weekEnd.c_str(),
                    monthStart.c_str(), monthEnd.c_str());
    else
        std::printf("%s\n", broadcastDayLine(date, place, language).c_str());
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return standardOutputFailure(errno);
    return 0;
}
