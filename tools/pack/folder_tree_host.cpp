#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "tools/pack/folder_tree.h"

namespace fs = std::filesystem;

namespace {

bool listLevel(const fs::path& folder, const std::string& prefix, std::vector<TreeEntry>& entries,
               std::string& error) {
  std::error_code failure;
  std::vector<fs::path> children;
  for (fs::directory_iterator it(folder, failure), end; !failure && it != end;
       it.increment(failure))
    children.push_back(it->path());
  if (failure) {
    error = "cannot read the folder '" + folder.string() + "': " + failure.message();
    return false;
  }
  std::sort(children.begin(), children.end(), [](const fs::path& a, const fs::path& b) {
    return a.filename().string() < b.filename().string();
  });
  for (const fs::path& child : children) {
    const std::string name = prefix + child.filename().string();
    // A link to a file is taken as the file; a link to a folder could lead in a circle.
    struct stat status {};
    const bool link = fs::is_symlink(fs::symlink_status(child, failure));
    const bool readable = stat(child.c_str(), &status) == 0;
    if (!readable || !(S_ISREG(status.st_mode) || (S_ISDIR(status.st_mode) && !link))) {
      error = "'" + child.string() + "' is neither a file nor a folder the tool takes in";
      return false;
    }
    if (S_ISDIR(status.st_mode)) {
      entries.push_back({name + "/", child.string(), true, 0, status.st_mtime});
      if (!listLevel(child, name + "/", entries, error)) return false;
    } else {
      entries.push_back({name, child.string(), false, static_cast<uint64_t>(status.st_size),
                         status.st_mtime});
    }
  }
  return true;
}

}  // namespace

bool listFolderTree(const std::string& root, std::vector<TreeEntry>& entries, std::string& error) {
  entries.clear();
  std::error_code failure;
  if (!fs::is_directory(root, failure)) {
    error = "'" + root + "' is not a folder";
    return false;
  }
  return listLevel(root, "", entries, error);
}

bool isInsideFolder(const std::string& name, const std::string& folder) {
  std::error_code failure;
  const fs::path file = fs::weakly_canonical(fs::absolute(name, failure), failure);
  const fs::path base = fs::weakly_canonical(fs::absolute(folder, failure), failure);
  auto [baseEnd, fileAt] = std::mismatch(base.begin(), base.end(), file.begin(), file.end());
  return baseEnd == base.end() && fileAt != file.end();
}

std::string newTemporaryFile() {
  std::error_code failure;
  std::string pattern = (fs::temp_directory_path(failure) / "mervantis-pack-XXXXXX").string();
  const int descriptor = mkstemp(pattern.data());
  if (descriptor < 0) return std::string();
  close(descriptor);
  return pattern;
}
