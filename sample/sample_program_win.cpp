// The sample package's program: what the installer starts after the installation. It says in
// a window that it was installed, and leaves a note beside itself, "started.txt" (GBK lines
// ended by CR LF), of how it was started:
//   current directory=<the current directory it was given>
//   installer window=<hidden, visible or gone: the installer's main window at this moment>
//   command line=<its command line>
// With MERVANTIS_SAMPLE_CLOSE_MS set in its environment it closes itself after that many
// milliseconds (the tests and the demo use it).
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char kWindowClass[] = "MervantisSampleProgram";
constexpr UINT_PTR kCloseTimer = 1;

// With a backslash at the end; the shell's path functions know double-byte characters.
std::string ownFolder() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  PathRemoveFileSpecA(path);
  PathAddBackslashA(path);
  return path;
}

std::string currentDirectory() {
  char path[MAX_PATH] = {};
  DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
  return std::string(path, length < MAX_PATH ? length : 0);
}

const char* installerWindowState() {
  HWND installer = FindWindowA("MervantisMainWindow", nullptr);
  if (installer == nullptr) return "gone";
  return IsWindowVisible(installer) ? "visible" : "hidden";
}

void writeNote(const std::string& path, const std::string& text) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kCloseTimer) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  // First, before a window of its own: the installer is still waiting for it then.
  const std::string folder = ownFolder();
  const std::string here = currentDirectory();
  writeNote(folder + "started.txt", "current directory=" + here + "\r\ninstaller window=" +
                                        installerWindowState() + "\r\ncommand line=" +
                                        GetCommandLineA() + "\r\n");

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, kWindowClass, "Mervantis 示例程序", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 520, 200, nullptr, nullptr,
                                instance, nullptr);
  const std::string text = "示例程序已安装并启动。\r\n\r\n程序目录：" + folder +
                           "\r\n当前目录：" + here;
  HWND label = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE, 16, 16, 480,
                               120, window, nullptr, instance, nullptr);
  HFONT font = CreateFontA(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0,
                           0, 0, "SimSun");
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ShowWindow(window, show);
  UpdateWindow(window);

  if (const char* closeAfter = getenv("MERVANTIS_SAMPLE_CLOSE_MS"))
    SetTimer(window, kCloseTimer, static_cast<UINT>(atoi(closeAfter)), nullptr);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  DeleteObject(font);
  return 0;
}
