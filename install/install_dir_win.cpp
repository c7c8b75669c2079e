#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "install/install_dir.h"
#include "progress/status_line_win.h"
#include "shell/main_window.h"

void enterInstallStage() {
  dirEdit().setVisible(true);
  browseButton().setVisible(true);
  installButton().setVisible(true);
  progressCanvas().setVisible(false);
  dirEdit().setText(specialFolderPath(CSIDL_PROGRAM_FILES) + "Mervantis\\");
  showStatus(16, "请选择安装目录进行安装,或默认安装。");
}

std::string specialFolderPath(int32_t folder) {
  // 255 spaces, then room for the longest path the call may write (MAX_PATH bytes).
  std::string buffer(255, ' ');
  buffer.resize(MAX_PATH + 1, '\0');
  // Success is not tested: a failed call leaves the spaces, and they become the path.
  SHGetSpecialFolderPathA(nullptr, buffer.data(), folder, FALSE);
  return folderPathFromAnswer(buffer.c_str());
}

void chooseInstallDir() {
  mainWindow().setAlwaysOnTop(false);
  const std::string chosen = browsedFolderText(browseForFolder("选择安装目录:"));
  if (!chosen.empty()) dirEdit().setText(chosen);
  mainWindow().setAlwaysOnTop(true);
}

namespace {

struct WindowState {
  HWND window;
  bool enabled;
};

BOOL CALLBACK collectTopLevel(HWND window, LPARAM context) {
  auto* windows = reinterpret_cast<std::vector<WindowState>*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) windows->push_back({window, IsWindowEnabled(window) != 0});
  return TRUE;
}

// The item list the dialog returns, released through the shell allocator.
class ScopedItemList {
 public:
  explicit ScopedItemList(LPITEMIDLIST items) : items_(items) {}
  ~ScopedItemList() {
    IMalloc* allocator = nullptr;
    if (items_ != nullptr && SUCCEEDED(SHGetMalloc(&allocator))) {
      allocator->Free(items_);
      allocator->Release();
    }
  }
  ScopedItemList(const ScopedItemList&) = delete;
  ScopedItemList& operator=(const ScopedItemList&) = delete;
  LPITEMIDLIST get() const { return items_; }

 private:
  LPITEMIDLIST items_;
};

}  // namespace

std::string browseForFolder(const std::string& title) {
  HWND active = GetActiveWindow();
  HWND foreground = GetForegroundWindow();
  std::vector<WindowState> windows;
  EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&windows));
  for (const WindowState& state : windows) EnableWindow(state.window, FALSE);

  BROWSEINFOA browse = {};
  browse.hwndOwner = IsWindow(active) ? active : nullptr;
  browse.pidlRoot = nullptr;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_EDITBOX;
  std::string path;
  {
    ScopedItemList items(SHBrowseForFolderA(&browse));
    char chosen[260] = {};
    if (items.get() != nullptr && SHGetPathFromIDListA(items.get(), chosen)) path = chosen;
  }

  for (const WindowState& state : windows) EnableWindow(state.window, state.enabled);
  if (IsWindow(foreground)) SetForegroundWindow(foreground);
  if (IsWindow(active)) SetActiveWindow(active);
  return path;
}
