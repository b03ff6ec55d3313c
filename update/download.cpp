#include "update/download.h"

#include "gui/ezgui.h"
#include "msgbox/msgbox.h"
#include "program/paths.h"
#include "program/settings.h"
#include "update/http_client.h"
#include "update/installer_file.h"
#include "update/update_state.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kProgressBar = 100;
constexpr int kCancelButton = 105;
constexpr int kDialogFont = 6;
constexpr int kTimeoutSeconds = 20;
// The https default; an address that names its own port keeps it.
constexpr int kDefaultPort = 0;
constexpr std::uint32_t kWatchedEvents = kHttpEventCancelled | kHttpEventProgress;
constexpr int kErrorTextSize = 128;
// True while HttpGetFileA is on the stack: the window must not go away under it.
bool transferRunning;

std::string hexText(std::uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", code);
    return text;
}

// Only the regular file the transfer has just written; never through a link.
void deleteDownloaded(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) unlink(path.c_str());
}

void refuseAddress(const std::string& reason) {
    global::update.downloadAccepted = false;
    okMessage("Update Not Downloaded",
              "The update cannot be downloaded safely from the address the update site gave.{f10}",
              reason + "{f6}");
}

void progressCallback(int handle, std::uint32_t eventCode, std::uint32_t error, int userValue) {
    (void)error;
    (void)userValue;
    if (eventCode == kHttpEventCancelled) {
        global::update.downloadCancelled = true;
        return;
    }
    if (eventCode != kHttpEventProgress) return;
    HttpTransferStatus status{};
    if (HttpGetTransferStatus(handle, status) == kHttpFailure) {
        ReportHttpError(0);
        return;
    }
    const int percent = downloadPercent(status.totalBytes, status.copiedBytes);
    ezSetPBar(kDownloadProgressForm, kProgressBar, 0, 100, percent);
    ezDoEvents(20);
    ezSetText(kDownloadProgressForm, 0, "Downloading... " + std::to_string(percent) + "% complete");
}

void cancelDownload() {
    global::update.downloadCancelled = true;
    HttpCancel(global::update.clientHandle);
}

void windowLoad() {
    ezSetPBar(kDownloadProgressForm, kProgressBar, 0, 100, 0);
    if (HttpRegisterEvent(global::update.clientHandle, kWatchedEvents, progressCallback, -1) ==
        kHttpFailure)
        ezPlainMessage("Merivane", "Progress bar error.");
}

} // namespace

int downloadPercent(std::uint32_t total, std::uint32_t done) {
    // Every transfer starts with nothing of nothing: showing that as done would flash a full
    // bar before the first byte, so an unknown length reads as 0 until the window goes.
    if (total == 0) return 0;
    const std::uint64_t percent = static_cast<std::uint64_t>(done) * 100 / total;
    return percent > 100 ? 100 : static_cast<int>(percent);
}

// Stores the installer under its own name in the program's folder, never through a link and
// never over a file that is not an earlier download.
bool DownloadInstaller(const std::string& address) {
    UpdateState& update = global::update;
    update.connectionMissing = false;
    InstallerAddress parts;
    std::string reason;
    if (!splitInstallerAddress(address, parts, reason)) {
        refuseAddress(reason);
        return false;
    }
    const std::string& fileName = parts.fileName;
    const std::string recorded = ReadSetting(global::settingsPath, kUpdateSection, "Install", "");
    if (!mayStoreDownload(global::programFolder, fileName, recorded)) {
        refuseAddress("The program's folder already holds a file of that name that is not an "
                      "earlier download.");
        return false;
    }
    update.installerFile = fileName;
    update.productName = kProductName;
    HttpSetEventPump(ezDoEvents);
    update.clientHandle = HttpConnectA(parts.host, kDefaultPort, kTimeoutSeconds);
    if (update.clientHandle == kHttpFailure) {
        ReportHttpError(0);
        return false;
    }
    ezColor(-1, -1);
    ezForm(kDownloadProgressForm, ezCurrentForm(), "Downloading", 0, 0, 47.75, 5, "=CNR");
    transferRunning = true;
    const int transfer =
        HttpGetFileA(update.clientHandle, global::programFolder + fileName, parts.resource);
    transferRunning = false;
    bool stored = transfer != kHttpFailure;
    if (!stored) {
        ReportHttpError(0);
    } else if (update.downloadCancelled) {
        // Cancel came with the last progress event of a complete transfer: the user still said
        // stop, so the new file goes as a cancelled one would.
        deleteDownloaded(global::programFolder + fileName);
        ReportHttpError(static_cast<std::int32_t>(kHttpErrorCancelled));
        stored = false;
    }
    ezUnloadForm(kDownloadProgressForm);
    if (HttpDisconnect(update.clientHandle) != 0 && !update.connectionMissing) ReportHttpError(0);
    update.clientHandle = kHttpFailure;
    // The client leaves nothing behind a cancelled transfer, and a file of the same name that
    // was there before is not ours to delete.
    return stored;
}

void ReportHttpError(std::int32_t code) {
    std::uint32_t error = static_cast<std::uint32_t>(code);
    if (error == 0) error = HttpGetLastError();
    if (error == 0) return;
    UpdateState& update = global::update;
    if (error == kHttpErrorCancelled) {
        const std::string product = update.productName.empty() ? kProductName : update.productName;
        okMessage("Download Canceled", "The download of " + product + " has been terminated.{f10}",
                  "The partially downloaded file will be deleted.{f6}");
    } else {
        char buffer[kErrorTextSize] = {};
        std::string text = HttpGetErrorStringA(error, buffer, sizeof buffer) == 0
                               ? "Undefined error 0x" + hexText(error)
                               : std::string(buffer);
        if (HttpIsNoConnection(error)) {
            text = "No internet connection available";
            update.connectionMissing = true;
        }
        okMessage("Error", text + ".{f10}", "");
    }
    update.downloadAccepted = false;
}

void downloadProgressDesign() {
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezProgressBar(kProgressBar, 1.75, 0.625, 44.25, 1.75, "");
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezButton(kCancelButton, 19.125, 3, 9.5, 1.5, "Cancel", "TX");
    ezSetControlName(kDownloadProgressForm, kProgressBar, "Download progress");
}

void downloadProgressEvents(int controlId, int eventCode, int value, int& cancel) {
    (void)value;
    if (controlId == kCancelButton && eventCode == kEventClick) {
        cancelDownload();
        return;
    }
    if (controlId != 0) return;
    switch (eventCode) {
    case kEventLoaded:
        windowLoad();
        break;
    case kEventCloseRequest:
        // The window stays while the transfer is on the stack; closing it means stop.
        cancel = 1;
        if (transferRunning) cancelDownload();
        break;
    case kEventUnload:
        // Unloaded with its owner while the transfer runs: the transfer ends first.
        if (transferRunning) cancelDownload();
        break;
    default:
        break;
    }
}
