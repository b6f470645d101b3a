#pragma once

#include <QTimer>
#include <functional>
#include <memory>

#include "platform/timers.h"

namespace reelcatch {

// A window timer over QTimer: ticks from the event loop while enabled.
class QtTimer : public Timer {
 public:
  explicit QtTimer(std::function<void()> onTick);
  void SetInterval(int milliseconds) override;
  int Interval() const override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override;

 private:
  QTimer timer_;
  std::function<void()> onTick_;
};

class QtTimerFactory : public TimerFactory {
 public:
  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override;
};

}  // namespace reelcatch
