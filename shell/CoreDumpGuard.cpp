#include "shell/CoreDumpGuard.h"

#include <sys/prctl.h>
#include <sys/resource.h>

void KeepPasswordsOutOfCoreDumps() {
    // Not dumpable: no core file whatever the limit, and no ptrace or /proc/<pid>/mem by the
    // user's other processes. The limit covers a kernel that is told to dump anyway.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const struct rlimit none { 0, 0 };
    setrlimit(RLIMIT_CORE, &none);
}
