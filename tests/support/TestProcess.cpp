#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "framework/Application.h"
#include "framework/EventDispatcher.h"
#include "framework/UserCancel.h"

namespace testsupport {

namespace {

class PrivateHomePerTest : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo&) override {
        char tmpl[] = "/tmp/quillomar-test-XXXXXX";
        root_ = mkdtemp(tmpl);
        std::filesystem::create_directories(root_ + "/config");
        std::filesystem::create_directories(root_ + "/Desktop");
        setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
        setenv("XDG_DESKTOP_DIR", (root_ + "/Desktop").c_str(), 1);
        setenv("QUILLOMAR_TEST_ROOT", root_.c_str(), 1);
        fw::ClearUserCancelled();  // a cancel keystroke belongs to the test that typed it
    }
    void OnTestEnd(const testing::TestInfo& info) override {
        if (!info.result()->Failed() && !root_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(root_, ec);
        }
        root_.clear();
    }

private:
    std::string root_;
};

}  // namespace

void PrepareTestProcess() {
    fw::EnsurePlatformApplication();
    // An exception that escapes a handler fails the test that caused it.
    fw::SetUnhandledExceptionHook(
        [](const std::string& what) { ADD_FAILURE() << "unhandled exception: " << what; });
    testing::UnitTest::GetInstance()->listeners().Append(new PrivateHomePerTest);
}

}  // namespace testsupport
