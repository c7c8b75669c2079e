#include "install/install_dir.h"

#include "platform/text.h"

std::string folderPathFromAnswer(const std::string& answer) {
  if (answer.empty()) return std::string();
  const std::string path = answer + "\\";
  std::string collapsed;
  for (size_t at = 0; at < path.size();) {
    if (isLeadByte(static_cast<unsigned char>(path[at])) && at + 1 < path.size()) {
      collapsed.append(path, at, 2);
      at += 2;
    } else if (path[at] == '\\' && at + 1 < path.size() && path[at + 1] == '\\') {
      collapsed += '\\';
      at += 2;
    } else {
      collapsed += path[at++];
    }
  }
  return collapsed;
}

std::string browsedFolderText(const std::string& chosen) {
  if (chosen.empty() || chosen.back() == '\\') return chosen;
  return chosen + "\\";
}
