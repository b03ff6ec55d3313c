#include "update/install.h"
#include "common/translate.h"

#include "common/numbers.h"
#include "gui/ezgui.h"
#include "msgbox/msgbox.h"
#include "program/paths.h"
#include "program/settings.h"
#include "update/installer_file.h"
#include "update/whats_new_dialog.h"

#include <cstdio>
#include <dirent.h>
#include <fnmatch.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr const char* kUpdateArgument = "/update";
constexpr const char* kReleaseNotesFile = "Release Notes.rtf";
constexpr const char* kUpdaterFile = "Updater.ini";
constexpr const char* kUpdaterSection = "Program";
constexpr const char* kLeftoverUpdater = "Vantrel.exe";
constexpr const char* kSilentSetup = "/SP-";
constexpr const char* kVerySilentSetup = "/VERYSILENT";
constexpr int kSeeWhatsNew = 1;
constexpr int kGoToWebsite = 1;

// The arguments of this run as the system recorded them; the first one after the program's name.
std::string argumentFromProcess() {
    std::FILE* file = std::fopen("/proc/self/cmdline", "rb");
    if (file == nullptr) return "";
    std::string content;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && content.size() < 65536)
        content.append(buffer, got);
    std::fclose(file);
    const std::size_t endOfName = content.find('\0');
    if (endOfName == std::string::npos || endOfName + 1 >= content.size()) return "";
    return std::string(content.c_str() + endOfName + 1);
}

bool exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// Only regular files are removed; a link or a folder of that name is left alone.
void deleteRegularFile(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) unlink(path.c_str());
}

std::string readUpdateSetting(const std::string& key, const std::string& defaultValue) {
    return ReadSetting(global::settingsPath, kUpdateSection, key, defaultValue);
}

// Unchecked (retried): a lost write leaves the key as it was, and the next start reports or
// cleans up again.
void writeUpdateSetting(const std::string& key, const std::string& value) {
    WriteSetting(global::settingsPath, kUpdateSection, key, value);
}

void cleanUpAfterUpdate() {
    if (!readUpdateSetting("Install", "").empty()) {
        // The settings file can be edited and a portable copy's folder holds the user's own
        // files: only the very file the download left, unchanged, is deleted. A record that
        // names anything else is dropped and the file stays.
        const InstallerRecord installer = recordedInstaller();
        if (isRecordedInstaller(global::programFolder, installer)) {
            unlink((global::programFolder + installer.name).c_str());
            ezDoEvents(20);
        }
        if (!isRecordedInstaller(global::programFolder, installer)) forgetInstaller();
    }
    deleteRegularFile(global::programFolder + kLeftoverUpdater);
}

void reportSuccess(const std::string& newVersion) {
    writeUpdateSetting("Failed", "0");
    const bool notesExist = exists(shippedFilePath(kReleaseNotesFile));
    const std::string buttons =
        notesExist ? translate("*{G,f7}|&See What's New|&Don't Care") : translate("&OK{G,f7}");
    const int choice =
        choiceMessage(translate("Update Process Complete"),
                      fillIn(translate("Congratulations! %1 has been updated to version %2!{f10}"),
                             {kProductName, newVersion}),
                      "", "", buttons, 1);
    if (notesExist && (choice == kSeeWhatsNew || choice == -kSeeWhatsNew)) {
        ezDoEvents(20);
        ShowWhatsNewDialog(ezCurrentForm(), newVersion);
    }
    ezDoEvents(10);
}

// False when the user went to the web site and the clean-up is to wait for the next start.
bool reportFailure() {
    writeUpdateSetting("Failed", "0");
    const std::string title = translate("Update Process Failed");
    const std::string mainText = translate("The program update failed to install correctly.{f10}");
    const std::string site = updateSiteAddress();
    if (site.empty()) {
        okMessage(title, mainText,
                  translate("This failure could be due to your internet connection or anti-virus "
                            "program.{f6}"));
        return true;
    }
    const int choice = choiceMessage(
        title, mainText,
        translate("This failure could be due to your internet connection or anti-virus program.|"
                  "The update can be downloaded directly from our web site.{f6}"),
        "", translate("*{G,f7}|&Go To Website|&Continue Without Updating"), 1);
    if (choice != kGoToWebsite) return true;
    ezOpenUrl(site);
    return false;
}

} // namespace

