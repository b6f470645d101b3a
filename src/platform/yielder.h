#pragma once

#include <chrono>

#include "platform/event_loop.h"

namespace reelcatch {

// Calls DoEvents at most once per slice of work time, however often it is
// asked to, so tight loops stay fast and the window still gets its turns.
class Yielder {
 public:
  explicit Yielder(EventLoop& loop, std::chrono::microseconds slice = std::chrono::milliseconds(4))
      : loop_(loop), slice_(slice), last_(Clock::now()) {}

  void Yield() {
    if (++calls_ % kCallsPerClockRead != 0) return;
    auto now = Clock::now();
    if (now - last_ < slice_) return;
    loop_.DoEvents();
    last_ = Clock::now();
  }

  // Yields now, whatever the time since the last yield.
  void YieldNow() {
    loop_.DoEvents();
    last_ = Clock::now();
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr unsigned kCallsPerClockRead = 16;

  EventLoop& loop_;
  std::chrono::microseconds slice_;
  Clock::time_point last_;
  unsigned calls_ = 0;
};

}  // namespace reelcatch
