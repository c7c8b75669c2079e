#include "platform/gdiplus_win.h"

#include <cstring>

namespace {

bool loadApi(GdiplusApi& api) {
  // Only the system folder: a gdiplus.dll planted beside the program is never taken.
  HMODULE module = LoadLibraryExA("gdiplus.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
    // Systems without the search flags: name the system folder instead.
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH - 16);
    if (length == 0 || length >= MAX_PATH - 16) return false;
    strcat(path, "\\gdiplus.dll");
    module = LoadLibraryA(path);
  }
  if (module == nullptr) return false;
  bool complete = true;
#define MERVANTIS_GDIPLUS_RESOLVE(scope, name)                                              \
  api.name = reinterpret_cast<decltype(api.name)>(                                         \
      reinterpret_cast<void*>(GetProcAddress(module, #name)));                             \
  complete = complete && api.name != nullptr;
  MERVANTIS_GDIPLUS_FUNCTIONS(MERVANTIS_GDIPLUS_RESOLVE)
#undef MERVANTIS_GDIPLUS_RESOLVE
  if (!complete) FreeLibrary(module);
  return complete;
}

}  // namespace

const GdiplusApi* gdiplusApi() {
  static GdiplusApi api;
  static const bool loaded = loadApi(api);
  return loaded ? &api : nullptr;
}

bool startGdiplus() {
  static const bool started = [] {
    const GdiplusApi* api = gdiplusApi();
    if (api == nullptr) return false;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    return api->GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}

Gdiplus::GpImage* decodeImage(const void* bytes, size_t size) {
  const GdiplusApi* api = gdiplusApi();
  if (api == nullptr || !startGdiplus()) return nullptr;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return nullptr;
  if (void* target = GlobalLock(memory)) {
    memcpy(target, bytes, size);
    GlobalUnlock(memory);
  }
  IStream* stream = nullptr;
  // The stream frees the memory when it is released.
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return nullptr;
  }
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (api->GdipCreateBitmapFromStream(stream, &bitmap) != Gdiplus::Ok) bitmap = nullptr;
  stream->Release();
  return bitmap;
}
