// The sample package's uninstaller, "uninst.exe": shows what the installer's uninstall record
// beside it says was made, and removes nothing (a sample only).
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  PathRemoveFileSpecA(path);
  const std::string record = std::string(path) + "\\uninst.dat";

  std::string text = "卸载记录 " + record + "：\r\n\r\n";
  if (FILE* file = fopen(record.c_str(), "rb")) {
    char buffer[4096];
    size_t count = fread(buffer, 1, sizeof(buffer), file);
    fclose(file);
    text.append(buffer, count);
  } else {
    text += "（没有找到）";
  }
  MessageBoxA(nullptr, text.c_str(), "Mervantis 示例卸载程序", MB_OK | MB_ICONINFORMATION);
  return 0;
}
