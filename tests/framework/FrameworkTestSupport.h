#pragma once

// Small helpers shared by the framework's tests.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/EventDispatcher.h"
#include "framework/EventLoop.h"
#include "framework/Thread.h"
#include "framework/Window.h"

// Records the exceptions that escape handlers while it lives, for tests that provoke them on
// purpose; afterwards such an exception fails the test again, as the test main has it.
class CapturedExceptions {
public:
    CapturedExceptions() {
        fw::SetUnhandledExceptionHook([this](const std::string& what) {
            what_.push_back(what);
            if (onReport) onReport();
        });
    }
    ~CapturedExceptions() {
        fw::SetUnhandledExceptionHook(
            [](const std::string& what) { ADD_FAILURE() << "unhandled exception: " << what; });
    }
    const std::vector<std::string>& What() const { return what_; }
    std::function<void()> onReport;  // runs inside the report, as a message box would

private:
    std::vector<std::string> what_;
};

// A cooperative thread whose body is a function.
class LambdaThread : public fw::Thread {
public:
    explicit LambdaThread(std::function<void()> body = {}) : body(std::move(body)) {}
    ~LambdaThread() override { Kill(); }  // unwinds while the body can still use this object
    std::function<void()> body;

protected:
    void Event_Run() override {
        if (body) body();
    }
};

// Posts fn to the event loop, the way an event from outside arrives.
inline void PostToEventLoop(std::function<void()> fn) {
    QTimer::singleShot(0, QCoreApplication::instance(), std::move(fn));
}

// Sets a flag when it is destroyed: shows that a stack was unwound.
struct DestructionFlag {
    bool* flag;
    ~DestructionFlag() { *flag = true; }
};

// Closes the windows a test left open, while what they refer to still exists, and lets them be
// deleted: the next test starts without them.
inline void CloseWindowsLeftOpen() {
    while (!fw::Window::OpenWindows().empty()) fw::Window::OpenWindows().front()->Close();
    fw::ProcessPendingEvents();
}
