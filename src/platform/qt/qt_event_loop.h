#pragma once

#include <chrono>

#include "platform/event_loop.h"

namespace reelcatch {

// Runs Qt's pending events from inside long operations. Callers may ask very
// often, so a turn happens at most once per slice; the longest gap between
// two turns is kept to measure how alive the window stayed.
class QtEventLoop : public EventLoop {
 public:
  using Clock = std::chrono::steady_clock;

  explicit QtEventLoop(std::chrono::microseconds slice = std::chrono::milliseconds(4));
  void DoEvents() override;

  Clock::duration LongestGap() const { return longestGap_; }
  int Turns() const { return turns_; }
  // Starts a new measurement: the next turn counts from now.
  void ResetGaps();

 private:
  std::chrono::microseconds slice_;
  Clock::time_point lastTurn_;
  Clock::duration longestGap_{};
  int turns_ = 0;
};

}  // namespace reelcatch
