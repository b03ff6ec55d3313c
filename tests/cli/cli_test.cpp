// The command-line program run as a user runs it, and its date commands in-process day by day:
// its output, exit status, the files it leaves and the PDFs read back.
#include "calendar/broadcast.h"
#include "cli/commands.h"
#include "support/command_output.h"
#include "support/pdf_content.h"
#include "support/test_files.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// Runs the real binary in folder with the given arguments; no shell is involved. Standard output
// goes to a file read back as out, or to standardOutput when one is given.
CliRun runCli(const fs::path& folder, const std::vector<std::string>& arguments,
              int standardOutput = -1) {
    const fs::path outPath = folder.parent_path() / (folder.filename().string() + ".out");
    const fs::path errPath = folder.parent_path() / (folder.filename().string() + ".err");
    const pid_t child = fork();
    if (child < 0) return {-1, "", "the test could not start a process"};
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) _exit(127);
        dup2(standardOutput >= 0 ? standardOutput : out, 1);
        dup2(err, 2);
        std::vector<char*> argv;
        std::string program = MERIVANE_CLI;
        argv.push_back(program.data());
        std::vector<std::string> copies = arguments;
        for (std::string& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    CliRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(outPath), readText(errPath)};
    fs::remove(outPath);
    fs::remove(errPath);
    return run;
}

std::vector<std::string> folderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

// What a command run in-process writes to standard output, and a line with its status.
std::string inProcessOutput(int (*command)(int, char**), std::vector<std::string> arguments) {
    std::string program = "merivane-cli";
    std::vector<char*> argv{program.data()};
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    const int status = command(static_cast<int>(argv.size()) - 1, argv.data());
    return testing::internal::GetCapturedStdout() + "status " + std::to_string(status) + "\n";
}

// The columns of days in order; date prints them less weekday, quarter and the day counts.
const std::vector<std::string> kDayColumns{
    "date",        "weekday",    "year",         "quarter",     "month",
    "month_name",  "week",       "quarter_week", "day_of_week", "day_of_month",
    "day_of_year", "week_start", "week_end",     "month_start", "month_end"};

// A row of days as CSV, or as a JSON object with numbers bare; `omit` names columns to leave
// out, each between blanks.
std::string rowText(const std::vector<std::string>& values, bool json,
                    const std::string& omit = "") {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (omit.find(" " + kDayColumns[i] + " ") != std::string::npos) continue;
        const bool quoted = json && values[i].find_first_not_of("0123456789") != std::string::npos;
        text += (text.empty() ? "" : ",") + (json ? "\"" + kDayColumns[i] + "\":" : "");
        text += quoted ? "\"" + values[i] + "\"" : values[i];
    }
    return json ? "{" + text + "}" : text;
}

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

