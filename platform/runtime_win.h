// The GUI run time: what the program needs of the process around its window. Start-up on the
// window thread, the one exit routine, the end of the process, message boxes and the fatal
// error path.
#pragma once

#include <windows.h>

#include <cstdint>

// Restricts library loading to the system folder (where the system supports it), initialises
// OLE and makes the program file's folder the current directory. Run first, on the thread that
// becomes the window thread. A failure to set up the run time's own hidden window is fatal.
void initialiseRuntime();

// True on the thread that called initialiseRuntime.
bool isWindowThread();

// The routine run once by the exit sequence. Registering again replaces it.
void registerExitRoutine(void (*routine)());

// Ends the program with exitCode; never returns. From the window thread: runs the exit
// sequence (the exit routine at most once per process, then the run time's own release, then
// the end of the process). From any other thread: hands the request to the window thread and
// blocks; only when the window thread can no longer take it does the caller end the process
// at once, without the exit routine.
[[noreturn]] void endProgram(int32_t exitCode);

// Runs the message loop of the window thread until no window of the program is left.
void runMessageLoop();

// Dispatches the calling thread's queued messages until none is left or the next is a quit.
void processPendingEvents();

// A message box without an owner window, task-modal. Returns the pressed button's id.
int showMessageBox(const char* text, const char* title, UINT flags);

// A fault the run time cannot recover from: drops the exit routine, shows the error box
// ("运行时出错!" with the fault's text) and ends the process with exit code -1.
[[noreturn]] void fatalRuntimeError(const char* faultText);

// The fault texts of the run time.
extern const char* const kFaultWindowDescription;   // the window descriptions cannot be read
extern const char* const kFaultMainWindow;          // the main window cannot be created
