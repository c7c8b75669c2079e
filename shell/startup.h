// The program's own beginning and end.
#pragma once

#include <cstdint>

// The program's entry, on the window thread once the run time is initialised: sets up the
// process-wide state, registers the exit routine, opens the main window and runs the message
// loop. Returns 0 when no window is left.
int32_t startProgram();

// The start of startProgram without its message loop: the process-wide state, the exit
// routine and the main window, whose created handler starts the download worker. For programs
// that run the installer's window with work of their own beside it (the tests' probes).
void openProgram();
