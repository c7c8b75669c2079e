#include <windows.h>
#include <shlwapi.h>

#include "register/path_names_internal.h"

size_t fileNameStart(const std::string& path) {
  return static_cast<size_t>(PathFindFileNameA(path.c_str()) - path.c_str());
}

size_t extensionStart(const std::string& path) {
  return static_cast<size_t>(PathFindExtensionA(path.c_str()) - path.c_str());
}