namespace global {
std::string (*firstProgramArgument)() = argumentFromProcess;
} // namespace global

void RunInstallerAtExit(const UpdateOffer& offer) {
    // Only what the download stored runs, never a link planted under its name.
    if (!offer.downloadAccepted || !couldBeDownload(global::programFolder, offer.installerFile))
        return;
    const std::string path = global::programFolder + offer.installerFile;
    std::vector<char*> arguments;
    arguments.push_back(const_cast<char*>(path.c_str()));
    if (!offer.major) {
        arguments.push_back(const_cast<char*>(kSilentSetup));
        arguments.push_back(const_cast<char*>(kVerySilentSetup));
    }
    arguments.push_back(nullptr);
    // A session of its own, so the installer goes on when this program and its terminal end.
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) return;
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    posix_spawn(&child, path.c_str(), nullptr, &attributes, arguments.data(), environ);
    posix_spawnattr_destroy(&attributes);
}

void PostUpdateProcessing(const UpdateOffer& offer) {
    std::string newVersion;
    if (global::firstProgramArgument() == kUpdateArgument) {
        newVersion = readUpdateSetting("NewVer", "");
        if (!newVersion.empty()) writeUpdateSetting("NewVer", "");
    }
    if (!newVersion.empty()) {
        reportSuccess(newVersion);
    } else if (leadingInteger(readUpdateSetting("Failed", "0")) != 0 && !offer.laterChosen) {
        if (!reportFailure()) return;
    }
    cleanUpAfterUpdate();
}

// "Updater.ini", written by an outside updater (untrusted; read through the settings store):
//   [Program]
//   Source=path of a file that must exist for the notice to count
//   NewVersion=the version it installed, may be empty
std::string UpdaterNoticeText(const std::string& updaterFile) {
    if (!exists(updaterFile)) return "";
    const std::string source = ReadSetting(updaterFile, kUpdaterSection, "Source", "");
    if (source.empty() || !exists(source)) return "";
    const std::string newVersion = ReadSetting(updaterFile, kUpdaterSection, "NewVersion", "");
    return newVersion.empty()
               ? fillIn(translate("Congratulations! %1 has been udpated successfully!{f6}"),
                        {kProductName})
               : fillIn(translate("Congratulations! %1 has been updated to version %2!{f6}"),
                        {kProductName, newVersion});
}

void ClearUpdaterNotice(const std::string& updaterFile) {
    // Unchecked (retried): a notice that stays is only shown again at the next start.
    WriteSetting(updaterFile, kUpdaterSection, "Source", "");
    WriteSetting(updaterFile, kUpdaterSection, "NewVersion", "");
}

void ExternalUpdaterNotice(const std::string& pattern) {
    ezDoEvents(20);
    const std::string updaterFile = global::programFolder + kUpdaterFile;
    const std::string notice = UpdaterNoticeText(updaterFile);
    if (!notice.empty()) {
        ClearUpdaterNotice(updaterFile);
        okMessage(translate("Update Process Complete"), notice, "");
    }
    if (pattern.empty()) return;
    DIR* folder = opendir(global::programFolder.c_str());
    if (folder == nullptr) return;
    std::vector<std::string> matches;
    while (const dirent* entry = readdir(folder))
        if (fnmatch(pattern.c_str(), entry->d_name, FNM_PERIOD | FNM_CASEFOLD) == 0)
            matches.push_back(entry->d_name);
    closedir(folder);
    for (const std::string& name : matches)
        deleteRegularFile(global::programFolder + name);
}
