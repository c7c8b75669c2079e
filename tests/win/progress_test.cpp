// The progress display's Windows parts: the memory stream, the two images as GDI+ decodes
// them, the progress bar on a canvas of its own (drawn from a worker thread, as the download
// draws it), the status line's further lines, and GDI+'s one start per process (run alone, in
// a process of its own, as GdiplusStart.*).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "assets/progress_images.h"
#include "platform/gdiplus_win.h"
#include "platform/runtime_win.h"
#include "platform/window_win.h"
#include "progress/memory_stream_win.h"
#include "progress/progress_bar_win.h"
#include "progress/status_line_win.h"
#include "tests/win/worker_helpers_win.h"

namespace {

constexpr int kBarWidth = 300, kBarHeight = 7;
constexpr int kStatusWidth = 320, kStatusHeight = 19;
constexpr COLORREF kPaleYellow = RGB(255, 255, 153);
constexpr COLORREF kWhite = RGB(255, 255, 255);

constexpr ControlDescription kControls[] = {
    {"bar", ControlKind::Canvas, 10, 10, kBarWidth, kBarHeight, true, 0, 0, 0, 0},
    {"shown", ControlKind::Canvas, 10, 30, kStatusWidth, kStatusHeight, true, 0, 0, 0, 0},
    {"back", ControlKind::Canvas, 10, 30, kStatusWidth, kStatusHeight, true, 0, 0, 0, 0},
};
const WindowDescription kDescription = {"progress test", 400, 80, false, kControls, 3};

Form* form = nullptr;
void created(Form& window) { form = &window; }

Form& testWindow() {
  if (form == nullptr) Form::open(kDescription, created);
  return *form;
}
Canvas& barCanvas() { return testWindow().control<Canvas>(0); }

// What the window shows, row by row, once it has painted what is pending.
std::vector<COLORREF> shownPixels(HWND window, int width, int height) {
  UpdateWindow(window);
  HDC windowDc = GetDC(window);
  HDC copyDc = CreateCompatibleDC(windowDc);
  HBITMAP copy = CreateCompatibleBitmap(windowDc, width, height);
  HGDIOBJ old = SelectObject(copyDc, copy);
  BitBlt(copyDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(copyDc, x, y));
  SelectObject(copyDc, old);
  DeleteObject(copy);
  DeleteDC(copyDc);
  ReleaseDC(window, windowDc);
  return pixels;
}

// An image decoded by GDI+ from a memory stream, the way the progress bar loads its images.
class DecodedImage {
 public:
  explicit DecodedImage(const ImageBytes& bytes) {
    if (!startGdiplus()) return;
    IStream* stream = stream_.createStream(bytes.data, bytes.size, true);
    if (stream != nullptr && Gdiplus::DllExports::GdipLoadImageFromStream(stream, &image_) != Gdiplus::Ok)
      image_ = nullptr;
  }
  ~DecodedImage() {
    if (image_ != nullptr) Gdiplus::DllExports::GdipDisposeImage(image_);
  }
  DecodedImage(const DecodedImage&) = delete;
  DecodedImage& operator=(const DecodedImage&) = delete;

  bool valid() const { return image_ != nullptr; }
  UINT width() const {
    UINT width = 0;
    Gdiplus::DllExports::GdipGetImageWidth(image_, &width);
    return width;
  }
  UINT height() const {
    UINT height = 0;
    Gdiplus::DllExports::GdipGetImageHeight(image_, &height);
    return height;
  }
  Gdiplus::PixelFormat format() const {
    Gdiplus::PixelFormat format = 0;
    Gdiplus::DllExports::GdipGetImagePixelFormat(image_, &format);
    return format;
  }
  COLORREF pixel(int x, int y) const {
    Gdiplus::ARGB argb = 0;
    Gdiplus::DllExports::GdipBitmapGetPixel(static_cast<Gdiplus::GpBitmap*>(image_), x, y, &argb);
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
  }

