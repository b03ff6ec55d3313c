// The process routines loaded by name from their shared library, as an outside program does.
#include "update/proc_list.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sched.h>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using GetList = int (*)(ProcEntry**, int*);
using GetId = int32_t (*)(char*);
using Kill = int (*)(int32_t);

// Waits until the forked child runs the program it was to run instead of this test.
bool childExecuted(pid_t child) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    const fs::path link = "/proc/" + std::to_string(child) + "/exe";
    for (int waited = 0; waited < 20000; waited += 10) {
        const fs::path running = fs::read_symlink(link, error);
        if (!error && running != self) return true;
        usleep(10000);
    }
    return false;
}

// Waits until the forked child has given itself the short name the kernel shows for it.
bool childRenamed(pid_t child, const std::string& name) {
    for (int waited = 0; waited < 20000; waited += 10) {
        std::ifstream comm("/proc/" + std::to_string(child) + "/comm");
        std::string shown;
        if (std::getline(comm, shown) && shown == name) return true;
        usleep(10000);
    }
    return false;
}

} // namespace

TEST(ProcRoutines, ListFindAndEndProcessesThroughDlopen) {
    void* library = dlopen(MERIVANE_PROC_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto getList = reinterpret_cast<GetList>(dlsym(library, "procGetList"));
    auto getId = reinterpret_cast<GetId>(dlsym(library, "procGetID"));
    auto kill = reinterpret_cast<Kill>(dlsym(library, "procKill"));
    ASSERT_TRUE(getList && getId && kill);

    const pid_t sleeper = fork();
    ASSERT_GE(sleeper, 0);
    if (sleeper == 0) {
        execlp("sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_TRUE(childExecuted(sleeper)) << "sleep never ran";

    ProcEntry* entries = nullptr;
    int count = 0;
    ASSERT_EQ(getList(&entries, &count), 1);
    ASSERT_GT(count, 2);
    EXPECT_EQ(entries[0].processId, 0) << "entry 0 stays empty";
    EXPECT_EQ(entries[0].exeFile[0], '\0');
    bool foundSelf = false, foundSleeper = false;
    for (int i = 1; i < count; ++i) {
        if (entries[i].processId == getpid()) {
            foundSelf = true;
            EXPECT_STREQ(entries[i].exeFile, "proc_list_test");
            EXPECT_EQ(entries[i].parentProcessId, getppid());
            EXPECT_GE(entries[i].threadCount, 1);
        }
        if (entries[i].processId == sleeper) {
            foundSleeper = true;
            EXPECT_EQ(entries[i].parentProcessId, getpid());
        }
    }
    EXPECT_TRUE(foundSelf);
    EXPECT_TRUE(foundSleeper);
    std::free(entries);

    char name[] = "  proc_list_test \t";
    EXPECT_EQ(getId(name), getpid());
    EXPECT_STREQ(name, "proc_list_test") << "the argument holds the trimmed name";
    char missing[] = "no-such-program-anywhere";
    EXPECT_EQ(getId(missing), -1);

    EXPECT_EQ(kill(0), 0) << "never the whole process group";
    EXPECT_EQ(kill(-1), 0) << "never every process";
    EXPECT_EQ(kill(sleeper), 1);
    int status = 0;
    ASSERT_EQ(waitpid(sleeper, &status, 0), sleeper);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(kill(sleeper), 0) << "a process that is gone cannot be ended";
    dlclose(library);
}

// Copies of sleep under names that differ from the one looked for only in case, by a trailing
// blank or by a " (deleted)" that is part of their name are not it; a running copy whose file
// was deleted still is, and so is one named longer than the kernel's 15-character short name.
// A process that only gave itself the name (no file) is not.
TEST(ProcRoutines, FindsOnlyTheExecutableOfExactlyThatName) {
    void* library = dlopen(MERIVANE_PROC_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto getId = reinterpret_cast<GetId>(dlsym(library, "procGetID"));
    char pattern[] = "/tmp/merivane-proc-XXXXXX";
    const std::string folder = mkdtemp(pattern), id = std::to_string(getpid());
    const std::string name = "mvproc" + id, longName = "mvproc-named-at-length-" + id;
    const struct {
        std::string file, wanted;
        bool deleted, found;
    } cases[] = {{name, name, false, true},        {"MvProc" + id, name, false, false},
                 {name + " ", name, false, false}, {name + " (deleted)", name, false, false},
                 {name, name, true, true},         {longName, longName, false, true},
                 {"", name, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE("\"" + c.file + "\"");
        const std::string path = folder + "/" + c.file;
        if (!c.file.empty()) std::filesystem::copy_file("/bin/sleep", path);
        chmod(path.c_str(), 0755);
        const pid_t child = fork();
        if (child == 0) {
            if (c.file.empty() && prctl(PR_SET_NAME, c.wanted.c_str()) == 0) pause();
            execl(path.c_str(), path.c_str(), "30", static_cast<char*>(nullptr));
            _exit(127);
        }
        EXPECT_TRUE(c.file.empty() ? childRenamed(child, c.wanted) : childExecuted(child))
            << "the child never ran as " << c.wanted;
        if (c.deleted) unlink(path.c_str());
        std::string wanted = c.wanted;
        EXPECT_EQ(getId(wanted.data()) == child, c.found);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        unlink(path.c_str());
    }
    rmdir(folder.c_str());
    dlclose(library);
}

// The first process of a PID namespace ignores SIGKILL from inside it: it has not ended, and
// procKill says so.
TEST(ProcRoutines, KillReportsOnlyAProcessThatEnded) {
    void* library = dlopen(MERIVANE_PROC_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto kill = reinterpret_cast<Kill>(dlsym(library, "procKill"));
    constexpr int kNoNamespace = 77;
    const pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWPID) != 0) _exit(kNoNamespace);
        // Its first child is process 1 of the new namespace and asks to end itself.
        const pid_t first = fork();
        if (first == 0) _exit(kill(1));
        int status = 0;
        waitpid(first, &status, 0);
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (WEXITSTATUS(status) == kNoNamespace) GTEST_SKIP() << "no PID namespace may be made here";
    EXPECT_EQ(status, 0);
    dlclose(library);
}
