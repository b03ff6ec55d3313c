#include "update/updates.h"

#include "program/paths.h"
#include "program/program.h"
#include "program/settings.h"
#include "update/http_client.h"
#include "update/install.h"
#include "update/installer_file.h"
#include "update/update_check.h"
#include "update/update_state.h"

namespace {

// The offer of this run's last check, which the installer at exit carries out.
UpdateOffer offer;
// The HTTP client has been set up and must be released when the main window ends.
bool networkReady = false;

bool alertsWanted() {
    return (global::preferences.flags & kUpdateAlertFlag) != 0;
}

} // namespace

void startNetwork() {
    networkReady = HttpInitializeA() != 0;
}

bool runDueUpdateCheck() {
    // Without an update site no request is ever sent; without the alert preference the user
    // checks only on demand.
    if (updateSiteAddress().empty() || !alertsWanted() || !AutomaticCheckDue()) return false;
    return UpdateCheck(kVersionFilePath, true, false, offer) == 1;
}

void reportInstalledUpdate() {
    PostUpdateProcessing(offer);
}

void cleanUpInstallers() {
    ExternalUpdaterNotice(kOldInstallers);
}

bool checkForUpdateOnDemand() {
    return UpdateCheck(kVersionFilePath, false, true, offer) == 1;
}

void finishNetworkAndInstall() {
    if (networkReady) HttpUninitialize();
    networkReady = false;
    RunInstallerAtExit(offer);
}
