#include "shell/update_calls.h"

#include "about/about_dialog.h"

void startNetwork() {}

bool runDueUpdateCheck() {
    return false;
}

void reportInstalledUpdate() {}

void cleanUpInstallers() {}

bool checkForUpdateOnDemand() {
    return false;
}

void finishNetworkAndInstall() {}

void showAboutDialog(const char* parent) {
    ShowAboutDialog(parent);
}
