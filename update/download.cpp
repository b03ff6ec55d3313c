#include "update/download.h"
#include "common/translate.h"

#include "gui/ezgui.h"
#include "gui/fonts.h"
#include "gui/form_events.h"
#include "msgbox/msgbox.h"
#include "program/paths.h"
#include "update/http_client.h"
#include "update/installer_file.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kProgressBar = 100;
constexpr int kCancelButton = 105;
constexpr int kTimeoutSeconds = 20;
// The https default; an address that names its own port keeps it.
constexpr int kDefaultPort = 0;
constexpr std::uint32_t kWatchedEvents = kHttpEventCancelled | kHttpEventProgress;
// The longest error text in any language is about 220 bytes; translations run longer than the
// English, so there is room to spare.
constexpr int kErrorTextSize = 1024;

// The download on the stack, for its window, its progress events and Cancel.
struct RunningDownload {
    UpdateOffer* offer = nullptr;
    int connection = kHttpFailure;
    bool connectionMissing = false;
    // True while HttpGetFileA is on the stack: the window must not go away under it.
    bool transferRunning = false;
};

RunningDownload running;

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

void refuseAddress(UpdateOffer& offer, const std::string& reason) {
    offer.downloadAccepted = false;
    okMessage(translate("Update Not Downloaded"),
              translate("The update cannot be downloaded safely from the address the update site "
                        "gave.{f10}"),
              reason + "{f6}");
}

// Whatever failure is told takes back "Download Now".
void reportFailure(std::int32_t code) {
    const HttpErrorTold told = ReportHttpError(code);
    if (told == HttpErrorTold::Nothing) return;
    if (told == HttpErrorTold::NoConnection) running.connectionMissing = true;
    if (running.offer != nullptr) running.offer->downloadAccepted = false;
}

void progressCallback(int handle, std::uint32_t eventCode, std::uint32_t error, int userValue) {
    (void)error;
    (void)userValue;
    if (eventCode == kHttpEventCancelled) {
        if (running.offer != nullptr) running.offer->downloadCancelled = true;
        return;
    }
    if (eventCode != kHttpEventProgress) return;
    HttpTransferStatus status{};
    if (HttpGetTransferStatus(handle, status) == kHttpFailure) {
        reportFailure(0);
        return;
    }
    const int percent = downloadPercent(status.totalBytes, status.copiedBytes);
    ezSetPBar(kDownloadProgressForm, kProgressBar, 0, 100, percent);
    ezDoEvents(20);
    ezSetText(kDownloadProgressForm, 0,
              fillIn(translate("Downloading... %1% complete"), {std::to_string(percent)}));
}

void cancelDownload() {
    if (running.offer == nullptr) return;
    running.offer->downloadCancelled = true;
    HttpCancel(running.connection);
}

void windowLoad() {
    ezSetPBar(kDownloadProgressForm, kProgressBar, 0, 100, 0);
    if (HttpRegisterEvent(running.connection, kWatchedEvents, progressCallback, -1) == kHttpFailure)
        ezPlainMessage("Merivane", translate("Progress bar error."));
}

void windowCloseRequest(int& cancel) {
    // The window stays while the transfer is on the stack; closing it means stop.
    cancel = 1;
    if (running.transferRunning) cancelDownload();
}

void windowUnload() {
    // Unloaded with its owner while the transfer runs: the transfer ends first.
    if (running.transferRunning) cancelDownload();
}

const FormEvents kFormEvents = {
    kDownloadProgressForm, 0, 0, windowLoad, nullptr, windowCloseRequest, windowUnload,
};

