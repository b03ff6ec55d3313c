#include "update/proc_list.h"

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kDeletedSuffix = " (deleted)";

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

// The executable's own file name when the link can be read, else the kernel's short name.
std::string executableName(const std::string& folder) {
    char target[4096];
    const ssize_t length = readlink((folder + "/exe").c_str(), target, sizeof target - 1);
    if (length > 0) {
        std::string path(target, static_cast<std::size_t>(length));
        const std::size_t deleted = path.rfind(kDeletedSuffix);
        if (deleted != std::string::npos && deleted + std::strlen(kDeletedSuffix) == path.size())
            path.resize(deleted);
        const std::size_t slash = path.rfind('/');
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }
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

std::string lowerTrimmed(const char* text) {
    std::string value = text;
    const std::size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    value = value.substr(first, value.find_last_not_of(" \t") - first + 1);
    for (char& c : value)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return value;
}

// Every process that could be read; one that ends while it is being read is left out.
bool listProcesses(std::vector<ProcEntry>& processes) {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return false;
    while (const dirent* item = readdir(proc)) {
        if (!isProcessFolder(item->d_name)) continue;
        const std::string folder = std::string("/proc/") + item->d_name;
        ProcEntry entry{};
        entry.processId = static_cast<int32_t>(std::strtol(item->d_name, nullptr, 10));
        if (!readStat(folder, entry)) continue;
        const std::string name = executableName(folder);
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
    if (!listProcesses(processes)) {
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
    const std::string wanted = lowerTrimmed(name);
    std::memmove(name, wanted.c_str(), wanted.size() + 1);
    std::vector<ProcEntry> processes;
    if (!listProcesses(processes)) return -1;
    for (const ProcEntry& entry : processes)
        if (lowerTrimmed(entry.exeFile) == wanted) return entry.processId;
    return -1;
}

extern "C" int procKill(int32_t processId) {
    // kill() with 0 or a negative id signals whole process groups, or every process we may.
    if (processId <= 0) return 0;
    return kill(processId, SIGKILL) == 0 ? 1 : 0;
}
