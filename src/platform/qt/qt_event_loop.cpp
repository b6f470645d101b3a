#include "platform/qt/qt_event_loop.h"

#include <QCoreApplication>
#include <algorithm>

namespace reelcatch {

QtEventLoop::QtEventLoop(std::chrono::microseconds slice)
    : slice_(slice), lastTurn_(Clock::now()) {}

void QtEventLoop::DoEvents() {
  auto now = Clock::now();
  auto gap = now - lastTurn_;
  if (gap < slice_) return;
  longestGap_ = std::max(longestGap_, gap);
  ++turns_;
  QCoreApplication::processEvents();
  lastTurn_ = Clock::now();
}

void QtEventLoop::ResetGaps() {
  lastTurn_ = Clock::now();
  longestGap_ = {};
  turns_ = 0;
}

}  // namespace reelcatch
