// Stands between a test program and the C library: notes in order each sync of a regular file
// ('s') and each rename or link ('n'), and fails those syncs with merivaneSyncFailure when set.
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

char merivaneSyncEvents[4096];
int merivaneSyncFailure;

static void note(char event) {
    const size_t count = strlen(merivaneSyncEvents);
    if (count + 1 >= sizeof merivaneSyncEvents) return;
    merivaneSyncEvents[count] = event;
    merivaneSyncEvents[count + 1] = '\0';
}

static int syncFile(int descriptor, long call) {
    struct stat info;
    if (fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode)) {
        note('s');
        if (merivaneSyncFailure != 0) return errno = merivaneSyncFailure, -1;
    }
    return (int)syscall(call, descriptor);
}

int fsync(int descriptor) {
    return syncFile(descriptor, SYS_fsync);
}

int fdatasync(int descriptor) {
    return syncFile(descriptor, SYS_fdatasync);
}

int rename(const char* from, const char* to) {
    note('n');
    return renameat(AT_FDCWD, from, AT_FDCWD, to);
}

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    note('n');
    return (int)syscall(SYS_linkat, fromFolder, from, toFolder, to, flags);
}
