// The settings store against real files in a scratch folder.
#include "program/paths.h"
#include "program/settings.h"
#include "support/test_files.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct ScratchFolder {
    fs::path path;
};

ScratchFolder makeScratch() {
    char pattern[] = "/tmp/merivane-settings-XXXXXX";
    const char* made = mkdtemp(pattern);
    return {made ? fs::path(made) : fs::path()};
}

void removeScratch(const ScratchFolder& scratch) {
    std::error_code ignored;
    fs::permissions(scratch.path, fs::perms::owner_all, ignored);
    fs::remove_all(scratch.path, ignored);
}

// Runs the step in a child process that cannot override file permissions, since the tests may
// run as root; returns the child's exit code.
int runUnprivileged(const std::function<int()>& step) {
    const pid_t child = fork();
    if (child < 0) return 98;
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(90);
        _exit(step());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        scratch = makeScratch();
        ASSERT_FALSE(scratch.path.empty());
        ini = (scratch.path / "Zarn.ini").string();
    }
    void TearDown() override { removeScratch(scratch); }
    ScratchFolder scratch;
    std::string ini;
};

TEST_F(SettingsFile, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(ReadSetting(ini, "PDF", "Number", "0"), "0");
    EXPECT_FALSE(fs::exists(ini)) << "reading never creates the file";
    writeText(ini, "[PDF]\nNumber=7\n");
    EXPECT_EQ(ReadSetting(ini, "Last", "Year", " 2026 "), "2026");
    EXPECT_EQ(ReadSetting(ini, "PDF", "Other", ""), "");
    EXPECT_EQ(ReadSetting(ini, "PDF", "Number", "0"), "7");
}

TEST_F(SettingsFile, NamesIgnoreCaseAndValuesLoseTheirBlanks) {
    writeText(ini, "[preferences]\n  showtips =  1  \nSTYLE=0\nQUARTERS=1\n");
    EXPECT_EQ(ReadSetting(ini, "Preferences", "ShowTips", "0"), "1");
    EXPECT_EQ(ReadSetting(ini, "Preferences", "Quarters", "0"), "1");
    EXPECT_EQ(ReadSetting(ini, "PREFERENCES", "Style", "1"), "0");
    WriteSetting(ini, "Preferences", "ShowTips", "  0  ");
    EXPECT_EQ(ReadSetting(ini, "preferences", "SHOWTIPS", "1"), "0");
    const std::string text = readText(ini);
    EXPECT_EQ(text.find("ShowTips="), std::string::npos) << "the existing key line is reused:\n"
                                                         << text;
    EXPECT_NE(text.find("showtips=0"), std::string::npos) << text;
}

TEST_F(SettingsFile, FirstWriteCreatesFileSectionAndKey) {
    EXPECT_TRUE(WriteSetting(ini, "PDF", "Number", "1"));
    EXPECT_EQ(readText(ini), "[PDF]\nNumber=1\n");
    EXPECT_TRUE(WriteSetting(ini, "Last", "Year", "2025"));
    EXPECT_TRUE(WriteSetting(ini, "PDF", "Extra", "x"));
    EXPECT_EQ(readText(ini), "[PDF]\nNumber=1\nExtra=x\n\n[Last]\nYear=2025\n");
}

