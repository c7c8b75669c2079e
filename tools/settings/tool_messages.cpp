#include "tools/settings/tool_messages.h"

#include "tools/settings/terminal_text.h"

int ToolMessages::fail(int code, const std::string& message) {
  errors_ << name_ << ": " << message << "\n";
  if (code == usageError_) errors_ << "run '" << name_ << " --help' for the usage\n";
  return code;
}

std::optional<std::string> ToolMessages::toGbk(const std::string& text, const char* what) {
  std::optional<std::string> converted = gbkFromTerminal(text);
  if (!converted) fail(usageError_, std::string(what) + " cannot be written in GBK");
  return converted;
}
