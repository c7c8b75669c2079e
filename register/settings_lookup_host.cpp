#include <unistd.h>

#include <string>

#include "register/settings_lookup_platform.h"

std::string ownProgramFile() {
  std::string name(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", name.data(), name.size());
  if (length <= 0 || static_cast<size_t>(length) >= name.size()) return std::string();
  name.resize(static_cast<size_t>(length));
  return name;
}

// The host has no window events.
void letPendingEventsRun() {}
