// The week table: every broadcast week of a range of years, as CSV or as JSON.
#include "calendar/broadcast.h"
#include "cli/command_line.h"
#include "cli/commands.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

// One line per broadcast week: its Monday, week number, broadcast month and year, and the
// week's place in its quarter. JSON gives the same fields under the CSV's column names, one
// object a line inside one array.
int runWeeksCommand(int argc, char** argv) {
    std::vector<std::string> years;
    bool json = false;
    std::string unknown;
    if (!splitJsonOption(argc, argv, years, json, unknown))
        return usageError("unknown argument \"" + unknown + "\"");
    if (years.empty()) return usageError("weeks needs FIRST_YEAR");
    if (years.size() > 2) return usageError("weeks takes FIRST_YEAR and LAST_YEAR only");
    int firstYear = 0, lastYear = 0;
    std::string problem;
    if (!parseYearRange(years[0], years.size() == 2 ? years[1] : "", firstYear, lastYear, problem))
        return usageError(problem);

    std::fputs(json ? "[\n" : "monday,week,month,year,quarter_week\n", stdout);
    const char* separator = "";
    for (int year = firstYear; year <= lastYear; ++year) {
        const BroadcastYearTable table = broadcastYearTable(year);
        for (int month = 1; month <= 12; ++month) {
            const DateNumber end = table.monthEnd[month];
            for (DateNumber monday = table.monthStart[month]; monday < end; monday += 7) {
                const std::string date = isoDateText(monday);
                const std::string quarterWeek = quarterLabel(table, month, monday);
                if (json)
                    std::printf("%s{\"monday\":\"%s\",\"week\":%d,\"month\":%d,\"year\":%d,"
                                "\"quarter_week\":\"%s\"}",
                                separator, date.c_str(), weekNumber(table, monday), month, year,
                                quarterWeek.c_str());
                else
                    std::printf("%s,%d,%d,%d,%s\n", date.c_str(), weekNumber(table, monday), month,
                                year, quarterWeek.c_str());
                separator = ",\n";
            }
        }
    }
    if (json) std::fputs("\n]\n", stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return standardOutputFailure(errno);
    return 0;
}
