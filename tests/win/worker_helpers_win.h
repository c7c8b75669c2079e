// Running test work on a worker thread, as the download and extraction workers run theirs,
// while the test's main thread, the window thread, keeps its messages flowing.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

#include "platform/runtime_win.h"

// Runs work on a new thread and returns once it has ended and its messages are handled.
inline void onWorker(const std::function<void()>& work) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    work();
    done = true;
  });
  while (!done) {
    processPendingEvents();
    Sleep(1);
  }
  worker.join();
  processPendingEvents();
}
