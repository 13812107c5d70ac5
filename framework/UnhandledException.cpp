#include "UnhandledException.h"

#include "MessageDialog.h"

namespace fw {

namespace {

UnhandledExceptionHook& Hook() {
    static UnhandledExceptionHook hook;
    return hook;
}

}  // namespace

void SetUnhandledExceptionHook(UnhandledExceptionHook hook) {
    Hook() = std::move(hook);
}

void ReportUnhandledException(const std::string& what) {
    if (Hook()) {
        Hook()(what);
        return;
    }
    MsgBox("An exception was not handled: " + what);
}

}  // namespace fw