TEST_F(CommandLine, HelpNamesEveryCommand) {
    const CliRun run = runCli(folder, {"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("merivane-cli pdf --style STYLE --year YEAR"), std::string::npos);
    EXPECT_NE(run.out.find("merivane-cli weeks FIRST_YEAR [LAST_YEAR]"), std::string::npos);
    EXPECT_NE(run.out.find("merivane-cli ics FIRST_YEAR [LAST_YEAR]"), std::string::npos);
    EXPECT_NE(run.out.find("merivane-cli date [DATE]"), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST_F(CommandLine, YearCalendarGoesToADescriptiveFileInTheCurrentFolder) {
    const CliRun run = runCli(folder, {"pdf", "--style", "year", "--year", "2025"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Broadcast-Year-2025.pdf\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(folderNames(folder), (std::vector<std::string>{"Broadcast-Year-2025.pdf"}));
    const auto pages = pagesOf(folder / "Broadcast-Year-2025.pdf");
    ASSERT_EQ(pages.size(), 1u);
    const auto years = textsEqualTo(pages[0], "2025");
    EXPECT_TRUE(std::any_of(years.begin(), years.end(), [](const PdfText& t) {
        return t.size == 40 && t.fill.red == 1 && t.fill.green == 0;
    }));
    EXPECT_NE(findText(pages[0], "14"), nullptr);
    EXPECT_EQ(findText(pages[0], "14-2Q01"), nullptr);
}

TEST_F(CommandLine, StyleNumbersQuarterLabelsAndAnOutputPathAreHonoured) {
    fs::create_directory(folder / "out");
    const CliRun run = runCli(
        folder, {"pdf", "--style=3", "--year=2024", "--quarters", "--output", "out/mine.pdf"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "out/mine.pdf\n");
    const auto pages = pagesOf(folder / "out" / "mine.pdf");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(findText(pages[0], "14-2Q01"), nullptr);
    EXPECT_NE(findText(pages[0], "13-1Q13"), nullptr);
    EXPECT_EQ(folderNames(folder / "out"), (std::vector<std::string>{"mine.pdf"}));
}

TEST_F(CommandLine, EveryStyleHasItsOwnDefaultName) {
    struct Case {
        std::vector<std::string> arguments;
        std::string name;
        std::size_t pages;
    };
    const Case cases[] = {
        {{"--style", "month"}, "Broadcast-Month-2025.pdf", 12},
        {{"--style", "month", "--month", "5"}, "Broadcast-Month-2025-05.pdf", 1},
        {{"--style", "quarter", "--all"}, "Broadcast-Quarter-2025.pdf", 4},
        {{"--style", "2", "--month", "11"}, "Broadcast-Quarter-2025-11.pdf", 1},
        {{"--style", "3years"}, "Broadcast-3Years-2025-2027.pdf", 1},
        {{"--style", "strip"}, "Broadcast-Keyboard-Strip-2025.pdf", 1},
        {{"--style", "planner"}, "Broadcast-Planner-2025.pdf", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> arguments = {"pdf", "--year", "2025"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const CliRun run = runCli(folder, arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.name + "\n");
        EXPECT_EQ(pagesOf(folder / c.name).size(), c.pages);
    }
}

// Each mistake is named in one line on standard error, the status is 2, and no file appears.
TEST_F(CommandLine, BadArgumentsGiveOneLineAndStatusTwoAndLeaveNoFile) {
    fs::create_directory(folder / "taken.pdf");
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"print"},
        {"pdf"},
        {"pdf", "--style", "year"},
        {"pdf", "--year", "2025"},
        {"pdf", "--style", "year", "--year", "1919"},
        {"pdf", "--style", "year", "--year", "20x5"},
        {"pdf", "--style", "year", "--year", "2025.0"},
        {"pdf", "--style", "year", "--year", "-2025"},
        {"pdf", "--style", "year", "--year", " 2025"},
        {"pdf", "--style", "year", "--year", ""},
        {"pdf", "--style", "year", "--year", "99999999999999999999"},
        {"pdf", "--style", "year", "--year", "10000"},
        {"pdf", "--style", "weekly", "--year", "2025"},
        {"pdf", "--style", "0", "--year", "2025"},
        {"pdf", "--style", "7", "--year", "2025"},
        {"pdf", "--style", "month", "--year", "2025", "--month", "13"},
        {"pdf", "--style", "month", "--year", "2025", "--month", "0"},
        {"pdf", "--style", "month", "--year", "2025", "--month", "5x"},
        {"pdf", "--style", "month", "--year", "2025", "--month", "5", "--all"},
        {"pdf", "--style", "year", "--year", "2025", "--month", "5"},
        {"pdf", "--style", "planner", "--year", "2025", "--all"},
        {"pdf", "--style", "year", "--year", "2025", "--colour"},
        {"pdf", "--style", "year", "--year", "2025", "--output"},
        {"pdf", "--style", "year", "--year", "2025", "--output", "missing/x.pdf"},
        {"pdf", "--style", "year", "--year", "2025", "--output", "taken.pdf"},
        {"pdf", "--style", "year", "--year", "2025", "--output", "taken.pdf/"},
        // A folder that exists but takes no file, whoever runs the test.
        {"pdf", "--style", "year", "--year", "2025", "--output", "/proc/calendar.pdf"},
        {"weeks"},
        {"weeks", "1919"},
        {"weeks", "2025", "2024"},
        {"weeks", "abc"},
        {"weeks", "2024", "2025", "2026"},
        {"weeks", "2024", "--csv"},
        {"weeks", "--json"},
        {"date", "2026-02-30"},
        {"date", "2025-02-29"},
        {"date", "2026-13-01"},
        {"date", "2026-00-10"},
        {"date", "2026-04-31"},
        {"date", "2026-04-00"},
        {"date", "1919-12-28"},
        {"date", "10000-01-01"},
        {"date", "2026-1-5"},
        {"date", "2026/01/05"},
        {"date", "2026-01-05x"},
        {"date", " 2026-01-05"},
        {"date", "+026-01-05"},
        {"date", ""},
        {"date", "2026-01-05", "2026-01-06"},
        {"date", "2026-01-05", "--yaml"},
        {"ics"},
        {"ics", "1919"},
        {"ics", "10000"},
        {"ics", "2026", "2025"},
        {"ics", "2026", "2027", "2028"},
        {"ics", "twenty"},
        {"ics", "2026", "--week"},
        {"ics", "2026", "--output"},
        {"ics", "2026", "--output="},
        {"ics", "2026", "--output", "missing/broadcast.ics"},
        {"ics", "2026", "--output", "taken.pdf"},
        {"ics", "2026", "--output", "/proc/broadcast.ics"},
        // A line break in an argument stays inside the one line.
        {"w\neeks", "2025"},
        {"pdf", "--style", "year\r\n", "--year", "2025"},
    };
    for (const auto& arguments : mistakes) {
        std::string shown;
        for (const std::string& a : arguments)
            shown += " '" + a + "'";
        SCOPED_TRACE("merivane-cli" + shown);
        const CliRun run = runCli(folder, arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.back(), '\n');
        EXPECT_EQ(run.err.rfind("merivane-cli: ", 0), 0u) << run.err;
        EXPECT_EQ(folderNames(folder), (std::vector<std::string>{"taken.pdf"}));
        EXPECT_TRUE(fs::is_empty(folder / "taken.pdf"));
    }
}

// Only a writable regular file is ever replaced: special files, links to them and read-only
// files are refused with status 2 and stay exactly as they were.
TEST_F(CommandLine, OutputThatIsNoWritableRegularFileIsRefused) {
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0644), 0);
    fs::create_symlink(folder / "fifo", folder / "to-fifo.pdf");
    std::ofstream(folder / "read-only.pdf") << "mine";
    fs::permissions(folder / "read-only.pdf", fs::perms::owner_read | fs::perms::group_read);
    const std::vector<std::string> names = folderNames(folder);
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const struct {
        std::string target;
        const char* reason;
    } cases[] = {
        {"fifo", "it is not a regular file"},      {"to-fifo.pdf", "it is not a regular file"},
        {"/dev/null", "it is not a regular file"},
        {"read-only.pdf", "it is read-only"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const CliRun run =
            runCli(folder, {"pdf", "--style", "year", "--year", "2025", "--output", c.target},
                   pipeEnds[1]);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "merivane-cli: cannot write " + c.target + ": " + c.reason + "\n");
        EXPECT_EQ(folderNames(folder), names);
    }
    close(pipeEnds[1]);
    char byte = 0;
    EXPECT_EQ(read(pipeEnds[0], &byte, 1), 0) << "nothing reached the pipe";
    close(pipeEnds[0]);
    EXPECT_EQ(fs::status(folder / "fifo").type(), fs::file_type::fifo);
    EXPECT_EQ(fs::status("/dev/null").type(), fs::file_type::character);
    EXPECT_TRUE(fs::is_symlink("/dev/stdout"));
    EXPECT_EQ(readText(folder / "read-only.pdf"), "mine");
}

// "-" streams the PDF to standard output for piping; a full device fails it with status 1 and
// the reason in words. A name of 250 characters is written like any other.
TEST_F(CommandLine, StandardOutputAndLongNamesAreWrittenWhole) {
    const fs::path piped = folder.parent_path() / (folder.filename().string() + ".piped");
    const int out = open(piped.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(out, 0);
    CliRun run =
        runCli(folder, {"pdf", "--style", "quarter", "--year", "2025", "--output", "-"}, out);
    close(out);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(pagesOf(piped.string()).size(), 4u);
    fs::remove(piped);

    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    run = runCli(folder, {"pdf", "--style", "year", "--year", "2025", "--output", "-"}, full);
    close(full);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("the disk is full"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;

    // A reader that has gone away, and a terminal that would show the PDF as garbage.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    close(pipeEnds[0]);
    run =
        runCli(folder, {"pdf", "--style", "year", "--year", "2025", "--output", "-"}, pipeEnds[1]);
    close(pipeEnds[1]);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("the reading end was closed"), std::string::npos) << run.err;
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(grantpt(terminal), 0);
    ASSERT_EQ(unlockpt(terminal), 0);
    const int screen = open(ptsname(terminal), O_WRONLY | O_NOCTTY);
    ASSERT_GE(screen, 0);
    run = runCli(folder, {"pdf", "--style", "year", "--year", "2025", "--output", "-"}, screen);
    close(screen);
    close(terminal);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "merivane-cli: standard output is a terminal; redirect it or give "
                       "--output FILE\n");

    const std::string longName = std::string(246, 'y') + ".pdf";
    std::ofstream(folder / longName) << "old";
    run = runCli(folder, {"pdf", "--style", "year", "--year", "2025", "--output", longName});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(pagesOf((folder / longName).string()).size(), 1u);
    EXPECT_TRUE(folderNames(folder) == std::vector<std::string>{longName});
}

// The weeks table, checked against consecutive Mondays worked out here.
TEST_F(CommandLine, WeeksListsEveryBroadcastWeekAsCsv) {
    using namespace std::chrono;
    const CliRun run = runCli(folder, {"weeks", "2023", "2025"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto table = lines(run.out);
    ASSERT_EQ(table.size(), 1u + 53 + 52 + 52);
    EXPECT_EQ(table[0], "monday,week,month,year,quarter_week");
    EXPECT_EQ(table[1], "2022-12-26,1,1,2023,1Q01");
    EXPECT_EQ(table[53], "2023-12-25,53,12,2023,4Q14");
    EXPECT_EQ(table[54], "2024-01-01,1,1,2024,1Q01");
    EXPECT_NE(std::find(table.begin(), table.end(), "2024-04-01,14,4,2024,2Q01"), table.end());
    EXPECT_NE(std::find(table.begin(), table.end(), "2024-03-25,13,3,2024,1Q13"), table.end());
    EXPECT_EQ(table.back(), "2025-12-22,52,12,2025,4Q13");

    sys_days monday = year{2022} / December / 26;
    for (std::size_t i = 1; i < table.size(); ++i, monday += days{7}) {
        const year_month_day date{monday};
        const year_month_day sunday{monday + days{6}};
        char expected[32];
        std::snprintf(expected, sizeof expected, "%04d-%02u-%02u,", int(date.year()),
                      unsigned(date.month()), unsigned(date.day()));
        ASSERT_EQ(table[i].rfind(expected, 0), 0u) << table[i];
        // The week's broadcast month is the calendar month of its Sunday.
        const std::string monthAndYear = "," + std::to_string(unsigned(sunday.month())) + "," +
                                         std::to_string(int(sunday.year())) + ",";
        EXPECT_NE(table[i].find(monthAndYear), std::string::npos) << table[i];
    }
}

TEST_F(CommandLine, WeeksOfOneYear) {
    const CliRun run = runCli(folder, {"weeks", "2018"});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto table = lines(run.out);
    ASSERT_EQ(table.size(), 53u);
    EXPECT_NE(std::find(table.begin(), table.end(), "2018-09-24,39,9,2018,3Q14"), table.end());
    EXPECT_NE(std::find(table.begin(), table.end(), "2018-03-19,12,3,2018,1Q12"), table.end());
}

// The broadcast calendar by the standard library's date arithmetic, not the program's: a week
// runs Monday to Sunday and belongs to the month and year of its Sunday.
std::chrono::sys_days mondayOnOrBefore(std::chrono::sys_days day) {
    return day - (std::chrono::weekday{day} - std::chrono::Monday);
}
// The first Monday of broadcast month `month` of `year` (13: the next year's first).
std::chrono::sys_days broadcastMonthStart(int year, int month) {
    using namespace std::chrono;
    if (month == 13) return mondayOnOrBefore(sys_days{std::chrono::year{year + 1} / January / 1});
    return mondayOnOrBefore(
        sys_days{std::chrono::year{year} / std::chrono::month(static_cast<unsigned>(month)) / 1});
}
std::string isoText(std::chrono::sys_days day) {
    const std::chrono::year_month_day date{day};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", int(date.year()), unsigned(date.month()),
                  unsigned(date.day()));
    return text;
}

// Every day of broadcast 2024 to 2028 (1 January 2024 to 31 December 2028) through date and days
// in-process against rows worked out here, as a process a day is slow under the sanitizers. The
// program prints the same on a sample (a leap week, 2026's month bounds, tables) run by one shell,
// as a process started from this one is slow too.
TEST_F(CommandLine, DateAndDaysAgreeWithTheWeekTableEveryDay) {
    using namespace std::chrono;
    static const char* const kMonths[] = {"",        "January",  "February", "March",  "April",
                                          "May",     "June",     "July",     "August", "September",
                                          "October", "November", "December"};
    static const char* const kDays[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                        "Friday", "Saturday", "Sunday"};
    std::string script, expected;
    auto sample = [&](int (*command)(int, char**), const std::vector<std::string>& arguments) {
        script += "'" MERIVANE_CLI "'";
        for (const std::string& argument : arguments)
            script += " " + argument;
        script += "; echo status $?\n";
        expected += inProcessOutput(command, arguments);
    };
    std::vector<std::string> csv{rowText(kDayColumns, false)}, json{"["};
    const sys_days leapWeek{2024y / February / 26};
    for (int year = 2024; year <= 2028; ++year) {
        const sys_days yearStart = broadcastMonthStart(year, 1);
        for (int month = 1; month <= 12; ++month) {
            const sys_days start = broadcastMonthStart(year, month);
            const sys_days end = broadcastMonthStart(year, month + 1) - days{1};
            const sys_days quarterStart = broadcastMonthStart(year, (month - 1) / 3 * 3 + 1);
            const std::string yearText = std::to_string(year), name = kMonths[month];
            const std::string monthStart = isoText(start), monthEnd = isoText(end);
            for (sys_days day = start; day <= end; day += days{1}) {
                const sys_days monday = mondayOnOrBefore(day);
                const std::string date = isoText(day);
                const int quarterWeek = (monday - quarterStart).count() / 7 + 1;
                const std::string label = std::to_string((month + 2) / 3) + "Q" +
                                          (quarterWeek < 10 ? "0" : "") +
                                          std::to_string(quarterWeek);
                const std::string week = std::to_string((monday - yearStart).count() / 7 + 1);
                const std::string weekStart = isoText(monday);
                const std::string weekEnd = isoText(monday + days{6});
                const std::vector<std::string> row({date, kDays[(day - monday).count()], yearText,
                                                    std::to_string((month + 2) / 3),
                                                    std::to_string(month), name, week, label,
                                                    std::to_string((day - monday).count() + 1),
                                                    std::to_string((day - start).count() + 1),
                                                    std::to_string((day - yearStart).count() + 1),
                                                    weekStart, weekEnd, monthStart, monthEnd});
                csv.push_back(rowText(row, false));
                json.push_back(rowText(row, true) + ",");
                ASSERT_EQ(inProcessOutput(runDateCommand, {"date", date}),
                          date + ": week " + week + " (" + label + ") of broadcast year " +
                              yearText + ", " + weekStart + " to " + weekEnd + "; broadcast " +
                              name + " " + yearText + ", " + monthStart + " to " + monthEnd +
                              "\nstatus 0\n");
                ASSERT_EQ(
                    inProcessOutput(runDateCommand, {"date", date, "--json"}),
                    rowText(row, true, " weekday quarter day_of_week day_of_month day_of_year ") +
                        "\nstatus 0\n");
                if ((year == 2026 && (day == start || day == end)) ||
                    (day >= leapWeek && day < leapWeek + days{7})) {
                    sample(runDateCommand, {"date", date});
                    sample(runDateCommand, {"date", date, "--json"});
                }
            }
        }
    }
    json.back().pop_back();
    json.insert(json.end(), {"]", "status 0"});
    csv.push_back("status 0");
    EXPECT_EQ(csv.size(), 2u + 366 + 3 * 365 + 366);
    const std::vector<std::string> days{"days", "2024", "2028"},
        daysJson{"days", "2024", "2028", "--json"};
    for (const auto& [arguments, rows] : {std::pair{days, csv}, {daysJson, json}}) {
        const std::vector<std::string> table = lines(inProcessOutput(runDaysCommand, arguments));
        ASSERT_EQ(table.size(), rows.size());
        for (std::size_t i = 0; i < table.size(); ++i)
            ASSERT_EQ(table[i], rows[i]);
        sample(runDaysCommand, arguments);
    }
    EXPECT_EQ(commandOutput(script), expected);
}

} // namespace
