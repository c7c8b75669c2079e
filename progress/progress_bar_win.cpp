#include "progress/progress_bar_win.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/gdiplus_win.h"
#include "progress/memory_stream_win.h"
#include "progress/progress_bar.h"

namespace {

using Gdiplus::GpGraphics;
using Gdiplus::GpImage;

// The composed bitmap is larger than the canvas: only its top left 300 × 7 pixels are seen.
constexpr INT kBarWidth = 480;
constexpr INT kBarHeight = 11;
constexpr Gdiplus::ARGB kOpaqueWhite = 0xFFFFFFFF;

// A decoded image and the stream GDI+ decoded it from. Both stay until the process ends: GDI+
// may read the stream again whenever it draws the image, and it is never shut down.
struct DecodedImage {
  const unsigned char* data;
  size_t size;
  MemoryStream* stream;
  GpImage* image;
};

struct ImageSize {
  float width = 0, height = 0;
};

ImageSize sizeOf(GpImage* image) {
  ImageSize size;
  if (gdiplusApi()->GdipGetImageDimension(image, &size.width, &size.height) != Gdiplus::Ok)
    return {};
  return size;
}

// What updates can share without changing what they show: the decoded images, and the
// composed bitmap with its drawing surface, over pixels of our own laid out as a top-down
// 32-bit DIB. The bitmap is composed anew only when the bar it should hold changes, which
// during a download is once per percent, not once per chunk. Made on the first update and
// kept until the process ends; the lock keeps two updates from mixing.
class BarPainter {
 public:
  std::mutex lock;

  // The image of these bytes, decoded on first use; null when it cannot be decoded (tried
  // again on the next update).
  GpImage* image(const ImageBytes& bytes) {
    for (const DecodedImage& entry : decoded_)
      if (entry.data == bytes.data && entry.size == bytes.size) return entry.image;
    auto* stream = new MemoryStream();
    GpImage* image = nullptr;
    if (IStream* source = stream->createStream(bytes.data, bytes.size, true)) {
      if (gdiplusApi()->GdipLoadImageFromStream(source, &image) != Gdiplus::Ok) image = nullptr;
    }
    if (image == nullptr) {
      delete stream;
      return nullptr;
    }
    decoded_.push_back({bytes.data, bytes.size, stream, image});
    return image;
  }

  // Composes the bar as it is shown: white, the background at its own size, then the fill's
  // left part unscaled over it; nothing to do when the bitmap holds that bar already. False
  // when there is no bitmap to compose in.
  bool compose(GpImage* background, GpImage* fill, FillWidths widths) {
    if (!makeBitmap()) return false;
    Composed wanted = {background, fill, widths.destination, widths.source};
    if (composed_ && *composed_ == wanted) return true;
    const GdiplusApi& api = *gdiplusApi();
    api.GdipGraphicsClear(graphics_, kOpaqueWhite);
    if (background != nullptr) {
      ImageSize size = sizeOf(background);
      api.GdipDrawImageRect(graphics_, background, 0, 0, size.width, size.height);
    }
    if (fill != nullptr && widths.destination > 0) {
      float height = sizeOf(fill).height;
      api.GdipDrawImageRectRect(graphics_, fill, 0, 0, widths.destination, height, 0, 0,
                                widths.source, height, Gdiplus::UnitPixel, nullptr, nullptr,
                                nullptr);
    }
    // Everything drawn is in the pixels before anyone reads them.
    api.GdipFlush(graphics_, Gdiplus::FlushIntentionSync);
    composed_ = wanted;
    return true;
  }

  // The composed bitmap onto dc at (0, 0), pixel for pixel. It is opaque throughout, so this
  // plain copy shows what drawing it with GDI+ would.
  void copyTo(HDC dc) const {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kBarWidth;
    info.bmiHeader.biHeight = -kBarHeight;  // top-down, as GDI+ lays out its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(dc, 0, 0, kBarWidth, kBarHeight, 0, 0, kBarWidth, kBarHeight, pixels_.data(),
                  &info, DIB_RGB_COLORS, SRCCOPY);
  }

 private:
  bool makeBitmap() {
    if (graphics_ != nullptr) return true;
    const GdiplusApi& api = *gdiplusApi();
    pixels_.assign(kBarWidth * kBarHeight, 0);
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (api.GdipCreateBitmapFromScan0(kBarWidth, kBarHeight, kBarWidth * 4, PixelFormat32bppARGB,
                                      reinterpret_cast<BYTE*>(pixels_.data()), &bitmap) !=
        Gdiplus::Ok)
      return false;
    if (api.GdipGetImageGraphicsContext(bitmap, &graphics_) != Gdiplus::Ok) {
      graphics_ = nullptr;
      api.GdipDisposeImage(bitmap);
      return false;
    }
    bitmap_ = bitmap;
    return true;
  }

  struct Composed {
    GpImage* background;
    GpImage* fill;
    float destination, source;
    bool operator==(const Composed& other) const {
      return background == other.background && fill == other.fill &&
             destination == other.destination && source == other.source;
    }
  };

  std::vector<DecodedImage> decoded_;
  std::optional<Composed> composed_;  // what the pixels hold now
  std::vector<uint32_t> pixels_;  // the bitmap's pixels, 0xAARRGGBB, row by row from the top
  Gdiplus::GpBitmap* bitmap_ = nullptr;  // over pixels_
  GpGraphics* graphics_ = nullptr;
};

BarPainter& barPainter() {
  static auto* painter = new BarPainter();  // never freed: GDI+ is never shut down either
  return *painter;
}

}  // namespace

void drawProgressBar(Canvas& canvas, const ImageBytes& background, const ImageBytes& fill,
                     float value, float maximum) {
  if (!startGdiplus()) return;
  BarPainter& painter = barPainter();
  std::lock_guard<std::mutex> hold(painter.lock);
  GpImage* backgroundImage = painter.image(background);
  GpImage* fillImage = painter.image(fill);
  FillWidths widths = {0, 0};
  if (fillImage != nullptr) widths = progressFillWidths(sizeOf(fillImage).width, value, maximum);
  if (!painter.compose(backgroundImage, fillImage, widths)) return;
  canvas.draw([&](HDC dc) { painter.copyTo(dc); });
}
