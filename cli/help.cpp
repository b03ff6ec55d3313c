#include "cli/help.h"

namespace {

struct CommandHelp {
    const char* name;
    const char* synopsis;    // usage lines, each starting "  merivane-cli "
    const char* description; // lines indented under the command's name
};

const CommandHelp kCommands[] = {
    {"pdf",
     "  merivane-cli pdf --style STYLE --year YEAR [--month N | --all] [--quarters]\n"
     "                   [--holidays us|ca] [--language en|fr|es] [--credit TEXT]\n"
     "                   [--logo FILE] [--output FILE]\n",
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
     "       --language  prints the pages in English (en, the default), French (fr)\n"
     "                   or Spanish (es).\n"
     "       --credit    your own credit line on every page in place of the program's\n"
     "                   (at most 100 characters; it shrinks, then is cut, to fit).\n"
     "       --logo      a PNG or JPEG file (at most 10 MB and 2000 pixels a side)\n"
     "                   printed on every page; a file that cannot be used is\n"
     "                   refused and nothing is written. Without these options the\n"
     "                   program's credit line and no logo are printed, whatever\n"
     "                   the window's preferences say.\n"
     "       --output    the file to write, or - for standard output; by default a\n"
     "                   descriptive name in the current folder, such as\n"
     "                   Broadcast-Year-2025.pdf. An existing file is replaced only\n"
     "                   when the new one is complete; one that is not a regular\n"
     "                   file or is read-only is refused.\n"},
    {"weeks", "  merivane-cli weeks FIRST_YEAR [LAST_YEAR] [--json]\n",
     "weeks  prints every broadcast week of the years as CSV:\n"
     "       monday,week,month,year,quarter_week\n"
     "       --json      the same fields as a JSON array of objects.\n"},
    {"ics",
     "  merivane-cli ics FIRST_YEAR [LAST_YEAR] [--weeks] [--holidays us|ca]\n"
     "                   [--language en|fr|es] [--output FILE]\n",
     "ics    writes the broadcast months of the years as an iCalendar file, one\n"
     "       all-day event each, for calendar programs to import.\n"
     "       --weeks     adds one event per broadcast week.\n"
     "       --holidays  adds one event per public holiday of the United States (us)\n"
     "                   or Canada (ca), as pdf marks them.\n"
     "       --language  the events' titles and descriptions and the calendar's name\n"
     "                   in English (en, the default), French (fr) or Spanish (es).\n"
     "       --output    the file to write, which then replaces any earlier export\n"
     "                   only when complete; by default standard output.\n"},
    {"date", "  merivane-cli date [DATE] [--json] [--language en|fr|es]\n",
     "date   prints where DATE (YYYY-MM-DD, by default today) falls in the broadcast\n"
     "       calendar: its broadcast year, month, week number and quarter week, and the\n"
     "       first and last day of its broadcast week and month.\n"
     "       --json      the same as one JSON object.\n"
     "       --language  the line in English (en, the default), French (fr) or\n"
     "                   Spanish (es); in JSON only month_name changes, as in days.\n"},
    {"days",
     "  merivane-cli days FIRST_YEAR [LAST_YEAR] [--json] [--holidays us|ca]\n"
     "                   [--language en|fr|es]\n",
     "days   prints every day of the broadcast years as CSV, one row a day:\n"
     "       date,weekday,year,quarter,month,month_name,week,quarter_week,\n"
     "       day_of_week,day_of_month,day_of_year,week_start,week_end,month_start,\n"
     "       month_end\n"
     "       --json      the same fields as a JSON array of objects.\n"
     "       --holidays  adds a last column, holiday: the names of the day's public\n"
     "                   holidays of the United States (us) or Canada (ca) and of\n"
     "                   the days observed in their place, as pdf marks them; empty\n"
     "                   on other days.\n"
     "       --language  the weekday, month_name and holiday values in English (en,\n"
     "                   the default), French (fr) or Spanish (es); the header,\n"
     "                   numbers and dates are the same in every language.\n"},
};

constexpr const char* kGeneralSynopsis = "  merivane-cli help [COMMAND]\n"
                                         "  merivane-cli --help | -h\n"
                                         "  merivane-cli --version | -V\n";
constexpr const char* kCommandHelpNote =
    "Every command takes --help (or -h) for its own options alone.\n";
constexpr const char* kExitStatus =
    "Exit status: 0 done, 1 the file could not be made, 2 bad arguments or an\n"
    "unwritable output file.\n";

} // namespace

bool helpText(const std::string& command, std::string& text) {
    text = "Usage:\n";
    if (command.empty()) {
        for (const CommandHelp& entry : kCommands)
            text += entry.synopsis;
        text += kGeneralSynopsis;
        text += "\n";
        for (const CommandHelp& entry : kCommands)
            text += entry.description;
        text += "\n";
        text += kCommandHelpNote;
        text += kExitStatus;
        return true;
    }
    for (const CommandHelp& entry : kCommands) {
        if (command != entry.name) continue;
        text += std::string(entry.synopsis) + "\n" + entry.description + "\n" + kExitStatus;
        return true;
    }
    return false;
}
