/* Running processes for outside programs: list them, find one by its executable's name, end one.
   Exported from libmerivane_proc.so with C linkage. */
#ifndef MERIVANE_PROC_LIST_H
#define MERIVANE_PROC_LIST_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One running process. */
typedef struct ProcEntry {
    int32_t processId;
    int32_t parentProcessId;
    int32_t threadCount;
    int32_t priority;
    char exeFile[260]; /* the executable's file name without its folder, zero-terminated */
} ProcEntry;

/* Lists every running process. *entries is replaced by an array (malloc; release it with free)
   whose entry 0 is empty and whose entries 1 to n are the processes in the order /proc gives
   them; *count becomes n + 1. Returns 1, or 0 (entries and count unchanged) when the list cannot
   be read. */
int procGetList(ProcEntry** entries, int* count);

/* The process id of the first running process whose executable's file name is exactly `name`
   trimmed of blanks (names are case-sensitive), or -1. `name` is overwritten with its trimmed
   form. A process whose executable cannot be read is never found. */
int32_t procGetID(char* name);

/* Ends the process at once (SIGKILL) and waits up to a second for it to end. Returns 1 when it has
   ended, 0 when it could not be ended (no such process, no permission, a process that ignores the
   signal, or an id that is not a single process: 0 or below). */
int procKill(int32_t processId);

#ifdef __cplusplus
}
#endif

#endif
