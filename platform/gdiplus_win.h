// GDI+ is loaded from the system folder at run time rather than imported, so a system whose
// GDI+ is missing or broken still starts the program, which then knows it cannot draw images.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstddef>

#include "platform/scoped_handles_win.h"

#define MERVANTIS_GDIPLUS_FUNCTIONS(X)            \
  X(Gdiplus::, GdiplusStartup)                    \
  X(Gdiplus::DllExports::, GdipCreateBitmapFromStream) \
  X(Gdiplus::DllExports::, GdipGetImageWidth)     \
  X(Gdiplus::DllExports::, GdipDisposeImage)     \
  /* the progress bar */                          \
  X(Gdiplus::DllExports::, GdipLoadImageFromStream) \
  X(Gdiplus::DllExports::, GdipGetImageDimension) \
  X(Gdiplus::DllExports::, GdipCreateBitmapFromScan0) \
  X(Gdiplus::DllExports::, GdipGetImageGraphicsContext) \
  X(Gdiplus::DllExports::, GdipGraphicsClear)     \
  X(Gdiplus::DllExports::, GdipDrawImageRect)     \
  X(Gdiplus::DllExports::, GdipDrawImageRectRect) \
  X(Gdiplus::DllExports::, GdipFlush)             \
  /* the movie player: frames, their delays, drawing */ \
  X(Gdiplus::DllExports::, GdipImageGetFrameCount) \
  X(Gdiplus::DllExports::, GdipImageSelectActiveFrame) \
  X(Gdiplus::DllExports::, GdipGetPropertyItemSize) \
  X(Gdiplus::DllExports::, GdipGetPropertyItem)   \
  X(Gdiplus::DllExports::, GdipGetImageHeight)    \
  X(Gdiplus::DllExports::, GdipCreateFromHDC)     \
  X(Gdiplus::DllExports::, GdipDrawImageRectI)    \
  X(Gdiplus::DllExports::, GdipDeleteGraphics)

struct GdiplusApi {
#define MERVANTIS_GDIPLUS_MEMBER(scope, name) decltype(&scope name) name;
  MERVANTIS_GDIPLUS_FUNCTIONS(MERVANTIS_GDIPLUS_MEMBER)
#undef MERVANTIS_GDIPLUS_MEMBER
};

// The library's functions, loaded on the first call (window thread); null when the library or
// any function is missing. The library stays loaded until the process ends.
const GdiplusApi* gdiplusApi();

// Starts GDI+ once per process and keeps it running (it is never shut down). False when GDI+
// is missing or refuses to start.
bool startGdiplus();

// Decodes an image held in memory; null on failure. The caller disposes of the image.
Gdiplus::GpImage* decodeImage(const void* bytes, size_t size);

// The movie player's GDI+ objects, each released through the loaded library.
struct GdiplusImageTraits {
  using Handle = Gdiplus::GpImage*;
  static Handle empty() { return nullptr; }
  static void close(Handle image) { gdiplusApi()->GdipDisposeImage(image); }
};
using ScopedGdiplusImage = ScopedHandle<GdiplusImageTraits>;

struct GdiplusGraphicsTraits {
  using Handle = Gdiplus::GpGraphics*;
  static Handle empty() { return nullptr; }
  static void close(Handle graphics) { gdiplusApi()->GdipDeleteGraphics(graphics); }
};
using ScopedGdiplusGraphics = ScopedHandle<GdiplusGraphicsTraits>;
