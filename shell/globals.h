// Process-wide state: created at start-up, handed between the stages in the order in which
// they follow one another, and never guarded by a lock.
#pragma once

#include <cstdint>
#include <string>

class ThreadObject;
struct TransferTable;

extern ThreadObject* downloadThread;  // runs the download
extern TransferTable* transferTable;  // open internet transfers
extern std::string packageFileName;   // the downloaded package, beside the program
extern int64_t totalBytes;           // the package's remote size; 0 when unknown
extern int64_t downloadedBytes;      // bytes written so far, never reset
extern std::string shortcutPath;
extern std::string programPath;

// Creates downloadThread and transferTable. Fails only through the fatal allocation fault.
void setUpGlobals();

// The exit routine: runs on the window thread at most once. Workers may still be running
// then, so what they can reach stays alive until the process ends, which follows at once.
void releaseGlobals();
