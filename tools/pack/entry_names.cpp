#include "tools/pack/entry_names.h"

#include "platform/text.h"

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::optional<std::string> levelProblem(const std::string& level) {
  if (level.empty()) return "has two separators in a row";
  if (level == "..") return "has a \"..\" level";
  if (level.back() == '.' || level.back() == ' ')
    return "has a level ending in a dot or a space, which Windows drops";
  for (size_t at = 0; at < level.size(); ++at) {
    const unsigned char byte = static_cast<unsigned char>(level[at]);
    if (isLeadByte(byte) && at + 1 < level.size()) {
      ++at;
      continue;
    }
    if (byte < 0x20 || std::string("<>:\"|?*").find(static_cast<char>(byte)) != std::string::npos)
      return "has a character Windows forbids in names";
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> entryNameProblem(const std::string& name) {
  if (name.empty()) return "is empty";
  if (name.size() > 259) return "is longer than 259 bytes";
  if (isSeparator(name[0])) return "begins with a separator";
  if (name.size() >= 2 && name[1] == ':') return "begins with a drive letter";
  std::string level;
  for (size_t at = 0; at < name.size(); ++at) {
    const unsigned char byte = static_cast<unsigned char>(name[at]);
    if (isLeadByte(byte) && at + 1 < name.size()) {
      level.append(name, at++, 2);
    } else if (isSeparator(name[at])) {
      if (std::optional<std::string> problem = levelProblem(level)) return problem;
      level.clear();
    } else {
      level += name[at];
    }
  }
  // A folder's name ends in a separator and leaves no last level.
  return level.empty() ? std::nullopt : levelProblem(level);
}

std::optional<std::string> singleNameProblem(const std::string& name) {
  for (size_t at = 0; at < name.size(); ++at) {
    if (isLeadByte(static_cast<unsigned char>(name[at]))) {
      ++at;
    } else if (isSeparator(name[at])) {
      return "holds a separator";
    }
  }
  return entryNameProblem(name);
}
