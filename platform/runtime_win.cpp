#include "platform/runtime_win.h"

#include <ole2.h>

#include <cstdlib>
#include <new>
#include <utility>

#include "platform/text.h"

const char* const kFaultWindowDescription = "载入窗口模板数据段出错!";
const char* const kFaultMainWindow = "载入启动窗口失败";

namespace {

constexpr UINT kEndProgramMessage = WM_APP + 1;
const char kRuntimeWindowClass[] = "MervantisRuntime";

DWORD windowThreadId = 0;
HWND runtimeWindow = nullptr;
void (*exitRoutine)() = nullptr;
bool exitInProgress = false;
bool oleInitialised = false;

// Steps 2 to 4 of the end: on the window thread only.
[[noreturn]] void runExitSequence(int32_t exitCode) {
  exitInProgress = true;
  // Taken before it runs, so that an end asked for from inside it cannot run it again.
  if (auto routine = std::exchange(exitRoutine, nullptr)) routine();
  if (oleInitialised) {
    oleInitialised = false;
    OleUninitialize();
  }
  ExitProcess(static_cast<UINT>(exitCode));
}

LRESULT CALLBACK runtimeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kEndProgramMessage) runExitSequence(static_cast<int32_t>(wParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

// A setup program is usually started from a Downloads folder, where a DLL planted beside it
// must never be loaded: only the system folder is searched from here on.
void restrictLibrarySearch() {
  SetDllDirectoryA("");
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void enterProgramFolder() {
  char path[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  std::string folder(path, length);
  // The last backslash at a character boundary: a GBK trail byte can be 0x5C too.
  int32_t cut = -1;
  for (int32_t at = findText(folder, "\\"); at > 0; at = findText(folder, "\\", at + 1)) cut = at;
  if (cut < 1) return;
  folder.resize(static_cast<size_t>(cut - 1));
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';  // "C:" alone would mean C:'s cwd
  SetCurrentDirectoryA(folder.c_str());
}

// Decimal digits of value into out (room for 21 bytes), without the heap.
size_t writeDecimal(uint64_t value, char* out) {
  char digits[20];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (size_t i = 0; i < count; ++i) out[i] = digits[count - 1 - i];
  out[count] = '\0';
  return count;
}

// Without the heap: it is what has run out. The texts go through the system's string calls,
// which keep them whole in the program file.
[[noreturn]] void failAllocation(std::size_t bytes) {
  char size[21];
  writeDecimal(bytes, size);
  static char fault[64];
  lstrcpynA(fault, "分配 ", sizeof(fault));
  lstrcatA(fault, size);
  lstrcatA(fault, " 字节内存失败!");
  fatalRuntimeError(fault);
}

void* allocateOrFail(std::size_t bytes) {
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block == nullptr) failAllocation(bytes);
  return block;
}

}  // namespace

// Every allocation of the program goes through here, so an exhausted heap takes the fatal
// error path with the size that was asked for.
void* operator new(std::size_t bytes) { return allocateOrFail(bytes); }
void* operator new[](std::size_t bytes) { return allocateOrFail(bytes); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

void initialiseRuntime() {
  restrictLibrarySearch();
  windowThreadId = GetCurrentThreadId();
  oleInitialised = SUCCEEDED(OleInitialize(nullptr));
  enterProgramFolder();

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = runtimeWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kRuntimeWindowClass;
  RegisterClassA(&windowClass);
  runtimeWindow = CreateWindowExA(0, kRuntimeWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
  if (runtimeWindow == nullptr) fatalRuntimeError(kFaultMainWindow);
}

bool isWindowThread() { return GetCurrentThreadId() == windowThreadId; }

void registerExitRoutine(void (*routine)()) { exitRoutine = routine; }

void endProgram(int32_t exitCode) {
  if (isWindowThread()) runExitSequence(exitCode);
  // The window thread runs the exit sequence and ends the process inside this call. It comes
  // back only when there was no window to take the request.
  SendMessageA(runtimeWindow, kEndProgramMessage, static_cast<WPARAM>(exitCode), 0);
  ExitProcess(static_cast<UINT>(exitCode));
}

void runMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void processPendingEvents() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (message.message == WM_QUIT) return;
    PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int showMessageBox(const char* text, const char* title, UINT flags) {
  return MessageBoxA(nullptr, text, title, flags | MB_TASKMODAL);
}

void fatalRuntimeError(const char* faultText) {
  exitRoutine = nullptr;
  // A fault while the box is being shown (the heap again) ends the process at once.
  static bool faultShown = false;
  if (std::exchange(faultShown, true)) ExitProcess(static_cast<UINT>(-1));
  static char text[1024];
  const int room = static_cast<int>(sizeof(text)) - 3;
  lstrcpynA(text, "运行时出错!\r\n\r\n错误信息：", room);
  int used = lstrlenA(text);
  lstrcpynA(text + used, faultText, room - used);
  lstrcatA(text, "\r\n");
  MessageBoxA(nullptr, text, "错误", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(static_cast<UINT>(-1));
}
