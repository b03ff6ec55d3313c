#pragma once
#include <string>

enum class InstanceClaim {
    Claimed,        // this is the only instance; later starts will ask it to come forward
    AnotherRunning, // another instance holds the claim and has been asked to come forward
    Failed,         // the claim could not be made at all
};

// Claims the single-instance lock `name` for the current user (a lock file and a local socket
// in the user's runtime folder, or without one in a private folder of the user's cache). While the
// claim is held, every later start calls `anotherStart` in this process. A second call in the same
// process keeps the claim.
InstanceClaim appClaimSingleInstance(const std::string& name, void (*anotherStart)());

// The desktop's default beep.
void appBeep();
