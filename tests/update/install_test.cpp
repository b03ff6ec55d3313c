// The installer at exit, the start-up notices after an update, "Updater.ini" and the clean-up
// of old installers, with real files and real dialogs on the offscreen platform.
#include "update_test_support.h"

#include "program/settings.h"
#include "update/install.h"
#include "update/installer_file.h"

#include <QDesktopServices>
#include <QUrl>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using namespace updatetest;
namespace fs = std::filesystem;

// Stands in for the desktop's web browser.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    std::vector<std::string> opened;
  public slots:
    void open(const QUrl& url) { opened.push_back(url.toString().toStdString()); }
};

namespace {

std::string argumentGiven;

std::string updateSetting(const std::string& key) {
    return ReadSetting(global::settingsPath, "Update", key, "none");
}

void startWith(const std::string& argument) {
    argumentGiven = argument;
    global::firstProgramArgument = [] { return argumentGiven; };
}

// An installer as the download leaves and records it.
void plantDownload(const std::string& name) {
    writeText(global::programFolder + name, "installer");
    ASSERT_TRUE(recordInstaller(global::programFolder, name));
}

// The installer's record is moved into place whole.
bool waitForFile(const fs::path& path) {
    for (int i = 0; i < 2000 && !fs::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs::exists(path);
}

// No process started by the test is left, running or ended: posix_spawn returns once its
// child runs, so an installer that was started is one by the time this is asked.
bool noChildren() {
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// Reaps every process the test started, as each ends; false if one still runs at the limit.
bool childrenEnded() {
    for (int i = 0; i < 2000; ++i) {
        if (waitpid(-1, nullptr, WNOHANG) < 0) return errno == ECHILD;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

TEST(PostUpdate, SuccessNoticeOffersWhatsNewThenCleansUp) {
    ScratchProgram program;
    writeText(program / "Zarn.ini", "[Update]\nNewVer=6.0.0.1\nFailed=1\n");
    plantDownload("Zarn_6001.exe");
    writeText(program / "Vantrel.exe", "leftover");
    writeText(program / "Release Notes.rtf", "{\\rtf1 {\\b Faster} printing\\par}");
    startWith("/update");
    std::string notes;
    answers["Update Process Complete"] = [](QWidget* window) { press(window, "&See What's New"); };
    answers["Update Information"] = [&notes](QWidget* window) {
        notes = labelTexts(window);
        press(window, "&OK");
    };
    runWithAnswers([] { PostUpdateProcessing({}); });
    EXPECT_EQ(captionsSeen(),
              (std::vector<std::string>{"Update Process Complete", "Update Information"}));
    EXPECT_NE(textsOf("Update Process Complete")
                  .find("Congratulations! Zarn Generator has been updated to version 6.0.0.1!"),
              std::string::npos)
        << textsOf("Update Process Complete");
    EXPECT_NE(notes.find("Zarn Generator 6.0.0.1:"), std::string::npos) << notes;
    EXPECT_EQ(updateSetting("NewVer"), "");
    EXPECT_EQ(updateSetting("Failed"), "0");
    EXPECT_EQ(updateSetting("Install"), "");
    EXPECT_FALSE(fs::exists(program / "Zarn_6001.exe"));
    EXPECT_FALSE(fs::exists(program / "Vantrel.exe"));
}

TEST(PostUpdate, NoNotesFileOffersOnlyOkAndNoVersionShowsNothing) {
    ScratchProgram program;
    writeText(program / "Zarn.ini", "[Update]\nNewVer=6.0.0.2\n");
    startWith("/update");
    bool onlyOk = false;
    answers["Update Process Complete"] = [&onlyOk](QWidget* window) {
        onlyOk = buttonNamed(window, "&See What's New") == nullptr &&
                 window->findChildren<QAbstractButton*>().size() == 1;
        press(window, "&OK");
    };
    runWithAnswers([] { PostUpdateProcessing({}); });
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{"Update Process Complete"});
    EXPECT_TRUE(onlyOk);

    // "/update" without a recorded version: no notice, but the clean-up still runs.
    writeText(program / "Zarn.ini", "[Update]\n");
    plantDownload("Zarn_6002.exe");
    writeText(program / "Vantrel.exe", "x");
    runWithAnswers([] { PostUpdateProcessing({}); });
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(fs::exists(program / "Zarn_6002.exe"));
    EXPECT_FALSE(fs::exists(program / "Vantrel.exe"));
    EXPECT_EQ(updateSetting("Install"), "");
}

TEST(PostUpdate, FailureNoticeGoesToTheWebSiteOnceAndSkipsTheCleanUp) {
    ScratchProgram program;
    UrlCatcher browser;
    QDesktopServices::setUrlHandler("https", &browser, "open");
    const std::string settings = "[Update]\nFailed=1\nSite=https://updates.example/zarn\n";
    writeText(program / "Zarn.ini", settings);
    plantDownload("Zarn_6001.exe");
    startWith("");
    answers["Update Process Failed"] = [](QWidget* window) { press(window, "&Go To Website"); };
    runWithAnswers([] { PostUpdateProcessing({}); });
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{"Update Process Failed"});
    EXPECT_NE(textsOf("Update Process Failed")
                  .find("The update can be downloaded directly from our web site."),
              std::string::npos);
    EXPECT_EQ(browser.opened, std::vector<std::string>{"https://updates.example/zarn/"});
    EXPECT_EQ(updateSetting("Failed"), "0");
    EXPECT_TRUE(fs::exists(program / "Zarn_6001.exe")) << "the clean-up waits";

    // Shown once only: the next start says nothing and cleans up.
    runWithAnswers([] { PostUpdateProcessing({}); });
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(fs::exists(program / "Zarn_6001.exe"));

    // Continue Without Updating cleans up at once; "Maybe Later" in this run shows nothing.
    writeText(program / "Zarn.ini", settings);
    plantDownload("Zarn_6001.exe");
    answers["Update Process Failed"] = [](QWidget* window) {
        press(window, "&Continue Without Updating");
    };
    runWithAnswers([] { PostUpdateProcessing({}); });
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{"Update Process Failed"});
    EXPECT_FALSE(fs::exists(program / "Zarn_6001.exe"));
    writeText(program / "Zarn.ini", settings);
    UpdateOffer later;
    later.laterChosen = true;
    runWithAnswers([&later] { PostUpdateProcessing(later); });
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(updateSetting("Failed"), "1");

    // Without an update site there is no web site to offer.
    writeText(program / "Zarn.ini", "[Update]\nFailed=1\n");
    answers["Update Process Failed"] = [](QWidget* window) { press(window, "&OK"); };
    runWithAnswers([] { PostUpdateProcessing({}); });
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{"Update Process Failed"});
    EXPECT_EQ(browser.opened.size(), 1u);
    QDesktopServices::unsetUrlHandler("https");
}

// Only the installer the download recorded goes, as it left it: an edited Install= never deletes
// the user's own file, the settings, the program, a link or what it names, a FIFO, a second name
// of another file, a changed file (also one whose time was put back, or rewritten at its size),
// the download given a second name, another file of the same size and time in its place, or
// anything outside.
TEST(PostUpdate, CleanUpDeletesOnlyTheRecordedDownload) {
    const struct {
        std::string install;
        std::string kind;
        bool deleted;
    } cases[] = {
        {"Zarn.ini", "settings", false},         {"merivane-cli", "file", false},
        {"libmerivane_proc.so", "file", false},  {".merivane-Ab12Cd", "file", false},
        {"Zarn_6001.exe", "link", false},        {"Zarn_6002.exe", "hard link", false},
        {"Zarn_6003.exe", "folder", false},      {"../victim", "file", false},
        {"Zarn_6004.exe", "file", false},        {"notes.txt", "file", false},
        {"Zarn_6005.exe", "fifo", false},        {"Zarn_6006.exe", "changed", false},
        {"Zarn_6007.exe", "download", true},     {"Zarn_6008.exe", "replaced", false},
        {"Zarn_6009.exe", "resized", false},     {"Zarn_6010.exe", "retimed", false},
        {"Zarn_6011.exe", "second name", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.install);
        ScratchProgram program;
        writeText(program / "Zarn.ini", "[Update]\nFailed=0\nInstall=" + c.install + "\n");
        const fs::path target = program / c.install, victim = program / ".." / "victim";
        writeText(victim, "precious");
        if (c.kind == "file") writeText(target, "file");
        if (c.kind == "link") fs::create_symlink(victim, target);
        if (c.kind == "hard link") fs::create_hard_link(victim, target);
        if (c.kind == "folder") fs::create_directory(target);
        if (c.kind == "fifo") mkfifo(target.c_str(), 0600);
        if (c.kind == "download" || c.kind == "changed" || c.kind == "replaced" ||
            c.kind == "resized" || c.kind == "retimed" || c.kind == "second name")
            plantDownload(c.install);
        if (c.kind == "second name") fs::create_hard_link(target, program / "kept.exe");
        if (c.kind == "changed") std::ofstream(target, std::ios::app) << "and more";
        struct stat recorded {};
        if (c.kind == "replaced" || c.kind == "resized" || c.kind == "retimed") {
            ASSERT_EQ(stat(target.c_str(), &recorded), 0);
        }
        const struct timespec times[] = {recorded.st_atim, recorded.st_mtim};
        // Another file of the same size and time put in the download's place.
        if (c.kind == "replaced") {
            writeText(program / "other", "installer");
            ASSERT_EQ(utimensat(AT_FDCWD, (program / "other").c_str(), times, 0), 0);
            fs::rename(program / "other", target);
        }
        // The same file, grown, with its time put back.
        if (c.kind == "resized") {
            std::ofstream(target, std::ios::app) << " grown";
            ASSERT_EQ(utimensat(AT_FDCWD, target.c_str(), times, 0), 0);
        }
        // The same file and size, written again a second later.
        if (c.kind == "retimed") {
            std::fstream(target, std::ios::in | std::ios::out) << "INSTALLER";
            const struct timespec later[] = {times[0], {times[1].tv_sec + 1, times[1].tv_nsec}};
            ASSERT_EQ(utimensat(AT_FDCWD, target.c_str(), later, 0), 0);
        }
        startWith("");
        runWithAnswers([] { PostUpdateProcessing({}); });
        EXPECT_TRUE(seen.empty());
        EXPECT_EQ(fs::exists(fs::symlink_status(target)), !c.deleted);
        EXPECT_EQ(updateSetting("Install"), "") << "a record of anything but the download goes";
        EXPECT_EQ(readText(victim), c.install == "../victim" ? "file" : "precious");
        EXPECT_EQ(readText(program / "Zarn.ini").substr(0, 8), "[Update]");
        fs::remove(victim);
    }
}

TEST(OutsideUpdater, NoticeWhenItsSourceExistsAndOldInstallersGo) {
    ScratchProgram program;
    const fs::path updater = program / "Updater.ini";
    writeText(program / "source.bin", "x");
    writeText(updater,
              "[Program]\nSource=" + (program / "source.bin").string() + "\nNewVersion=6.0.0.3\n");
    runWithAnswers([] { ExternalUpdaterNotice(""); });
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{"Update Process Complete"});
    EXPECT_NE(textsOf("Update Process Complete")
                  .find("Congratulations! Zarn Generator has been updated to version 6.0.0.3!"),
              std::string::npos);
    EXPECT_EQ(ReadSetting(updater.string(), "Program", "Source", "none"), "");
    EXPECT_EQ(ReadSetting(updater.string(), "Program", "NewVersion", "none"), "");

