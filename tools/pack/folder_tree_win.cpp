#include <windows.h>

#include <algorithm>

#include "install/zip_entry.h"
#include "platform/scoped_handles_win.h"
#include "tools/pack/folder_tree.h"

namespace {

// 100 ns units from 1601 to 1970.
constexpr int64_t kUnixEpochFileTime = 116444736000000000;

// A last "/" or "\\" (a GBK character ending in the byte 0x5C is none).
bool endsInSeparator(const std::string& text) {
  return !text.empty() && (text.back() == '/' || withTrailingBackslash(text) == text);
}

int64_t secondsOf(const FILETIME& time) {
  const int64_t units = static_cast<int64_t>(
      (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return (units - kUnixEpochFileTime) / 10000000;
}

bool listLevel(const std::string& folder, const std::string& prefix,
               std::vector<TreeEntry>& entries, std::string& error) {
  std::vector<WIN32_FIND_DATAA> children;
  WIN32_FIND_DATAA found;
  ScopedFindHandle search(FindFirstFileA((folder + "\\*").c_str(), &found));
  if (!search) {
    error = "cannot read the folder '" + folder + "'";
    return false;
  }
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") children.push_back(found);
  } while (FindNextFileA(search.get(), &found));
  if (GetLastError() != ERROR_NO_MORE_FILES) {
    error = "cannot read the folder '" + folder + "' to its end";
    return false;
  }
  std::sort(children.begin(), children.end(),
            [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
              return std::string(a.cFileName) < std::string(b.cFileName);
            });
  for (const WIN32_FIND_DATAA& child : children) {
    const std::string name = prefix + child.cFileName;
    const std::string path = folder + "\\" + child.cFileName;
    // A junction or folder link could lead in a circle.
    if (child.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      error = "'" + path + "' is a link, which the tool does not follow";
      return false;
    }
    if (child.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      entries.push_back({name + "/", path, true, 0, secondsOf(child.ftLastWriteTime)});
      if (!listLevel(path, name + "/", entries, error)) return false;
    } else {
      const uint64_t size = (static_cast<uint64_t>(child.nFileSizeHigh) << 32) | child.nFileSizeLow;
      entries.push_back({name, path, false, size, secondsOf(child.ftLastWriteTime)});
    }
  }
  return true;
}

std::string fullName(const std::string& name) {
  char full[MAX_PATH * 4] = {};
  DWORD length = GetFullPathNameA(name.c_str(), sizeof(full), full, nullptr);
  if (length == 0 || length >= sizeof(full)) return std::string();
  std::string text(full, length);
  while (endsInSeparator(text)) text.pop_back();
  return text;
}

}  // namespace

bool listFolderTree(const std::string& root, std::vector<TreeEntry>& entries, std::string& error) {
  entries.clear();
  DWORD attributes = GetFileAttributesA(root.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    error = "'" + root + "' is not a folder";
    return false;
  }
  std::string folder = root;
  while (folder.size() > 1 && endsInSeparator(folder)) folder.pop_back();
  return listLevel(folder, "", entries, error);
}

bool isInsideFolder(const std::string& name, const std::string& folder) {
  const std::string file = fullName(name);
  const std::string base = fullName(folder);
  if (file.empty() || base.empty() || file.size() <= base.size() + 1) return false;
  // Windows names are compared without regard to letter case.
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, file.data(),
                        static_cast<int>(base.size()), base.data(),
                        static_cast<int>(base.size())) == CSTR_EQUAL &&
         file[base.size()] == '\\';
}

std::string newTemporaryFile() {
  char folder[MAX_PATH + 1] = {};
  char name[MAX_PATH + 1] = {};
  if (GetTempPathA(sizeof(folder), folder) == 0) return std::string();
  if (GetTempFileNameA(folder, "mvp", 0, name) == 0) return std::string();
  return name;
}
