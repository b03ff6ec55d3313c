#pragma once
// A folder of the fuzz target's own, on a memory file system where there is one (every write
// is synced, which a disk would make slow). Made on first use, removed when the process ends.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

inline const std::string& fuzzScratchFolder(const std::string& name) {
    static std::string folder;
    if (!folder.empty()) return folder;
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/merivane-fuzz-" + name + "-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    });
    return folder;
}
