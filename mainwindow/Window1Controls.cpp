#include "mainwindow/Window1.h"

// The window's controls with their design-time properties, in the order of their creation, and
// the bindings of their events to the window's handlers.

void Window1::_CreateControls0() {}

void Window1::_CreateControls1() {}

void Window1::_CreateControls2() {}