TEST_F(SettingsFile, CommentsUnknownKeysAndOtherSectionsSurviveAWrite) {
    const std::string original =
        "; written by hand\n[Preferences]\n# keep me\nStyle=1\nFancy=yes\n\n"
        "[Custom]\nWhatever = 12\n[Last]\nYear=2024\n";
    writeText(ini, original);
    WriteSetting(ini, "Last", "Year", "2025");
    WriteSetting(ini, "Preferences", "Quarters", "1");
    const std::string text = readText(ini);
    for (const char* kept :
         {"; written by hand", "# keep me", "Fancy=yes", "[Custom]", "Whatever = 12", "Style=1"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " lost:\n" << text;
    EXPECT_EQ(ReadSetting(ini, "Last", "Year", ""), "2025");
    EXPECT_EQ(ReadSetting(ini, "Preferences", "Quarters", ""), "1");
    // The new key joins its own section, not the end of the file.
    EXPECT_LT(text.find("Quarters=1"), text.find("[Custom]"));
}

TEST_F(SettingsFile, CrlfAndLfFilesReadAlikeAndKeepTheirLineEnds) {
    writeText(ini, "[Last]\r\nYear=2030\r\nStyle=4\r\n");
    EXPECT_EQ(ReadSetting(ini, "Last", "Year", ""), "2030");
    EXPECT_EQ(ReadSetting(ini, "Last", "Style", ""), "4");
    WriteSetting(ini, "Last", "Style", "5");
    EXPECT_EQ(readText(ini), "[Last]\r\nYear=2030\r\nStyle=5\r\n");
    writeText(ini, "[Last]\nYear=2031");
    EXPECT_EQ(ReadSetting(ini, "Last", "Year", ""), "2031");
    WriteSetting(ini, "Last", "Style", "6");
    EXPECT_EQ(readText(ini), "[Last]\nYear=2031\nStyle=6\n");
}

TEST_F(SettingsFile, LongValuesAreCutAtTheLimits) {
    WriteSetting(ini, "Update", "Install", std::string(1500, 'a'));
    EXPECT_EQ(ReadSetting(ini, "Update", "Install", "").size(), 999u);
    writeText(ini, "[Update]\nInstall=" + std::string(5000, 'b') + "\n");
    EXPECT_EQ(ReadSetting(ini, "Update", "Install", "").size(), 3999u);
    EXPECT_EQ(ReadSetting(ini, "Update", "Missing", std::string(400, 'c')).size(), 299u);
}

TEST_F(SettingsFile, BinaryGarbageReadsAsDefaultsAndIsNotLost) {
    std::string garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 7919 + 13) % 256);
    writeText(ini, garbage);
    EXPECT_EQ(ReadSetting(ini, "PDF", "Number", "0"), "0");
    EXPECT_EQ(ReadSetting(ini, "", "", "d"), "d");
    EXPECT_TRUE(WriteSetting(ini, "PDF", "Number", "3"));
    EXPECT_EQ(ReadSetting(ini, "PDF", "Number", "0"), "3");
}

TEST_F(SettingsFile, LineBreaksCannotSmuggleInEntries) {
    WriteSetting(ini, "Last", "Year", "2025");
    EXPECT_FALSE(WriteSetting(ini, "Last", "Year", "2026\n[PDF]\nNumber=998"));
    EXPECT_FALSE(WriteSetting(ini, "Last", "Key=With", "1"));
    EXPECT_EQ(ReadSetting(ini, "PDF", "Number", "0"), "0");
    EXPECT_EQ(ReadSetting(ini, "Last", "Year", ""), "2025");
}

// A key the reader would take for a comment or a section line could never be read back.
TEST_F(SettingsFile, KeysThatWouldReadAsSomethingElseAreRefused) {
    WriteSetting(ini, "Last", "Year", "2025");
    const std::string before = readText(ini);
    for (const char* key : {";Year", "#Year", "[Year", " ;Year"})
        EXPECT_FALSE(WriteSetting(ini, "Last", key, "1")) << key;
    EXPECT_EQ(readText(ini), before);
}

