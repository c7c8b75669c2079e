// The installer's entry: everything else lives in the libraries the tests link too.
#include <windows.h>

#include "platform/runtime_win.h"
#include "shell/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  initialiseRuntime();
  endProgram(startProgram());
}
