// Times one download under Wine, from the start of a process to its result:
//   download_bench program EXE       starts EXE and waits until its installation controls show;
//                                    prints that time and the time its window showed
//   download_bench loop URL FILE     starts itself as a bare WinINet loop (10240-byte reads
//                                    written to FILE) and waits until it ends
// Prints the milliseconds on stdout. Both are measured from CreateProcess, so that the process
// start-up counts alike.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

double millisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

bool start(std::string commandLine, const char* folder, PROCESS_INFORMATION& process) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                        &startup, &process) != FALSE;
}

// The installer's main window has been shown.
bool windowShown() {
  HWND window = FindWindowA("MervantisMainWindow", nullptr);
  return window != nullptr && IsWindowVisible(window);
}

// The installer's directory box (control 7 of its main window) has become visible.
bool installControlsShown() {
  HWND window = FindWindowA("MervantisMainWindow", nullptr);
  if (window == nullptr) return false;
  HWND dirEdit = GetDlgItem(window, 7);
  return dirEdit != nullptr && IsWindowVisible(dirEdit);
}

int timeProgram(const char* exe) {
  std::string folder = exe;
  folder.resize(folder.find_last_of('\\') + 1);
  LARGE_INTEGER started;
  QueryPerformanceCounter(&started);
  PROCESS_INFORMATION process = {};
  if (!start(std::string("\"") + exe + "\"", folder.c_str(), process)) return 1;
  double shown = -1;
  while (!installControlsShown()) {
    if (shown < 0 && windowShown()) shown = millisecondsSince(started);
    if (WaitForSingleObject(process.hProcess, 1) != WAIT_TIMEOUT) return 1;
    if (millisecondsSince(started) > 600000) return 1;
  }
  std::printf("%.0f %.0f\n", millisecondsSince(started), shown);
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

int bareLoop(const char* url, const char* path) {
  HINTERNET internet = InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET request = internet ? InternetOpenUrlA(internet, url, nullptr, 0,
                                                  INTERNET_FLAG_RELOAD, 0)
                               : nullptr;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (request == nullptr || file == INVALID_HANDLE_VALUE) return 1;
  static char buffer[10241];
  DWORD read = 0;
  while (InternetReadFile(request, buffer, 10240, &read) && read > 0) {
    DWORD written = 0;
    WriteFile(file, buffer, read, &written, nullptr);
  }
  CloseHandle(file);
  InternetCloseHandle(request);
  InternetCloseHandle(internet);
  return 0;
}

int timeLoop(const char* self, const char* url, const char* path) {
  LARGE_INTEGER started;
  QueryPerformanceCounter(&started);
  PROCESS_INFORMATION process = {};
  if (!start(std::string("\"") + self + "\" child-loop " + url + " \"" + path + "\"", nullptr,
             process))
    return 1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  std::printf("%.0f\n", millisecondsSince(started));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "program") == 0) return timeProgram(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "loop") == 0) return timeLoop(argv[0], argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "child-loop") == 0) return bareLoop(argv[2], argv[3]);
  std::fprintf(stderr, "usage: download_bench program EXE | loop URL FILE\n");
  return 2;
}