// Anything but a regular file under the settings name holds no settings: reading gives the
// defaults at once (a FIFO would otherwise block for ever) and nothing is written over it.
TEST_F(SettingsFile, SpecialFilesReadAsUnreadableWithoutBlocking) {
    const std::string fifo = (scratch.path / "fifo.ini").string();
    const std::string folder = (scratch.path / "folder.ini").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    fs::create_directory(folder);
    for (const std::string& path : {fifo, folder, std::string("/dev/null")}) {
        SCOPED_TRACE(path);
        // In a child with an alarm, so a blocking open fails the test instead of hanging it.
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            alarm(5);
            if (ReadSetting(path, "PDF", "Number", "0") != "0") _exit(1);
            _exit(WriteSetting(path, "PDF", "Number", "5") ? 2 : 0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(fs::status("/dev/null").type(), fs::file_type::character);
}

// A settings file kept elsewhere through a link stays linked: the file it names is replaced.
TEST_F(SettingsFile, ALinkedSettingsFileKeepsItsLink) {
    fs::create_directory(scratch.path / "real");
    const fs::path real = scratch.path / "real" / "Zarn.ini";
    writeText(real, "[Last]\nYear=2024\n");
    fs::create_symlink(real, ini);
    EXPECT_TRUE(WriteSetting(ini, "Last", "Year", "2025"));
    EXPECT_TRUE(fs::is_symlink(ini));
    EXPECT_EQ(readText(real), "[Last]\nYear=2025\n");
}

TEST_F(SettingsFile, ReadOnlyFolderLosesTheWriteButKeepsTheOldValue) {
    WriteSetting(ini, "Last", "Year", "2024");
    fs::permissions(scratch.path, fs::perms::owner_read | fs::perms::owner_exec |
                                      fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string path = ini;
    const int code = runUnprivileged([path] {
        const bool written = WriteSetting(path, "Last", "Year", "2099");
        if (written) return 1;
        return ReadSetting(path, "Last", "Year", "") == "2024" ? 0 : 2;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadSetting(ini, "Last", "Year", ""), "2024");
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
}

TEST_F(SettingsFile, AFullDiskNeverTearsTheFile) {
    std::string original = "[Update]\nNotes=" + std::string(3000, 'n') + "\n";
    writeText(ini, original);
    const std::string path = ini;
    // Run by root, the step runs as nobody, who must own the folder for the limit to be the cause.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(scratch.path.c_str(), 65534, 65534) | chown(ini.c_str(), 65534, 65534), 0);
    }
    // A file size limit below the new file's size makes every write fail as a full disk does.
    const int code = runUnprivileged([path] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1024, 1024};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
        return WriteSetting(path, "Update", "LastCheck", "2461000") ? 1 : 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readText(ini), original);
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path), fs::directory_iterator()), 1);
}

TEST_F(SettingsFile, PreferencesLoadWithDefaultsAndSaveAsFlags) {
    global::settingsPath = ini;
    global::preferences = {3, kReaderFoundFlag};
    LoadPreferences();
    EXPECT_EQ(global::preferences.flags,
              kRememberStyleFlag | kTooltipsFlag | kUpdateAlertFlag | kReaderFoundFlag);
    EXPECT_EQ(global::preferences.style, 3);

    writeText(ini, "[Preferences]\nStyle=2\nIntelYear=3\nQuarters=abc\nShowTips= 1 \nUpdate=0\n");
    LoadPreferences();
    EXPECT_EQ(global::preferences.flags, kIntelligentYearFlag | kTooltipsFlag | kReaderFoundFlag);

    SavePreferences({5, kQuarterWeeksFlag | kRememberStyleFlag});
    EXPECT_EQ(global::preferences.style, 5);
    EXPECT_EQ(ReadSetting(ini, "Preferences", "Style", ""), "1");
    EXPECT_EQ(ReadSetting(ini, "Preferences", "IntelYear", ""), "0");
    EXPECT_EQ(ReadSetting(ini, "Preferences", "Quarters", ""), "1");
    EXPECT_EQ(ReadSetting(ini, "Preferences", "ShowTips", ""), "0");
    EXPECT_EQ(ReadSetting(ini, "Preferences", "Update", ""), "0");
    // The remember-style flag and the last style are separate keys.
    WriteSetting(ini, "Last", "Style", "4");
    SavePreferences({5, 0});
    EXPECT_EQ(ReadSetting(ini, "Preferences", "Style", ""), "0");
    EXPECT_EQ(ReadSetting(ini, "Last", "Style", ""), "4");

    // The window's and the pages' languages: only en, fr and es name one.
    const std::pair<std::string, Language> languages[] = {
        {std::string(5000, 'f'), Language::Automatic},
        {std::string("f\0r\x01\xff", 5), Language::Automatic},
        {"/etc/passwd", Language::Automatic},
        {"FR", Language::Automatic},
        {"de", Language::Automatic},
        {" es ", Language::Spanish},
        {"fr", Language::French}};
    for (const auto& [value, language] : languages) {
        writeText(ini, "[Display]\nLanguage=" + value + "\nPageLanguage=" + value + "\n");
        LoadPreferences();
        EXPECT_EQ(ReadWindowLanguage(), language) << value.substr(0, 20);
        EXPECT_EQ(global::preferences.pageLanguage, language) << value.substr(0, 20);
    }
    // Each has a key of its own: calendars in Spanish from a French window.
    writeText(ini, "[Display]\nLanguage=fr\nPageLanguage=es\n");
    LoadPreferences();
    EXPECT_EQ(ReadWindowLanguage(), Language::French);
    EXPECT_EQ(global::preferences.pageLanguage, Language::Spanish);
    EXPECT_TRUE(SaveWindowLanguage(Language::English));
    SavePreferences({5, 0, Language::Spanish});
    EXPECT_EQ(ReadSetting(ini, "Display", "Language", ""), "en");
    EXPECT_EQ(ReadSetting(ini, "Display", "PageLanguage", ""), "es");
    // Calendars are numbered 1 to 999, then from 1 again.
    const std::pair<const char*, int> numbers[] = {{"998", 999}, {"999", 1}, {"-4", 1}};
    for (const auto& [stored, next] : numbers) {
        WriteSetting(ini, "PDF", "Number", stored);
        EXPECT_EQ(FollowingCalendarNumber(), next) << stored;
    }
    global::settingsPath.clear();
}

} // namespace

