#include "tests/win/process_helpers_win.h"

#include <fstream>
#include <sstream>

#include "platform/scoped_handles_win.h"

std::string testProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string freshTempFile(const char* prefix) {
  char folder[MAX_PATH] = {};
  char name[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  GetTempFileNameA(folder, prefix, 0, name);
  DeleteFileA(name);
  return name;
}

namespace {

struct BoxSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK findBoxOfProcess(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<BoxSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[64] = {};
  GetClassNameA(window, className, sizeof(className));
  if (owner == search->processId && strcmp(className, "#32770") == 0 && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

std::string windowText(HWND window) {
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

}  // namespace

DWORD runAndAnswerBox(const std::string& commandLine, const std::string& folder,
                      MessageBoxSeen* box, DWORD timeoutMs) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process))
    return static_cast<DWORD>(-3);
  ScopedKernelHandle processHandle(process.hProcess);
  ScopedKernelHandle threadHandle(process.hThread);

  DWORD start = GetTickCount();
  while (WaitForSingleObject(processHandle.get(), 50) == WAIT_TIMEOUT) {
    if (GetTickCount() - start > timeoutMs) {
      TerminateProcess(processHandle.get(), 99);
      WaitForSingleObject(processHandle.get(), 5000);
      return static_cast<DWORD>(-2);
    }
    if (box == nullptr) continue;
    BoxSearch search = {process.dwProcessId, nullptr};
    EnumWindows(findBoxOfProcess, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) continue;
    if (!box->shown) {
      box->shown = true;
      box->title = windowText(search.found);
      // The text of a message box is its static control 0xFFFF.
      box->text = windowText(GetDlgItem(search.found, 0xFFFF));
    }
    // Pressed again while the box stays: Wine may drop a press that comes too early.
    PostMessageA(search.found, WM_COMMAND, IDOK, 0);
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(processHandle.get(), &exitCode);
  return exitCode;
}

std::string readWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}
