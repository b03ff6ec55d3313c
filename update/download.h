#pragma once
#include "update/update_state.h"

#include <cstdint>
#include <string>

// The installer's download with its progress window, form "UDPG", and the one place that tells
// the user what went wrong with any transfer.

// Stores the file named at the end of `address` (an https address) in the program's folder,
// with a progress window and Cancel, for `offer`: its installer file, download cancelled, and
// download accepted taken back by any failure. True when the file is complete; false after a
// refusal, an error or a cancel, with the reason shown and nothing left behind.
bool DownloadInstaller(const std::string& address, UpdateOffer& offer);

// What the HTTP error reporter told the user.
enum class HttpErrorTold { Nothing, Error, NoConnection };
// Tells the user about a failed transfer; 0 asks the HTTP client for its last error. Nothing is
// told when there is no error; NoConnection when no connection could be made.
HttpErrorTold ReportHttpError(std::int32_t code);

void downloadProgressDesign();
void downloadProgressEvents(int controlId, int eventCode, int value, int& cancel);

// The percentage the progress bar shows for `done` of `total` bytes, at most 100; a total of 0
// (no length known yet, or ever) shows 0.
int downloadPercent(std::uint32_t total, std::uint32_t done);
