#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <vector>

#include "platform/event_loop.h"

namespace reelcatch {

// Runs Qt's pending events from inside long operations. Callers may ask very
// often, so a turn happens at most once per slice; the longest gap between
// two turns is kept to measure how alive the window stayed.
//
// Within those turns the windows repaint no more often than once per paint
// interval: a turn comes every few milliseconds, and repainting the grid at
// each would take a long operation's time for frames no screen shows.
class QtEventLoop : public QObject, public EventLoop {
  Q_OBJECT

 public:
  using Clock = std::chrono::steady_clock;

  explicit QtEventLoop(std::chrono::microseconds slice = std::chrono::milliseconds(4),
                       std::chrono::microseconds paintInterval = std::chrono::milliseconds(16));
  ~QtEventLoop() override;
  void DoEvents() override;

  Clock::duration LongestGap() const { return longestGap_; }
  int Turns() const { return turns_; }
  // Starts a new measurement: the next turn counts from now.
  void ResetGaps();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PaintHeld();

  std::chrono::microseconds slice_;
  std::chrono::microseconds paintInterval_;
  Clock::time_point lastTurn_;
  Clock::duration longestGap_{};
  int turns_ = 0;
  bool inTurn_ = false;
  Clock::time_point lastPaint_{};
  // Windows whose repaint waits for the paint interval to pass.
  std::vector<QPointer<QWidget>> held_;
  QTimer paintTimer_;
};

}  // namespace reelcatch
