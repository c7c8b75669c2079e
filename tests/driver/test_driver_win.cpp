// The end-to-end tests' eyes inside Wine: finds the program's window and reports it and its
// controls as JSON (UTF-8), answers where a screen point lands, and acts on windows the way
// the system would (restore from the task bar, a close request from outside).
//   test_driver window            the main window and its controls, top of the stacking first
//   test_driver at X Y            the window under a screen point
//   test_driver box TITLE         a dialog (TITLE * for any): its texts, buttons and edit fields
//   test_driver restore | close   restore the main window / ask it to close
//   test_driver set-text ID TEXT  set the text of the control with that id
//   test_driver shortcut PATH     the target, arguments and folder of a shortcut file
//   test_driver temp-folder       the system's temporary folder, as programs are given it
//   test_driver shell-folders     the current user's desktop and start-menu Programs folders
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const wchar_t kMainWindowClass[] = L"MervantisMainWindow";

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::string quoted(const std::wstring& text) {
  std::string out = "\"";
  for (char c : utf8(text)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          snprintf(escaped, sizeof(escaped), "\\u%04x", c);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::wstring textOf(HWND window) {
  wchar_t text[4096] = {};
  // WM_GETTEXT rather than GetWindowText: it reads other processes' controls too.
  SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      2000, nullptr);
  return text;
}

std::wstring classOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::string rectJson(const RECT& rect) {
  char out[160];
  snprintf(out, sizeof(out), "\"x\": %ld, \"y\": %ld, \"width\": %ld, \"height\": %ld",
           rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  return out;
}

const char* flag(bool value) { return value ? "true" : "false"; }

void print(const std::string& json) {
  std::string line = json + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()),
            &written, nullptr);
}

// The visible main window when there is one: a window of a run that has just been ended may
// linger for a moment beside the next run's.
HWND mainWindow() {
  HWND first = FindWindowW(kMainWindowClass, nullptr);
  for (HWND window = first; window != nullptr;
       window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr)) {
    if (IsWindowVisible(window)) return window;
  }
  return first;
}

std::string regionJson(HWND window) {
  RECT box = {};
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  int kind = GetWindowRgn(window, region);
  if (kind != ERROR) GetRgnBox(region, &box);
  DeleteObject(region);
  if (kind == ERROR) return "null";
  return "{" + rectJson(box) + "}";
}

// The keyboard focus of the window's thread: the id of the control that has it, 0 for none.
int focusedControl(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return 0;
  return info.hwndFocus != nullptr && GetParent(info.hwndFocus) == window
             ? GetDlgCtrlID(info.hwndFocus)
             : 0;
}

struct MenuSearch {
  DWORD processId;
  bool found;
};

BOOL CALLBACK findMenu(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<MenuSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && classOf(window) == L"#32768" && IsWindowVisible(window)) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

// Whether a popup menu of the window's process is showing.
bool menuShown(HWND window) {
  MenuSearch search = {0, false};
  GetWindowThreadProcessId(window, &search.processId);
  EnumWindows(findMenu, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int reportWindow() {
  HWND window = mainWindow();
  if (window == nullptr) {
    print("{\"found\": false}");
    return 0;
  }
  RECT rect = {};
  GetWindowRect(window, &rect);
  LONG_PTR extended = GetWindowLongPtrW(window, GWL_EXSTYLE);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  std::string json = "{\"found\": true, \"caption\": " + quoted(textOf(window)) +
                     ", \"class\": " + quoted(classOf(window)) + ", " + rectJson(rect) +
                     ", \"visible\": " + flag(IsWindowVisible(window)) +
                     ", \"minimized\": " + flag(IsIconic(window)) +
                     ", \"topmost\": " + flag((extended & WS_EX_TOPMOST) != 0) +
                     ", \"appwindow\": " + flag((extended & WS_EX_APPWINDOW) != 0) +
                     ", \"process\": " + std::to_string(processId) +
                     ", \"focus\": " + std::to_string(focusedControl(window)) +
                     ", \"menu\": " + flag(menuShown(window)) + ", \"controls\": [";
  bool first = true;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    RECT childRect = {};
    GetWindowRect(child, &childRect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&childRect), 2);
    LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    json += std::string(first ? "" : ", ") + "{\"id\": " + std::to_string(GetDlgCtrlID(child)) +
            ", \"class\": " + quoted(classOf(child)) + ", \"text\": " + quoted(textOf(child)) +
            ", " + rectJson(childRect) + ", \"visible\": " + flag((style & WS_VISIBLE) != 0) +
            ", \"region\": " + regionJson(child) + "}";
    first = false;
  }
  print(json + "]}");
  return 0;
}

