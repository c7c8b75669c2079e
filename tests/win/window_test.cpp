// The window's controls used from worker threads, as the download and extraction workers use
// them: canvas drawing, property writes, the relay label's feedback and the ZIP control's
// events.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/runtime_win.h"
#include "platform/window_win.h"
#include "tests/win/worker_helpers_win.h"

namespace {

constexpr ControlDescription kControls[] = {
    {"front", ControlKind::Canvas, 10, 10, 40, 20, true, 0, 0, 0, 0},
    {"back", ControlKind::Canvas, 10, 10, 40, 20, true, 0, 0, 0, 0},
    {"relay", ControlKind::Label, 0, 0, 10, 10, false, 0, 0, 0, 0},
    {"zip", ControlKind::ZipControl, 0, 0, 10, 10, false, 0, 0, 0, 0},
};
const WindowDescription kDescription = {"window test", 200, 100, false, kControls, 4};

Form* form = nullptr;
void created(Form& window) { form = &window; }

Form& testWindow() {
  if (form == nullptr) Form::open(kDescription, created);
  return *form;
}

void fill(Canvas& canvas, COLORREF colour) {
  canvas.draw([&](HDC dc) {
    RECT all = {0, 0, 40, 20};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  });
}

COLORREF shownPixel(HWND window, int x, int y) {
  UpdateWindow(window);
  HDC dc = GetDC(window);
  COLORREF pixel = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return pixel;
}

TEST(WindowFromWorkers, CanvasDrawnAndCopiedOnWorkersShowsTheLastImage) {
  Form& window = testWindow();
  auto& front = window.control<Canvas>(0);
  auto& back = window.control<Canvas>(1);
  const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 136, 255), RGB(0, 160, 0)};
  onWorker([&] {
    // Many updates from several threads at once must neither tear nor deadlock.
    std::vector<std::thread> painters;
    for (int t = 0; t < 4; ++t) {
      painters.emplace_back([&, t] {
        for (int i = 0; i < 200; ++i) {
          fill(back, colours[(t + i) % 3]);
          front.copyFrom(back);
        }
      });
    }
    for (std::thread& painter : painters) painter.join();
  });
  // Each copy must reach the screen without anything else asking for a repaint.
  for (COLORREF last : {colours[0], colours[1]}) {
    onWorker([&] {
      fill(back, last);
      front.copyFrom(back);
    });
    EXPECT_EQ(shownPixel(front.handle(), 0, 0), last);
    EXPECT_EQ(shownPixel(front.handle(), 39, 19), last);
  }
}

TEST(WindowFromWorkers, PropertyWritesFromAWorkerTakeEffectInOrder) {
  Form& window = testWindow();
  auto& front = window.control<Canvas>(0);
  std::vector<bool> seen;
  onWorker([&] {
    front.setVisible(false);
    seen.push_back(front.visible());
    front.setWidth(50000);
    front.setVisible(true);
    seen.push_back(front.visible());
  });
  EXPECT_EQ(seen, (std::vector<bool>{false, true}));
  EXPECT_EQ(front.width(), 32627) << "widths are clamped";
  front.setWidth(40);
}

int32_t feedbackThread = 0;
int32_t recordFeedback(int32_t first, int32_t second) {
  feedbackThread = static_cast<int32_t>(GetCurrentThreadId());
  return first * 10 + second;
}

TEST(WindowFromWorkers, FeedbackRunsOnTheWindowThreadWhileTheWorkerWaits) {
  Form& window = testWindow();
  auto& relay = window.control<RelayLabel>(2);
  relay.setFeedbackHandler(recordFeedback);
  int32_t result = 0;
  DWORD workerThread = 0;
  onWorker([&] {
    workerThread = GetCurrentThreadId();
    result = relay.fireFeedback(1, 2);
  });
  EXPECT_EQ(result, 12);
  EXPECT_EQ(feedbackThread, static_cast<int32_t>(GetCurrentThreadId()));
  EXPECT_NE(static_cast<DWORD>(feedbackThread), workerThread);
}

std::vector<std::pair<DWORD, int32_t>> zipEvents;
void recordZipEvent(int32_t argument) { zipEvents.push_back({GetCurrentThreadId(), argument}); }

TEST(WindowFromWorkers, ZipEventsRunOnTheRaisingThreadOnlyForTheirOwnHandler) {
  Form& window = testWindow();
  auto& zip = window.control<ZipControl>(3);
  zip.setEventHandler(1, recordZipEvent);
  zipEvents.clear();
  DWORD workerThread = 0;
  onWorker([&] {
    workerThread = GetCurrentThreadId();
    zip.raiseEvent(1, 50);
    zip.raiseEvent(0, 7);  // no handler: nothing happens
    zip.raiseEvent(1, 100);
  });
  EXPECT_EQ(zipEvents, (std::vector<std::pair<DWORD, int32_t>>{{workerThread, 50},
                                                              {workerThread, 100}}));
}

}  // namespace

// The run time belongs to the window thread, which is the test's main thread.
int main(int argc, char** argv) {
  initialiseRuntime();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
