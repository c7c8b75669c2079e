// What one update of the progress display costs the download worker, next to what one
// 10240-byte chunk of the download costs it: the real main window, the real status line and
// progress bar, and WinINet reading from the loopback server at URL.
//   progress_bench URL
// Prints microseconds per call and each against one read, then ends the program.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/progress_images.h"
#include "platform/gdiplus_win.h"
#include "platform/runtime_win.h"
#include "platform/text.h"
#include "progress/memory_stream_win.h"
#include "progress/progress_bar_win.h"
#include "progress/status_line_win.h"
#include "shell/main_window.h"
#include "shell/startup.h"

namespace {

constexpr int kBatches = 21;
constexpr int kBatch = 100;
constexpr DWORD kChunkSize = 10240;

std::string url;

double now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The median of the batches' means: the machine is shared, and a batch that another process
// interrupted says nothing about the code.
double medianOf(std::vector<double> batches) {
  std::sort(batches.begin(), batches.end());
  return batches.empty() ? -1 : batches[batches.size() / 2];
}

// Microseconds per call of step(i), over kBatches batches of kBatch calls after a few
// unmeasured ones.
template <typename Step>
double microsecondsPer(Step&& step) {
  for (int i = 0; i < 20; ++i) step(i);
  std::vector<double> batches;
  for (int batch = 0, i = 0; batch < kBatches; ++batch) {
    double start = now();
    for (int call = 0; call < kBatch; ++call) step(i++);
    batches.push_back((now() - start) * 1e6 / kBatch);
  }
  return medianOf(batches);
}

// A new percentage on every call, or the same one again: in a download most chunks leave the
// percentage as it was.
double drawProgressBarCost(bool changing) {
  return microsecondsPer([changing](int i) {
    drawProgressBar(progressCanvas(), progressBackgroundImage, progressFillImage,
                    changing ? static_cast<float>(i % 101) : 42.0f, 100.0f);
  });
}

double showStatusCost(bool changing) {
  return microsecondsPer([changing](int i) {
    showStatus(30, fillText("系统正在为您高速下载%s,请稍后......",
                            {std::to_string(changing ? i % 101 : 42) + "%"}));
  });
}

// Decoding both images, which each call would repeat if they were not kept decoded.
double decodingCost() {
  return microsecondsPer([](int) {
    for (const ImageBytes* image : {&progressBackgroundImage, &progressFillImage}) {
      MemoryStream memory;
      Gdiplus::GpImage* decoded = nullptr;
      if (IStream* stream = memory.createStream(image->data, image->size, true))
        gdiplusApi()->GdipLoadImageFromStream(stream, &decoded);
      if (decoded != nullptr) gdiplusApi()->GdipDisposeImage(decoded);
    }
  });
}

// One InternetReadFile of a 10240-byte chunk, over the whole file again and again; only the
// reads are timed. Negative when the server cannot be read.
double readChunkCost() {
  HINTERNET internet = InternetOpenA("Mervantis bench", INTERNET_OPEN_TYPE_DIRECT, nullptr,
                                     nullptr, 0);
  if (internet == nullptr) return -1;
  std::vector<char> chunk(kChunkSize);
  std::vector<double> batches;
  double reading = 0;
  int reads = 0;
  while (batches.size() < kBatches) {
    HINTERNET file = InternetOpenUrlA(internet, url.c_str(), nullptr, 0,
                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (file == nullptr) break;
    for (;;) {
      DWORD got = 0;
      double start = now();
      BOOL read = InternetReadFile(file, chunk.data(), kChunkSize, &got);
      double end = now();
      if (!read || got == 0) break;
      reading += end - start;
      if (++reads < kBatch) continue;
      batches.push_back(reading * 1e6 / reads);
      reading = 0;
      reads = 0;
      if (batches.size() == kBatches) break;
    }
    InternetCloseHandle(file);
  }
  InternetCloseHandle(internet);
  return batches.size() == kBatches ? medianOf(batches) : -1;
}

void printCost(const char* what, double cost, double read) {
  printf("  %-44s %8.1f us   %6.2f x one read\n", what, cost, cost / read);
}

DWORD WINAPI measure(void*) {
  double barChanging = drawProgressBarCost(true);
  double barSame = drawProgressBarCost(false);
  double statusChanging = showStatusCost(true);
  double statusSame = showStatusCost(false);
  double decoding = decodingCost();
  double read = readChunkCost();
  if (read <= 0) {
    printf("  InternetReadFile: the loopback server could not be read\n");
    fflush(stdout);
    endProgram(1);
  }
  printf("  %-44s %8.1f us\n", "InternetReadFile of 10240 bytes (loopback)", read);
  printCost("drawProgressBar, a new percentage", barChanging, read);
  printCost("drawProgressBar, the same percentage again", barSame, read);
  printCost("showStatus, a new percentage", statusChanging, read);
  printCost("showStatus, the same percentage again", statusSame, read);
  printCost("one chunk's update of both, same percentage", barSame + statusSame, read);
  printCost("decoding both images (kept decoded instead)", decoding, read);
  fflush(stdout);
  endProgram(0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  url = argv[1];
  initialiseRuntime();
  openProgram();
  // On a worker, as the download draws: the window thread keeps painting meanwhile.
  CreateThread(nullptr, 0, measure, nullptr, 0, nullptr);
  runMessageLoop();
  return 0;
}
