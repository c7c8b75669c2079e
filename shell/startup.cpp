#include "shell/startup.h"

#include "download/transfer_table.h"
#include "platform/runtime_win.h"
#include "shell/globals.h"
#include "shell/main_window.h"
#include "shell/thread_object.h"

ThreadObject* downloadThread = nullptr;
std::string packageFileName;
int64_t totalBytes = 0;
int64_t downloadedBytes = 0;
std::string shortcutPath;
std::string programPath;

void setUpGlobals() {
  downloadThread = new ThreadObject();
  transferTable = new TransferTable();
  for (TransferSlot*& slot : transferTable->slots) slot = new TransferSlot();
}

void releaseGlobals() {
  // The download worker never touches the object itself, only the routine it was given.
  delete downloadThread;
  downloadThread = nullptr;
  // The transfer table and packageFileName belong to running workers, and the two paths are
  // read by the extraction worker after the registration: the process end releases them.
}

void openProgram() {
  setUpGlobals();
  registerExitRoutine(releaseGlobals);
  openMainWindow();
}

int32_t startProgram() {
  openProgram();
  runMessageLoop();
  return 0;
}
