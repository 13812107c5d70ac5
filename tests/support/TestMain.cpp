// The main of every test binary: Qt on its offscreen platform, and each test in a private home.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/support/TestProcess.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    testsupport::PrepareTestProcess();
    return RUN_ALL_TESTS();
}
