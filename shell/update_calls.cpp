#include "shell/update_calls.h"

#include "update/install.h"

namespace {

// Installers of earlier updates, left in the program's folder.
constexpr const char* kOldInstallers = "Zarn_*.exe";

} // namespace

void startNetwork() {}

bool runDueUpdateCheck() {
    return false;
}

void reportInstalledUpdate() {
    PostUpdateProcessing();
}

void cleanUpInstallers() {
    ExternalUpdaterNotice(kOldInstallers);
}

bool checkForUpdateOnDemand() {
    return false;
}

void finishNetworkAndInstall() {
    RunInstallerAtExit();
}

void showAboutDialog(const char*) {}