    writeText(updater, "[Program]\nSource=" + (program / "source.bin").string() + "\n");
    runWithAnswers([] { ExternalUpdaterNotice(""); });
    EXPECT_NE(textsOf("Update Process Complete")
                  .find("Congratulations! Zarn Generator has been udpated successfully!"),
              std::string::npos);

    const std::string missing =
        "[Program]\nSource=" + (program / "gone.bin").string() + "\nNewVersion=6.0.0.4\n";
    writeText(updater, missing);
    // Old installers go; links, folders and other names stay, and nothing is deleted through a
    // link.
    const fs::path outside = program / "outside";
    fs::create_directories(outside);
    writeText(outside / "keep.exe", "precious");
    writeText(program / "Zarn_6001.exe", "x");
    writeText(program / "Zarn_6002.exe", "x");
    writeText(program / "zarn_6003.EXE", "x");
    fs::create_symlink(outside / "keep.exe", program / "Zarn_link.exe");
    fs::create_directories(program / "Zarn_folder.exe");
    writeText(program / "Zarn.exe.txt", "x");
    runWithAnswers([] { ExternalUpdaterNotice("Zarn_*.exe"); });
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(readText(updater), missing) << "the keys stay";
    EXPECT_FALSE(fs::exists(program / "Zarn_6001.exe"));
    EXPECT_FALSE(fs::exists(program / "Zarn_6002.exe"));
    EXPECT_FALSE(fs::exists(program / "zarn_6003.EXE")) << "names match whatever their case";
    EXPECT_TRUE(fs::is_symlink(program / "Zarn_link.exe"));
    EXPECT_EQ(readText(outside / "keep.exe"), "precious");
    EXPECT_TRUE(fs::is_directory(program / "Zarn_folder.exe"));
    EXPECT_TRUE(fs::exists(program / "Zarn.exe.txt"));
}

