// A host without WinINet: the layer's logic is built here for its tests, which put their own
// table of calls in place; the system's table fails every call.
#include "download/transfers.h"

const InternetApi& systemInternetApi() {
  static const InternetApi none = {
      [](const char*, uint32_t, const char*, const char*, uint32_t) -> InternetHandle {
        return nullptr;
      },
      [](InternetHandle, const char*, uint16_t, const char*, const char*, uint32_t, uint32_t,
         uintptr_t) -> InternetHandle { return nullptr; },
      [](InternetHandle, const char*, uint32_t*, uint32_t*, uint32_t, uintptr_t)
          -> InternetHandle { return nullptr; },
      [](InternetHandle, const char*, uint32_t, uint32_t, uintptr_t) -> InternetHandle {
        return nullptr;
      },
      [](InternetHandle, const char*, const char*, const char*, const char*, const char**,
         uint32_t, uintptr_t) -> InternetHandle { return nullptr; },
      [](InternetHandle, const char*, uint32_t, void*, uint32_t) { return false; },
      [](InternetHandle, uint32_t, void*, uint32_t*, uint32_t*) { return false; },
      [](InternetHandle, void*, uint32_t, uint32_t*) { return false; },
      [](InternetHandle) { return false; },
  };
  return none;
}
