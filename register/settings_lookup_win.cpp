#include <windows.h>

#include <string>

#include "platform/runtime_win.h"
#include "register/settings_lookup_platform.h"

std::string ownProgramFile() {
  // Long paths need more than MAX_PATH; a name that fills the buffer has been cut short.
  for (DWORD room = MAX_PATH; room <= 32768; room *= 2) {
    std::string name(room, '\0');
    DWORD length = GetModuleFileNameA(nullptr, name.data(), room);
    if (length == 0) return std::string();
    if (length < room) {
      name.resize(length);
      return name;
    }
  }
  return std::string();
}

void letPendingEventsRun() { processPendingEvents(); }
