#pragma once

#include "framework/Control.h"

namespace testsupport {

// Rests the mouse on the control, as a user does: whether its help tag shows as the tool tip.
bool TipShowsOver(fw::Control* control);

}  // namespace testsupport
