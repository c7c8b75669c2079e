// The shell's rules, written out for the host; the shared table of cases in the tests holds
// this code to the Windows results.
#include "register/path_names_internal.h"

namespace {

// The lead bytes of code page 936 as the Windows character functions know them.
bool isCodePageLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The offset of the next character, as CharNextA steps: a lead byte takes the byte after it.
size_t nextCharacter(const std::string& path, size_t at) {
  if (isCodePageLeadByte(static_cast<unsigned char>(path[at])) && at + 1 < path.size())
    return at + 2;
  return at + 1;
}

bool isSlash(char byte) { return byte == '\\' || byte == '/'; }

}  // namespace

size_t fileNameStart(const std::string& path) {
  size_t start = 0;
  for (size_t at = 0; at < path.size(); at = nextCharacter(path, at)) {
    char byte = path[at];
    if ((isSlash(byte) || byte == ':') && at + 1 < path.size() && !isSlash(path[at + 1]))
      start = at + 1;
  }
  return start;
}

size_t extensionStart(const std::string& path) {
  size_t dot = path.size();
  for (size_t at = 0; at < path.size(); at = nextCharacter(path, at)) {
    char byte = path[at];
    if (byte == '.') dot = at;
    else if (byte == '\\' || byte == ' ') dot = path.size();
  }
  return dot;
}
