// A process killed at random moments while it saves calendars and settings in a loop: every
// target must afterwards be either the file it replaced or a whole new one, and the clean-up of
// the next start must leave no temporary file behind.
#include "common/atomic_file.h"
#include "program/settings.h"
#include "render/generate.h"
#include "support/test_files.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kKills = 300;
constexpr int kVersions = 4;
constexpr int kShortestWaitMicroseconds = 1000;
// Keeps the whole test to seconds on a disk that syncs slowly.
constexpr int kLongestWaitMicroseconds = 20000;

CalendarRequest calendarVersion(int version) {
    return {Year, 2024 + version, 0, false};
}

// Long enough that a torn write would show.
std::string settingVersion(int version) {
    return std::string(900, static_cast<char>('a' + version));
}

std::string settingsFileVersion(int version) {
    return "[Crash]\nValue=" + settingVersion(version) + "\n";
}

// Saves one version after the other until it is killed.
[[noreturn]] void saveForever(const fs::path& calendar, const fs::path& settings, int first) {
    for (int i = first;; ++i) {
        WriteSetting(settings.string(), "Crash", "Value", settingVersion(i % kVersions));
        WriteCalendarFile(calendarVersion(i % kVersions), calendar.string());
    }
}

// Which version a file is, or -1 when it is none of them whole (-2 when it does not exist).
template <typename Versions> int versionOf(const fs::path& path, const Versions& versions) {
    if (!fs::exists(path)) return -2;
    const std::string text = readText(path);
    for (int i = 0; i < kVersions; ++i)
        if (text == versions[i]) return i;
    return -1;
}

TEST(CrashSafety, KilledSavesLeaveTheOldFileOrAWholeNewOne) {
    std::string pattern = (fs::temp_directory_path() / "crash-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path root = pattern;
    const fs::path work = root / "work";
    fs::create_directory(work);
    const fs::path calendar = work / "calendar.pdf";
    const fs::path settings = work / "Zarn.ini";

    // Calendars carry their creation date; a fixed one gives each version the same bytes.
    setenv("SOURCE_DATE_EPOCH", "1800000000", 1);
    // The whole files each version gives, made here before any kill.
    std::array<std::string, kVersions> calendars, settingsFiles;
    for (int i = 0; i < kVersions; ++i) {
        const fs::path reference = root / ("reference-" + std::to_string(i) + ".pdf");
        ASSERT_TRUE(WriteCalendarFile(calendarVersion(i), reference.string()));
        calendars[i] = readText(reference);
        settingsFiles[i] = settingsFileVersion(i);
    }
    ASSERT_NE(calendars[0], calendars[1]);

    // Kills land anywhere in up to two whole rounds of saving, however fast this machine saves.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kVersions; ++i) {
        WriteSetting(settings.string(), "Crash", "Value", settingVersion(i));
        WriteCalendarFile(calendarVersion(i), calendar.string());
    }
    const auto round = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::steady_clock::now() - start) /
                       kVersions;
    const int longestWait = std::clamp(2 * static_cast<int>(round.count()),
                                       kShortestWaitMicroseconds, kLongestWaitMicroseconds);
    ASSERT_TRUE(WriteCalendarFile(calendarVersion(0), calendar.string()));
    ASSERT_TRUE(WriteSetting(settings.string(), "Crash", "Value", settingVersion(0)));
    std::mt19937 random(20251207);
    std::uniform_int_distribution<int> wait(0, longestWait);
    int changes = 0, leftovers = 0, calendarBefore = 0, settingsBefore = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) saveForever(calendar, settings, kill);
        usleep(static_cast<useconds_t>(wait(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended by itself";

        const int calendarNow = versionOf(calendar, calendars);
        const int settingsNow = versionOf(settings, settingsFiles);
        ASSERT_GE(calendarNow, 0) << "kill " << kill << ": the calendar is torn or gone";
        ASSERT_GE(settingsNow, 0) << "kill " << kill << ": the settings file is torn or gone";
        changes += (calendarNow != calendarBefore) + (settingsNow != settingsBefore);
        calendarBefore = calendarNow;
        settingsBefore = settingsNow;
        // What the next start does: its own temporary files go, nothing else.
        leftovers += removeLeftoverTemporaryFiles(work.string());
        ASSERT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 2)
            << "kill " << kill << ": a temporary file survived the clean-up";
    }
    // Kills that never caught a save in progress would prove nothing.
    EXPECT_GT(changes, kKills / 10);
    std::printf("%d kills within %d us each, %d files replaced between kills, %d temporary files "
                "cleaned up\n",
                kKills, longestWait, changes, leftovers);
    RecordProperty("kills", kKills);
    RecordProperty("replaced", changes);
    RecordProperty("leftovers", leftovers);
    fs::remove_all(root);
}

} // namespace