 private:
  MemoryStream stream_;
  Gdiplus::GpImage* image_ = nullptr;
};

std::vector<uint8_t> bytesOf(const char* text) {
  return std::vector<uint8_t>(text, text + strlen(text));
}

std::vector<uint8_t> readAll(IStream* stream) {
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  std::vector<uint8_t> bytes(64);
  ULONG read = 0;
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
  bytes.resize(read);
  return bytes;
}

// ---- MemoryStream -----------------------------------------------------------------------

TEST(MemoryStream, WithDataHoldsACopyOfTheBytesAndReadsThemBack) {
  MemoryStream memory;
  char bytes[] = "PNG bytes";
  IStream* stream = memory.createStream(bytes, 9, true);
  ASSERT_NE(stream, nullptr);
  bytes[0] = 'x';  // a copy: the caller's bytes may change afterwards
  EXPECT_EQ(memory.getStream(), stream);
  EXPECT_EQ(memory.memorySize(), 9u);
  EXPECT_EQ(memory.memoryBytes(), bytesOf("PNG bytes"));
  EXPECT_EQ(readAll(stream), bytesOf("PNG bytes"));

  // A second stream replaces the first, block and all.
  ASSERT_NE(memory.createStream("other", 5, true), nullptr);
  EXPECT_EQ(memory.memoryBytes(), bytesOf("other"));
  EXPECT_EQ(readAll(memory.getStream()), bytesOf("other"));

  // Forgotten by the object, the block stays as long as the stream that reads it.
  memory.releaseMemory();
  EXPECT_EQ(memory.memory(), nullptr);
  EXPECT_EQ(memory.memorySize(), 0u);
  EXPECT_TRUE(memory.memoryBytes().empty());
  EXPECT_EQ(readAll(memory.getStream()), bytesOf("other"));
}

TEST(MemoryStream, WithoutDataGrowsWithWhatIsWritten) {
  MemoryStream memory;
  IStream* stream = memory.createStream(nullptr, 0, false);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(memory.memorySize(), 0u);
  ULONG written = 0;
  ASSERT_EQ(stream->Write("written", 7, &written), S_OK);
  EXPECT_EQ(memory.memoryBytes(), bytesOf("written"));
  ASSERT_EQ(stream->Write(" more", 5, &written), S_OK);
  EXPECT_EQ(memory.memoryBytes(), bytesOf("written more"));
  EXPECT_EQ(memory.memorySize(), 12u);
}

TEST(MemoryStream, CopiesShareBlockAndStreamAndEachReleasesOnlyItsOwnShare) {
  for (bool copyGoesFirst : {true, false}) {
    SCOPED_TRACE(copyGoesFirst ? "copy destroyed first" : "original destroyed first");
    auto* original = new MemoryStream();
    ASSERT_NE(original->createStream("shared", 6, true), nullptr);
    MemoryStream* copy = original->copy();
    EXPECT_EQ(copy->getStream(), original->getStream());
    EXPECT_EQ(copy->memory(), original->memory());
    MemoryStream* first = copyGoesFirst ? copy : original;
    MemoryStream* last = copyGoesFirst ? original : copy;
    delete first;
    EXPECT_EQ(last->memoryBytes(), bytesOf("shared"));
    EXPECT_EQ(readAll(last->getStream()), bytesOf("shared"));
    delete last;
  }
}

TEST(MemoryStream, ABlockThatCannotBeHadLeavesNothing) {
  MemoryStream memory;
  ASSERT_NE(memory.createStream("kept", 4, true), nullptr);
  EXPECT_EQ(memory.createStream("", std::numeric_limits<size_t>::max() / 2, true), nullptr);
  EXPECT_EQ(memory.getStream(), nullptr);
  EXPECT_EQ(memory.memorySize(), 0u);
}

// ---- The images as GDI+ decodes them ----------------------------------------------------

TEST(ProgressImages, BothAre300By10RgbImages) {
  for (const ImageBytes* bytes : {&progressBackgroundImage, &progressFillImage}) {
    DecodedImage image(*bytes);
    ASSERT_TRUE(image.valid());
    EXPECT_EQ(image.width(), 300u);
    EXPECT_EQ(image.height(), 10u);
    EXPECT_EQ(image.format(), PixelFormat24bppRGB);
  }
}

TEST(ProgressImages, FillImageHasItsNineSamplePixels) {
  DecodedImage fill(progressFillImage);
  ASSERT_TRUE(fill.valid());
  struct Sample {
    int x, y;
    COLORREF colour;
  };
  const Sample samples[] = {
      {0, 0, RGB(25, 255, 251)}, {150, 0, RGB(241, 253, 239)}, {299, 0, RGB(245, 240, 33)},
      {0, 6, RGB(6, 149, 186)},  {150, 6, RGB(73, 149, 74)},   {299, 6, RGB(185, 150, 2)},
      {0, 9, RGB(15, 107, 155)}, {150, 9, RGB(24, 105, 27)},   {299, 9, RGB(119, 86, 17)},
  };
  for (const Sample& s : samples)
    EXPECT_EQ(fill.pixel(s.x, s.y), s.colour) << "at (" << s.x << ", " << s.y << ")";
}

TEST(ProgressImages, BackgroundImageIsPaleYellowEverywhere) {
  DecodedImage background(progressBackgroundImage);
  ASSERT_TRUE(background.valid());
  int others = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 300; ++x) others += background.pixel(x, y) != kPaleYellow;
  EXPECT_EQ(others, 0);
}

