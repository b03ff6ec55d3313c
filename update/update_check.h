#pragma once
#include "update/update_state.h"

#include <cstddef>
#include <string>

// The check for a newer version on the update site: automatically at start-up at most once in
// eight days, and on demand from the Help menu.

// True when an automatic check is due (today is past [Update] LastCheck); then the next one is
// put off to the eighth day from today.
bool AutomaticCheckDue();
// The text of a file on the update site, cut before `limit` bytes, or "" when anything failed;
// the failure has been reported, except that an optional file the site does not have is passed
// over. connectionMissing tells whether the report was that there is no internet connection.
std::string FetchUpdateText(const std::string& path, std::size_t limit, bool optional,
                            bool& connectionMissing);
// Looks for a newer version in the version file at `path` and offers it; `offer` is made anew and
// holds what was offered and the user's answer. Returns 1 when an update has been downloaded and
// the program must close so it can be installed, else 0.
int UpdateCheck(const std::string& path, bool automatic, bool manual, UpdateOffer& offer);