TEST(InstallerAtExit, StartsDetachedWithItsArgumentsAsAListNeverThroughAShell) {
    ScratchProgram program;
    // A name a shell would split and expand.
    const std::string name = "Zarn 6001 $(touch hacked);.exe";
    const fs::path record = program / "record.txt";
    writeText(program / name, "#!/bin/sh\nprintf '%s|' \"$@\" > '" + record.string() +
                                  ".tmp'\nprintf '\\n%s' \"$(cut -d' ' -f6 /proc/$$/stat)\" >> '" +
                                  record.string() + ".tmp'\nmv '" + record.string() + ".tmp' '" +
                                  record.string() + "'\n");
    fs::permissions(program / name, fs::perms::owner_all);
    const std::string ourSession = std::to_string(getsid(0));

    UpdateOffer offer;
    offer.installerFile = name;
    offer.downloadAccepted = false;
    RunInstallerAtExit(offer);
    EXPECT_TRUE(noChildren()) << "nothing runs when the download was declined";
    offer.downloadAccepted = true;
    offer.major = false;
    RunInstallerAtExit(offer);
    ASSERT_TRUE(waitForFile(record)) << "the installer never wrote " << record;
    const std::string silent = readText(record);
    EXPECT_EQ(silent.substr(0, silent.find('\n')), "/SP-|/VERYSILENT|");
    EXPECT_NE(silent.substr(silent.find('\n') + 1), ourSession) << "a session of its own";
    EXPECT_FALSE(fs::exists(program / "hacked"));

    fs::remove(record);
    offer.major = true;
    RunInstallerAtExit(offer);
    ASSERT_TRUE(waitForFile(record)) << "the installer never wrote " << record;
    const std::string major = readText(record);
    EXPECT_EQ(major.substr(0, major.find('\n')), "|") << "a major installer shows its dialogs";
    ASSERT_TRUE(childrenEnded()) << "the installers started so far never ended";

    // Never what a link under the installer's name points to.
    fs::remove(record);
    fs::create_symlink(program / name, program / "Zarn_6001.exe");
    offer.installerFile = "Zarn_6001.exe";
    RunInstallerAtExit(offer);
    EXPECT_TRUE(noChildren()) << "a link is never started";

    offer.installerFile = "../" + name;
    RunInstallerAtExit(offer);
    EXPECT_TRUE(noChildren()) << "only a file of the program's folder is started";
}

#include "install_test.moc"
