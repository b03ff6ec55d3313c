#include "update/proc_list.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kDeletedSuffix = " (deleted)";
// How long procKill waits for the process to end: 100 steps of 10 ms.
constexpr int kKillWaitSteps = 100;
constexpr useconds_t kKillWaitStepMicroseconds = 10000;

bool isProcessFolder(const char* name) {
    if (*name == '\0') return false;
    for (const char* c = name; *c != '\0'; ++c)
        if (*c < '0' || *c > '9') return false;
    return true;
}

std::string readSmallFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return "";
    char buffer[4096];
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
    std::fclose(file);
    return std::string(buffer, got);
}

// The file name of the process's executable; "" when the link cannot be read (another user's
// process, a kernel thread). A running executable that was deleted since reads "name (deleted)";
// only then is the suffix dropped, not from a file really named so.
std::string executableName(const std::string& folder) {
    char target[4096];
    const ssize_t length = readlink((folder + "/exe").c_str(), target, sizeof target - 1);
    if (length <= 0) return "";
    std::string path(target, static_cast<std::size_t>(length));
    const std::size_t deleted = path.rfind(kDeletedSuffix);
    struct stat info {};
    if (deleted != std::string::npos && deleted + std::strlen(kDeletedSuffix) == path.size() &&
        stat((folder + "/exe").c_str(), &info) == 0 && info.st_nlink == 0)
        path.resize(deleted);
    return path.substr(path.rfind('/') + 1);
}

// The kernel's short name, which any process may set for itself: only for the list.
std::string shortName(const std::string& folder) {
    std::string comm = readSmallFile(folder + "/comm");
    while (!comm.empty() && comm.back() == '\n')
        comm.pop_back();
    return comm;
}

// /proc/PID/stat: "pid (comm) state ppid ... priority nice num_threads ..."; comm may hold
// blanks and parentheses, so the fields are counted from its last ")".
bool readStat(const std::string& folder, ProcEntry& entry) {
    const std::string stat = readSmallFile(folder + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return false;
    std::vector<long> fields;
    const char* cursor = stat.c_str() + close + 1;
    while (*cursor != '\0' && fields.size() < 18) {
        while (*cursor == ' ')
            ++cursor;
        if (*cursor == '\0') break;
        char* end = nullptr;
        const long value = std::strtol(cursor, &end, 10);
        fields.push_back(end == cursor ? 0 : value);
        while (*end != '\0' && *end != ' ')
            ++end;
        cursor = end;
    }
    // After ")": state(0) ppid(1) ... priority(15) nice(16) num_threads(17).
    if (fields.size() < 18) return false;
    entry.parentProcessId = static_cast<int32_t>(fields[1]);
    entry.priority = static_cast<int32_t>(fields[15]);
    entry.threadCount = static_cast<int32_t>(fields[17]);
    return true;
}

std::string trimmed(const char* text) {
    const std::string value = text;
    const std::size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

// Ended means gone, or a zombie that only waits for its parent.
bool hasEnded(int32_t processId) {
    if (kill(processId, 0) != 0 && errno == ESRCH) return true;
    const std::string stat = readSmallFile("/proc/" + std::to_string(processId) + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return stat.empty();
    const std::size_t state = stat.find_first_not_of(' ', close + 1);
    return state != std::string::npos && (stat[state] == 'Z' || stat[state] == 'X');
}

// Every process that could be read; one that ends while it is being read is left out.
// With executablesOnly, a process is named only by its executable's link and left out without one.
bool listProcesses(std::vector<ProcEntry>& processes, bool executablesOnly) {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return false;
    while (const dirent* item = readdir(proc)) {
        if (!isProcessFolder(item->d_name)) continue;
        const std::string folder = std::string("/proc/") + item->d_name;
        ProcEntry entry{};
        entry.processId = static_cast<int32_t>(std::strtol(item->d_name, nullptr, 10));
        if (!readStat(folder, entry)) continue;
        std::string name = executableName(folder);
        if (name.empty() && executablesOnly) continue;
        if (name.empty()) name = shortName(folder);
        std::snprintf(entry.exeFile, sizeof entry.exeFile, "%s", name.c_str());
        processes.push_back(entry);
    }
    closedir(proc);
    return true;
}

} // namespace

extern "C" int procGetList(ProcEntry** entries, int* count) {
    if (entries == nullptr || count == nullptr) return 0;
    std::vector<ProcEntry> processes;
    if (!listProcesses(processes, false)) {
        std::fputs("Unable to list the running processes\n", stderr);
        return 0;
    }
    const std::size_t size = processes.size() + 1;
    auto* array = static_cast<ProcEntry*>(std::realloc(*entries, size * sizeof(ProcEntry)));
    if (array == nullptr) return 0;
    std::memset(&array[0], 0, sizeof(ProcEntry));
    std::memcpy(&array[1], processes.data(), processes.size() * sizeof(ProcEntry));
    *entries = array;
    *count = static_cast<int>(size);
    return 1;
}

extern "C" int32_t procGetID(char* name) {
    if (name == nullptr) return -1;
    // Names are case-sensitive; blanks around the argument are the caller's padding.
    const std::string wanted = trimmed(name);
    std::memmove(name, wanted.c_str(), wanted.size() + 1);
    std::vector<ProcEntry> processes;
    if (!listProcesses(processes, true)) return -1;
    for (const ProcEntry& entry : processes)
        if (wanted == entry.exeFile) return entry.processId;
    return -1;
}

extern "C" int procKill(int32_t processId) {
    // kill() with 0 or a negative id signals whole process groups, or every process we may.
    if (processId <= 0) return 0;
    if (kill(processId, SIGKILL) != 0) return 0;
    // A process may outlive the signal (the first process of a PID namespace ignores it).
    for (int wait = 0; wait < kKillWaitSteps; ++wait) {
        if (hasEnded(processId)) return 1;
        usleep(kKillWaitStepMicroseconds);
    }
    return 0;
}
