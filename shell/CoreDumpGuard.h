#pragma once

// The site passwords are held in clear for the whole run: the process leaves no core file and
// can't be traced or read by the user's other processes. Called first thing in main.
void KeepPasswordsOutOfCoreDumps();
