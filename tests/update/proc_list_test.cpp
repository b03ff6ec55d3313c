// The process routines loaded by name from their shared library, as an outside program does.
#include "update/proc_list.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using GetList = int (*)(ProcEntry**, int*);
using GetId = int32_t (*)(char*);
using Kill = int (*)(int32_t);

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
    usleep(100000);

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

    char name[] = "  PROC_LIST_TEST \t";
    EXPECT_EQ(getId(name), getpid());
    EXPECT_STREQ(name, "proc_list_test") << "the argument holds the lower-cased, trimmed name";
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
