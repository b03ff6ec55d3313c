#include "update/update_check.h"
#include "common/translate.h"

#include "common/numbers.h"
#include "gui/ezgui.h"
#include "msgbox/msgbox.h"
#include "program/paths.h"
#include "program/program.h"
#include "program/settings.h"
#include "update/download.h"
#include "update/http_client.h"
#include "update/installer_file.h"
#include "update/update_available_dialog.h"
#include "update/update_state.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kHttpsPort = 443;
constexpr int kTimeoutSeconds = 20;
// An automatic check runs again on the eighth day after the last one.
constexpr int kDaysBetweenChecks = 7;
constexpr int kVisitWebSite = 1;
constexpr std::uint32_t kNotFound = kHttpErrorStatusBase + 404;

// Release notes written by a word processor run to several kilobytes; cut at the version file's
// 2000 bytes they would lose most of their text.
constexpr std::size_t kRichNotesLimit = 256 * 1024;

constexpr const char* kCheckFailedTitle = N_("Unable to Complete Update Check");

std::string notesFromLine(const std::string& line) {
    std::string notes;
    for (const char c : line) {
        if (c == '|')
            notes += "\r\n";
        else
            notes += c;
    }
    return notes;
}

void reportNoAnswer() {
    const std::string site = updateSiteAddress();
    if (site.empty()) {
        okMessage(translate(kCheckFailedTitle),
                  translate("Unable to determine if a program update is available at this "
                            "time.{f10}"),
                  translate("This could be due to a problem with your internet connection.{f6}"));
        return;
    }
    const int choice =
        choiceMessage(translate(kCheckFailedTitle),
                      fillIn(translate("You can visit our web site to download the latest "
                                       "version of %1.{f10}"),
                             {kProductName}),
                      "", "", translate("*{G,f7}|&Visit Web Site|&No, Thanks, I'm Good"), 1);
    if (choice == kVisitWebSite) ezOpenUrl(site);
}

void reportUpToDate() {
    okMessage(translate("You Are Up To Date!"),
              fillIn(translate("Version %1 of %2 is the latest version available.{f10}"),
                     {programVersionText(), kProductName}),
              translate("Thank you for checking!{f6}"));
}

// Downloads the offered installer; true when it is stored and must run at exit.
bool downloadOffered(const VersionFile& file, UpdateOffer& offer) {
    if (!DownloadInstaller(file.installerAddress, offer) || !offer.downloadAccepted) return false;
    if (!offer.major) {
        // Unchecked (in memory): the installer runs at exit from the offer held here; a lost
        // write only leaves the next start without its report and clean-up.
        recordInstaller(
            global::programFolder, offer.installerFile,
            {{kUpdateSection, "NewVer", offer.newVersion}, {kUpdateSection, "Failed", "1"}});
    }
    return true;
}

} // namespace

bool AutomaticCheckDue() {
    const int lastCheck =
        leadingInteger(ReadSetting(global::settingsPath, kUpdateSection, "LastCheck", "0"));
    if (global::today <= lastCheck) return false;
    // Unchecked (retried): a lost write only means another check at the next start.
    WriteSetting(global::settingsPath, kUpdateSection, "LastCheck",
                 std::to_string(global::today + kDaysBetweenChecks));
    return true;
}

std::string FetchUpdateText(const std::string& path, std::size_t limit, bool optional,
                            bool& connectionMissing) {
    connectionMissing = false;
    const std::string site = updateSiteAddress();
    if (site.empty()) return "";
    const auto report = [&connectionMissing] {
        if (ReportHttpError(0) == HttpErrorTold::NoConnection) connectionMissing = true;
    };
    HttpSetEventPump(ezDoEvents);
    const int connection = HttpConnectA(site, kHttpsPort, kTimeoutSeconds);
    if (connection == kHttpFailure) {
        report();
        return "";
    }
    std::vector<char> buffer(limit);
    std::string text;
    if (HttpGetTextA(connection, path, buffer.data(), static_cast<int>(buffer.size())) ==
        kHttpTextReceived) {
        text.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
    } else if (!optional || HttpGetLastError() != kNotFound) {
        report();
    }
    // The connection is closed on every path, so none is left open after a failed fetch.
    if (HttpDisconnect(connection) != 0 && !connectionMissing) report();
    return text;
}

int UpdateCheck(const std::string& path, bool automatic, bool manual, UpdateOffer& offer) {
    offer = UpdateOffer{};
    bool connectionMissing = false;
    // One byte more than a version file may hold tells a longer file, cut, from a whole one.
    const std::string text = FetchUpdateText(path, kVersionTextLimit + 2, false, connectionMissing);
    const VersionFile file =
        text.size() > kVersionTextLimit ? VersionFile{} : parseVersionFile(text);
    // A file that is not a version file is no answer, like no file at all.
    if (!file.valid) {
        if (!automatic && !connectionMissing) reportNoAnswer();
        return 0;
    }
    offer.newVersion = file.newVersion;
    offer.manual = manual;
    const std::string ignored = ReadSetting(global::settingsPath, kUpdateSection, "Ignore", "0");
    if (automatic && isIgnoredVersion(file.newVersion, ignored)) return 0;
    offer.major = isMajorUpdate(file.newVersion);
    if (compareVersions(file.newVersion, programVersionText()) <= 0) {
        if (manual) reportUpToDate();
        return 0;
    }
    if (file.lineCount == 4) {
        offer.notes = FetchUpdateText(kRichNotesPath, kRichNotesLimit, true, connectionMissing);
        offer.notesAreRichText = !offer.notes.empty();
    }
    if (!offer.notesAreRichText) offer.notes = notesFromLine(file.notesLine);
    if (HttpInitializeA() == 0) {
        okMessage(translate("Configuration Error"),
                  translate("Unable to initialize file download module.{f10}"),
                  translate("Please contact technical support for assistance.{f6}"));
        return 0;
    }
    offer.description = offer.major ? translate("This is a new major version with new features.")
                                    : translate("This is an important update including bug fixes.");
    ShowUpdateAvailableDialog(ezCurrentForm(), offer);
    const int result = offer.downloadAccepted && downloadOffered(file, offer) ? 1 : 0;
    HttpUninitialize();
    return result;
}
