#pragma once
#include "update/update_state.h"

#include <string>

// Installing a downloaded update when the program ends, and reporting on it at the next start.

// Main window ending: starts the installer of the offer the user accepted and the download
// stored, when there is one, as a process of its own that outlives the program. Its arguments
// are "/SP-" "/VERYSILENT" for an update that is not major; a major one runs with its own
// dialogs.
void RunInstallerAtExit(const UpdateOffer& offer);
// Window start, after the automatic check made `offer`: after an installation ("/update" given)
// the success notice, otherwise the failure notice when the last download was never confirmed
// (not when the user has just chosen "Maybe Later"); then the clean-up of the installer and
// "Vantrel.exe".
void PostUpdateProcessing(const UpdateOffer& offer);
// Window start: the outside updater's notice from "Updater.ini", then every file of the program's
// folder matching `pattern` ("Zarn_*.exe") is deleted.
void ExternalUpdaterNotice(const std::string& pattern);

// The notice an outside updater left in `updaterFile` ("Updater.ini"): the message's main text,
// or "" when there is none (no file, no Source, or a Source that does not exist).
std::string UpdaterNoticeText(const std::string& updaterFile);
// Empties Source and NewVersion, so the notice is shown once.
void ClearUpdaterNotice(const std::string& updaterFile);

namespace global {
// The first argument the program was started with ("" when none); tests put their own here.
extern std::string (*firstProgramArgument)();
} // namespace global
