#include "register/path_names.h"

#include "register/path_names_internal.h"

namespace {

std::string upToFirstZero(const std::string& path) { return path.substr(0, path.find('\0')); }

}  // namespace

std::string extensionOfPath(const std::string& path) {
  std::string text = upToFirstZero(path);
  return text.substr(extensionStart(text));
}

std::string fileNameOfPath(const std::string& path, bool withExtension) {
  std::string text = upToFirstZero(path);
  std::string name = text.substr(fileNameStart(text));
  if (withExtension) return name;
  return name.substr(0, name.size() - extensionOfPath(name).size());
}
