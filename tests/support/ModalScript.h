#pragma once

// Scripted answers to every modal thing a test shows: a dialog that finds no step left fails the
// test instead of hanging it.

#include <gtest/gtest.h>

#include "framework/ModalHost.h"

namespace testsupport {

inline void BeginModalScript() {
    fw::ModalHost::BeginScript();
    fw::ModalHost::SetUnexpectedHandler([](const fw::ModalPrompt& p) {
        ADD_FAILURE() << "unexpected " << p.kind << ": " << p.title << " " << p.message;
    });
}

inline void EndModalScript() {
    fw::ModalHost::EndScript();
    fw::ModalHost::SetUnexpectedHandler({});
}

}  // namespace testsupport
