#include "shell/Startup.h"

int main() {
    return RunApplication();
}
