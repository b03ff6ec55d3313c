#pragma once

// How the main window reaches program updates.

// Window load: sets up the HTTP client.
void startNetwork();
// Window start: the automatic update check when one is due; true when an update has been
// downloaded and the main window must close so it can be installed.
bool runDueUpdateCheck();
// Window start: reports on an update installed just before this run.
void reportInstalledUpdate();
// Window start: the outside updater's notice and the clean-up of old installers.
void cleanUpInstallers();
// Help menu: the update check on demand; true when the main window must close.
bool checkForUpdateOnDemand();
// Main window ending: releases the HTTP client and starts an installer that is waiting.
void finishNetworkAndInstall();