// A settings path longer than 299 characters is used whole: the settings land in the file it
// names, and nowhere else. A name the system refuses is a failed write that leaves nothing.
TEST_F(SettingsFile, ALongPathIsUsedWholeAndARefusedOneWritesNothing) {
    fs::path folder = scratch.path;
    while (folder.string().size() < 320)
        folder /= std::string(60, 'd');
    fs::create_directories(folder);
    const std::string longIni = (folder / "Zarn.ini").string();
    ASSERT_GT(longIni.size(), 299u);
    EXPECT_TRUE(WriteSetting(longIni, "Last", "Year", "2026"));
    EXPECT_EQ(readText(longIni), "[Last]\nYear=2026\n");
    EXPECT_EQ(ReadSetting(longIni, "Last", "Year", "0"), "2026");
    EXPECT_FALSE(fs::exists(longIni.substr(0, 299)));

    const std::string refused = (scratch.path / (std::string(300, 'n') + ".ini")).string();
    EXPECT_FALSE(WriteSetting(refused, "Last", "Year", "2026"));
    EXPECT_EQ(ReadSetting(refused, "Last", "Year", "0"), "0");
    std::size_t entries = 0;
    for (const auto& entry : fs::recursive_directory_iterator(scratch.path))
        entries += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(entries, 1u); // the long path's Zarn.ini only
}

// The credit line round-trips whatever it holds: "=" and "[" stay, line breaks and other control
// characters go, 10,000 characters load as 100; a logo path the file cannot hold is not written.
TEST_F(SettingsFile, CreditAndLogoRoundTripAsOneSafeLine) {
    global::settingsPath = ini;
    const std::string path = "/home/me/Logos/[KXYZ] a=b.png";
    ASSERT_TRUE(SavePageBranding({"[Sales]\nx=1\r\n\tKXYZ = 101.5", path}));
    global::pageBranding = {};
    LoadPageBranding();
    EXPECT_EQ(global::pageBranding.credit, "[Sales]x=1KXYZ = 101.5");
    EXPECT_EQ(global::pageBranding.logo, path);
    EXPECT_EQ(ReadSetting(ini, "Sales", "x", "none"), "none");

    writeText(ini, "[Pages]\nCredit=" + std::string(10000, 'A') + "\n");
    LoadPageBranding();
    EXPECT_EQ(global::pageBranding.credit, std::string(100, 'A'));
    // Stored only as it reads back: whole (999 characters at most) and without edge blanks.
    const std::pair<std::string, bool> logos[] = {{"/tmp/a\nb.png", false},
                                                  {"/" + std::string(994, 'l') + ".png", true},
                                                  {"/" + std::string(995, 'l') + ".png", false},
                                                  {" /tmp/logo.png", false}};
    for (const auto& [logo, stored] : logos) {
        ASSERT_TRUE(SavePageBranding({"KXYZ", logo}));
        EXPECT_EQ(ReadSetting(ini, "Pages", "Logo", "unset"), stored ? logo : "") << logo.size();
        EXPECT_EQ(global::pageBranding.logo, logo);
    }
}
