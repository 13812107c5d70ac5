#pragma once

namespace fw {

// The platform's cancel keystroke (Escape, or Ctrl+.), latched by an application-wide event
// filter. UserCancelled answers whether it has been pressed since it was last read, and clears
// the latch. Keys pressed while a modal dialog is up belong to the dialog and are not latched.
bool UserCancelled();
void ClearUserCancelled();
// Latches the keystroke as if the user had pressed it (the key filter's own entry, used by tests
// that have no window to type into).
void LatchUserCancel();
// Whether a press is latched and not read yet (tests see when the program has read it).
bool UserCancelPending();

}  // namespace fw
