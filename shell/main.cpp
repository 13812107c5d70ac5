#include "shell/CoreDumpGuard.h"
#include "shell/Startup.h"

int main() {
    KeepPasswordsOutOfCoreDumps();
    return RunApplication();
}
