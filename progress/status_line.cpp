#include "progress/status_line.h"

#include "platform/text.h"

std::vector<std::string> statusLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (size_t at = 0; at < text.size(); ++at) {
    char byte = text[at];
    if (isLeadByte(static_cast<unsigned char>(byte)) && at + 1 < text.size()) {
      lines.back() += text.substr(at, 2);
      ++at;
    } else if (byte == '\r' || byte == '\n') {
      if (byte == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
      lines.emplace_back();
    } else {
      lines.back() += byte;
    }
  }
  return lines;
}