// ---- The progress bar -------------------------------------------------------------------

// The bar as it must look: the fill image's left `filled` columns, then background (the
// background image, or white where it could not be drawn).
std::vector<COLORREF> expectedBar(int filled, COLORREF background = kPaleYellow) {
  DecodedImage fill(progressFillImage);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < kBarHeight; ++y)
    for (int x = 0; x < kBarWidth; ++x) pixels.push_back(x < filled ? fill.pixel(x, y) : background);
  return pixels;
}

// The first column, row by row, where the shown bar differs from the expected one.
std::string firstDifference(const std::vector<COLORREF>& shown,
                            const std::vector<COLORREF>& expected) {
  for (size_t i = 0; i < shown.size(); ++i)
    if (shown[i] != expected[i])
      return "(" + std::to_string(i % kBarWidth) + ", " + std::to_string(i / kBarWidth) + ")";
  return "none";
}

std::vector<COLORREF> drawnBar(float value, float maximum,
                               const ImageBytes& fill = progressFillImage,
                               const ImageBytes& background = progressBackgroundImage) {
  Canvas& canvas = barCanvas();
  onWorker([&] { drawProgressBar(canvas, background, fill, value, maximum); });
  return shownPixels(canvas.handle(), kBarWidth, kBarHeight);
}

TEST(ProgressBar, ShowsAsMuchOfTheFillAsTheValueIsOfTheMaximum) {
  struct Case {
    float value, maximum;
    int filled;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float infinity = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {0, 100, 0},   {42, 100, 126},   {50, 100, 150},  {100, 100, 300}, {1, 3, 100},
      {99.5f, 100, 298},  // 298.5 columns: the half column is GDI+'s to blend, so skip it
      {150, 100, 300},     // beyond the maximum: the whole bar, not more
      {-5, 100, 0},  {50, 0, 0},       {nan, 100, 0},   {infinity, 100, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " of " << c.maximum);
    std::vector<COLORREF> shown = drawnBar(c.value, c.maximum);
    std::vector<COLORREF> expected = expectedBar(c.filled);
    if (c.value == 99.5f)
      for (int y = 0; y < kBarHeight; ++y) shown[y * kBarWidth + 298] = expected[y * kBarWidth + 298];
    EXPECT_EQ(firstDifference(shown, expected), "none");
  }
}

TEST(ProgressBar, StaysOnTheCanvasWhenTheWindowRepaints) {
  drawnBar(50, 100);
  HWND canvas = barCanvas().handle();
  ShowWindow(testWindow().handle(), SW_MINIMIZE);
  ShowWindow(testWindow().handle(), SW_RESTORE);
  InvalidateRect(canvas, nullptr, TRUE);
  EXPECT_EQ(firstDifference(shownPixels(canvas, kBarWidth, kBarHeight), expectedBar(150)), "none");
}

