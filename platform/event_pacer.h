// Lets a thread's pending window events run while it works through many small steps, but at
// most every 10 ms: each look at the queue is a round trip to the window system (a call into
// the server process under Wine), which after every step would cost more than the step itself.
#pragma once

#include <chrono>

class EventPacer {
 public:
  explicit EventPacer(void (*letEventsRun)()) : letEventsRun_(letEventsRun) {}

  // After one step; the first call always lets the events run.
  void afterStep() {
    const auto now = std::chrono::steady_clock::now();
    if (started_ && now - last_ < std::chrono::milliseconds(10)) return;
    letEventsRun_();
    started_ = true;
    last_ = now;
  }

 private:
  void (*letEventsRun_)();
  bool started_ = false;
  std::chrono::steady_clock::time_point last_;
};
