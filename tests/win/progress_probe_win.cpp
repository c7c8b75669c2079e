// The real main window, opened by the program's own start-up code, with its status line and
// progress bar driven from a worker thread as the download will drive them. Nothing in the
// shipped program draws them yet, and the program takes no test switches, so the end-to-end
// tests use this instead.
//   progress_probe COMMANDS
// COMMANDS is a file the test appends lines to (GBK). Each line is one command:
//   status X TEXT        showStatus(X, TEXT); TEXT is the rest of the line and may be empty
//   bar VALUE MAXIMUM    drawProgressBar on progressCanvas with the program's two images
//   region               writes progressCanvas's window shape to COMMANDS.region, one line of
//                        '1' (inside) and '0' per row of the canvas
// After each command the probe has the window paint what is pending and writes the number of
// commands done so far to COMMANDS.done.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets/progress_images.h"
#include "platform/runtime_win.h"
#include "progress/progress_bar_win.h"
#include "progress/status_line_win.h"
#include "shell/main_window.h"
#include "shell/startup.h"

namespace {

constexpr UINT kPaintPendingMessage = WM_APP + 10;

std::string commandsPath;
HWND probeWindow = nullptr;

LRESULT CALLBACK probeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPaintPendingMessage) {
    RedrawWindow(mainWindow().handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string readFrom(const std::string& path, long offset) {
  std::string content;
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return content;
  if (fseek(file, offset, SEEK_SET) == 0) {
    char buffer[4096];
    size_t read = 0;
    while ((read = fread(buffer, 1, sizeof(buffer), file)) > 0) content.append(buffer, read);
  }
  fclose(file);
  return content;
}

void writeFile(const std::string& path, const std::string& content) {
  std::string partial = path + ".part";
  FILE* file = fopen(partial.c_str(), "wb");
  if (file == nullptr) return;
  fwrite(content.data(), 1, content.size(), file);
  fclose(file);
  // Whole or not at all: the test may read it at any moment.
  MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::string regionRows(HWND window, int32_t width, int32_t height) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  bool shaped = GetWindowRgn(window, region) != ERROR;
  std::string rows;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) rows += !shaped || PtInRegion(region, x, y) ? '1' : '0';
    rows += '\n';
  }
  DeleteObject(region);
  return rows;
}

void run(const std::string& line) {
  std::string word = line.substr(0, line.find(' '));
  std::string rest = line.size() > word.size() ? line.substr(word.size() + 1) : "";
  if (word == "status") {
    size_t space = rest.find(' ');
    std::string text = space == std::string::npos ? "" : rest.substr(space + 1);
    showStatus(atoi(rest.c_str()), text);
  } else if (word == "bar") {
    float value = 0, maximum = 0;
    sscanf(rest.c_str(), "%f %f", &value, &maximum);
    drawProgressBar(progressCanvas(), progressBackgroundImage, progressFillImage, value, maximum);
  } else if (word == "region") {
    const ControlDescription& d = progressCanvas().description();
    writeFile(commandsPath + ".region", regionRows(progressCanvas().handle(), d.width, d.height));
  }
}

DWORD WINAPI commandWorker(void*) {
  long offset = 0;
  int done = 0;
  std::string pending;
  for (;;) {
    std::string added = readFrom(commandsPath, offset);
    offset += static_cast<long>(added.size());
    pending += added;
    size_t end = 0;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      pending.erase(0, end + 1);
      run(line);
      SendMessageA(probeWindow, kPaintPendingMessage, 0, 0);
      writeFile(commandsPath + ".done", std::to_string(++done));
    }
    Sleep(20);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  commandsPath = argv[1];
  initialiseRuntime();
  WNDCLASSA probeClass = {};
  probeClass.lpfnWndProc = probeWindowProc;
  probeClass.hInstance = GetModuleHandleA(nullptr);
  probeClass.lpszClassName = "MervantisProgressProbe";
  RegisterClassA(&probeClass);
  probeWindow = CreateWindowExA(0, probeClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, probeClass.hInstance, nullptr);
  openProgram();
  CreateThread(nullptr, 0, commandWorker, nullptr, 0, nullptr);
  runMessageLoop();
  endProgram(0);
}