// Stores the installer under its own name in the program's folder, never through a link and
// never over a file that is not an earlier download.
bool download(const std::string& address, UpdateOffer& offer) {
    InstallerAddress parts;
    std::string reason;
    if (!splitInstallerAddress(address, parts, reason)) {
        refuseAddress(offer, reason);
        return false;
    }
    const std::string& fileName = parts.fileName;
    if (!mayStoreDownload(global::programFolder, fileName, recordedInstaller())) {
        refuseAddress(offer, translate("The program's folder already holds a file of that name "
                                       "that is not an earlier download."));
        return false;
    }
    offer.installerFile = fileName;
    HttpSetEventPump(ezDoEvents);
    running.connection = HttpConnectA(parts.host, kDefaultPort, kTimeoutSeconds);
    if (running.connection == kHttpFailure) {
        reportFailure(0);
        return false;
    }
    ezColor(-1, -1);
    ezForm(kDownloadProgressForm, ezCurrentForm(), translate("Downloading"), 0, 0, 47.75, 5,
           "=CNR");
    running.transferRunning = true;
    const int transfer =
        HttpGetFileA(running.connection, global::programFolder + fileName, parts.resource);
    running.transferRunning = false;
    bool stored = transfer != kHttpFailure;
    if (!stored) {
        reportFailure(0);
    } else if (offer.downloadCancelled) {
        // Cancel came with the last progress event of a complete transfer: the user still said
        // stop, so the new file goes as a cancelled one would.
        deleteDownloaded(global::programFolder + fileName);
        reportFailure(static_cast<std::int32_t>(kHttpErrorCancelled));
        stored = false;
    }
    ezUnloadForm(kDownloadProgressForm);
    if (HttpDisconnect(running.connection) != 0 && !running.connectionMissing) reportFailure(0);
    // The client leaves nothing behind a cancelled transfer, and a file of the same name that
    // was there before is not ours to delete.
    return stored;
}

} // namespace

int downloadPercent(std::uint32_t total, std::uint32_t done) {
    // Every transfer starts with nothing of nothing: showing that as done would flash a full
    // bar before the first byte, so an unknown length reads as 0 until the window goes.
    if (total == 0) return 0;
    const std::uint64_t percent = static_cast<std::uint64_t>(done) * 100 / total;
    return percent > 100 ? 100 : static_cast<int>(percent);
}

bool DownloadInstaller(const std::string& address, UpdateOffer& offer) {
    running = RunningDownload{};
    running.offer = &offer;
    const bool stored = download(address, offer);
    running = RunningDownload{};
    return stored;
}

HttpErrorTold ReportHttpError(std::int32_t code) {
    std::uint32_t error = static_cast<std::uint32_t>(code);
    if (error == 0) error = HttpGetLastError();
    if (error == 0) return HttpErrorTold::Nothing;
    if (error == kHttpErrorCancelled) {
        okMessage(translate("Download Canceled"),
                  fillIn(translate("The download of %1 has been terminated.{f10}"), {kProductName}),
                  translate("The partially downloaded file will be deleted.{f6}"));
        return HttpErrorTold::Error;
    }
    char buffer[kErrorTextSize] = {};
    std::string text = HttpGetErrorStringA(error, buffer, sizeof buffer) == 0
                           ? fillIn(translate("Undefined error 0x%1"), {hexText(error)})
                           : std::string(buffer);
    const bool noConnection = HttpIsNoConnection(error);
    if (noConnection) text = translate("No internet connection available");
    okMessage(translate("Error"), fillIn(translate("%1.{f10}"), {text}), "");
    return noConnection ? HttpErrorTold::NoConnection : HttpErrorTold::Error;
}

void downloadProgressDesign() {
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezProgressBar(kProgressBar, 1.75, 0.625, 44.25, 1.75, "");
    ezColor(-1, -1);
    ezUseFont(kDialogFont);
    ezButton(kCancelButton, 19.125, 3, 9.5, 1.5, translate("Cancel"), "TX");
    ezSetControlName(kDownloadProgressForm, kProgressBar, translate("Download progress"));
}

void downloadProgressEvents(int controlId, int eventCode, int value, int& cancel) {
    (void)value;
    if (answerFormEvent(kFormEvents, controlId, eventCode, cancel)) return;
    if (controlId == kCancelButton && eventCode == kEventClick) cancelDownload();
}