int reportPoint(int x, int y) {
  HWND window = WindowFromPoint({x, y});
  if (window == nullptr) {
    print("{\"found\": false}");
    return 0;
  }
  print("{\"found\": true, \"class\": " + quoted(classOf(window)) +
        ", \"id\": " + std::to_string(GetDlgCtrlID(window)) + "}");
  return 0;
}

struct BoxSearch {
  std::wstring title;
  HWND found = nullptr;
};

BOOL CALLBACK findBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<BoxSearch*>(context);
  if (classOf(window) == L"#32770" && IsWindowVisible(window) &&
      (search->title == L"*" || textOf(window) == search->title)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

int reportBox(const std::wstring& title) {
  BoxSearch search;
  search.title = title;
  EnumWindows(findBox, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) {
    print("{\"found\": false}");
    return 0;
  }
  std::string texts, buttons, edits;
  for (HWND child = GetWindow(search.found, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    std::wstring name = classOf(child);
    RECT rect = {};
    GetWindowRect(child, &rect);
    const std::string item = "{\"text\": " + quoted(textOf(child)) + ", " + rectJson(rect) + "}";
    if (_wcsicmp(name.c_str(), L"Button") == 0) {
      buttons += std::string(buttons.empty() ? "" : ", ") + item;
    } else if (_wcsicmp(name.c_str(), L"Edit") == 0 && IsWindowVisible(child)) {
      edits += std::string(edits.empty() ? "" : ", ") + item;
    } else if (_wcsicmp(name.c_str(), L"Static") == 0 && !textOf(child).empty()) {
      texts += std::string(texts.empty() ? "" : ", ") + quoted(textOf(child));
    }
  }
  RECT rect = {};
  GetWindowRect(search.found, &rect);
  print("{\"found\": true, \"title\": " + quoted(textOf(search.found)) + ", " + rectJson(rect) +
        ", \"texts\": [" + texts + "], \"buttons\": [" + buttons + "], \"edits\": [" + edits +
        "]}");
  return 0;
}

int reportShortcut(const std::wstring& path) {
  CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  int result = 1;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
    wchar_t target[MAX_PATH] = {}, arguments[1024] = {}, folder[MAX_PATH] = {};
    int show = 0;
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetArguments(arguments, 1024);
    link->GetWorkingDirectory(folder, MAX_PATH);
    link->GetShowCmd(&show);
    print("{\"found\": true, \"target\": " + quoted(target) + ", \"arguments\": " +
          quoted(arguments) + ", \"folder\": " + quoted(folder) +
          ", \"show\": " + std::to_string(show) + "}");
    result = 0;
  } else {
    print("{\"found\": false}");
  }
  if (file != nullptr) file->Release();
  if (link != nullptr) link->Release();
  CoUninitialize();
  return result;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"window") return reportWindow();
  if (command == L"at" && argc == 4) return reportPoint(_wtoi(argv[2]), _wtoi(argv[3]));
  if (command == L"box" && argc == 3) return reportBox(argv[2]);
  if (command == L"shortcut" && argc == 3) return reportShortcut(argv[2]);
  if (command == L"temp-folder") {
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, folder);
    print("{\"path\": " + quoted(folder) + "}");
    return 0;
  }
  if (command == L"shell-folders") {
    wchar_t desktop[MAX_PATH] = {}, programs[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE);
    SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAMS, FALSE);
    print("{\"desktop\": " + quoted(desktop) + ", \"programs\": " + quoted(programs) + "}");
    return 0;
  }
  HWND window = mainWindow();
  if (command == L"restore" && window != nullptr) {
    // What a click on the task bar button does.
    SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    return 0;
  }
  if (command == L"close" && window != nullptr) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (command == L"set-text" && argc == 4 && window != nullptr) {
    HWND control = GetDlgItem(window, _wtoi(argv[2]));
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
    return control != nullptr ? 0 : 1;
  }
  fprintf(stderr, "usage: test_driver window | at X Y | box TITLE | restore | close | "
                  "set-text ID TEXT | shortcut PATH | temp-folder | shell-folders\n");
  return 2;
}
