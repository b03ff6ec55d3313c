// A library that leaves a mark when anything loads it: the file MERIVANE_PLANTED_MARK names.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

__attribute__((constructor)) static void leaveMark(void) {
    const char* mark = getenv("MERIVANE_PLANTED_MARK");
    if (mark == NULL) return;
    const int fd = open(mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) close(fd);
}
