// A program on the GUI run time for what only a whole process can show: how it ends.
//   runtime_probe ends THREADS CODE MARKER  - THREADS workers and the window thread all ask for
//                                             the end with CODE at once
//   runtime_probe alloc-fail MARKER          - the heap cannot give what is asked
//   runtime_probe error-box-end MARKER       - an error box that ends the program
//   runtime_probe planted [unrestricted]     - exit 1 when planted.dll beside it got loaded
//   runtime_probe cwd MARKER                 - writes the current directory to MARKER
// The exit routine appends one "x" to MARKER each time it runs.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/runtime_win.h"
#include "shell/thread_object.h"

namespace {

std::string marker;
HANDLE go = nullptr;
int32_t requestedCode = 0;

void appendToMarker(const std::string& text) {
  FILE* file = fopen(marker.c_str(), "ab");
  if (file == nullptr) return;
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
}

void exitRoutine() { appendToMarker("x"); }

DWORD WINAPI askForEnd(void*) {
  WaitForSingleObject(go, INFINITE);
  endProgram(requestedCode);
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "planted" && argc > 2 && strcmp(argv[2], "unrestricted") == 0) {
    LoadLibraryA("planted.dll");
    return GetEnvironmentVariableA("MERVANTIS_PLANTED_LOADED", nullptr, 0) > 0 ? 1 : 0;
  }
  initialiseRuntime();
  if (mode == "planted") {
    LoadLibraryA("planted.dll");
    return GetEnvironmentVariableA("MERVANTIS_PLANTED_LOADED", nullptr, 0) > 0 ? 1 : 0;
  }
  marker = argv[argc - 1];
  registerExitRoutine(exitRoutine);
  if (mode == "ends" && argc == 5) {
    int threads = atoi(argv[2]);
    requestedCode = atoi(argv[3]);
    go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (int i = 0; i < threads; ++i) CreateThread(nullptr, 0, askForEnd, nullptr, 0, nullptr);
    Sleep(50);
    SetEvent(go);
    // The window thread keeps taking requests, and asks for the end itself as well.
    DWORD until = GetTickCount() + 20;
    while (GetTickCount() < until) processPendingEvents();
    endProgram(requestedCode);
  }
  if (mode == "alloc-fail") {
    // More than any heap can give, as an exhausted heap would refuse it.
    // (An explicit call: a new-expression whose result goes unused may be left out.)
    volatile size_t huge = static_cast<size_t>(-1) / 4;
    void* volatile block = ::operator new(huge);
    return block != nullptr ? 3 : 4;
  }
  if (mode == "error-box-end") {
    ThreadObject reporter;
    SetLastError(ERROR_ACCESS_DENIED);
    reporter.showErrorBox("probe", "", 1);
    return 3;
  }
  if (mode == "cwd") {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    appendToMarker(folder);
    return 0;
  }
  return 2;
}