TEST(ProgressBar, AnImageThatCannotBeDecodedIsLeftOut) {
  const unsigned char garbage[] = "not a PNG at all";
  const ImageBytes broken = {garbage, sizeof(garbage)};
  // Without the fill, the background alone; without the background, the fill over white.
  EXPECT_EQ(firstDifference(drawnBar(50, 100, broken), expectedBar(0)), "none");
  EXPECT_EQ(firstDifference(drawnBar(50, 100, progressFillImage, broken), expectedBar(150, kWhite)),
            "none");
}

// ---- The status line --------------------------------------------------------------------

std::vector<COLORREF> statusLine(const std::string& text) {
  Canvas& shown = testWindow().control<Canvas>(1);
  Canvas& back = testWindow().control<Canvas>(2);
  onWorker([&] { showStatusOn(back, shown, 30, text); });
  return shownPixels(shown.handle(), kStatusWidth, kStatusHeight);
}

// The line height of the status line's font, as the system makes it.
int lineHeight() {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, "宋体");
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return metrics.tmHeight;
}

TEST(StatusLine, ALineBreakWritesTheRestOneLineFurtherDown) {
  const std::vector<COLORREF> first = statusLine("系统");
  const std::vector<COLORREF> second = statusLine("正在");
  const int height = lineHeight();
  ASSERT_GT(height, 0);
  const size_t firstLineEnd = std::min(height, kStatusHeight) * size_t{kStatusWidth};
  for (const char* broken : {"系统\r\n正在", "系统\n正在", "系统\r正在"}) {
    SCOPED_TRACE(broken);
    std::vector<COLORREF> shown = statusLine(broken);
    // The first line as it is alone; below it the second line's top, as far as it fits.
    std::vector<COLORREF> expected(first.begin(), first.begin() + firstLineEnd);
    expected.insert(expected.end(), second.begin(),
                    second.begin() + (shown.size() - firstLineEnd));
    EXPECT_TRUE(shown == expected);
  }
}

// ---- GDI+ is started once per process, by the first call: run alone ----------------------

std::atomic<int> startups{0};
decltype(GdiplusApi::GdiplusStartup) systemStartup = nullptr;

Gdiplus::Status WINAPI countedStartup(ULONG_PTR* token, const Gdiplus::GdiplusStartupInput* input,
                                      Gdiplus::GdiplusStartupOutput* output) {
  ++startups;
  return systemStartup(token, input, output);
}

TEST(GdiplusStart, TheFirstDrawingStartsGdiplusAndNoLaterOneStartsItAgain) {
  // The program's own table of GDI+ functions, with the start counted on its way through.
  auto* api = const_cast<GdiplusApi*>(gdiplusApi());
  ASSERT_NE(api, nullptr);
  systemStartup = api->GdiplusStartup;
  api->GdiplusStartup = countedStartup;
  Canvas& canvas = barCanvas();
  ASSERT_EQ(startups, 0) << "nothing may start GDI+ before the first drawing";
  onWorker([&] { drawProgressBar(canvas, progressBackgroundImage, progressFillImage, 100, 100); });
  EXPECT_EQ(startups, 1);
  EXPECT_EQ(firstDifference(shownPixels(canvas.handle(), kBarWidth, kBarHeight), expectedBar(300)),
            "none");
  onWorker([&] {
    for (float value : {10.0f, 20.0f, 30.0f})
      drawProgressBar(canvas, progressBackgroundImage, progressFillImage, value, 100);
  });
  EXPECT_EQ(firstDifference(shownPixels(canvas.handle(), kBarWidth, kBarHeight), expectedBar(90)),
            "none");
  EXPECT_EQ(startups, 1);
}

}  // namespace

// The run time belongs to the window thread, which is the test's main thread.
int main(int argc, char** argv) {
  initialiseRuntime();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
