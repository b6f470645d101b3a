#pragma once

#include <functional>
#include <memory>

namespace reelcatch {

// A window timer: while enabled it calls its handler every interval, from
// the event loop.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetInterval(int milliseconds) = 0;
  virtual int Interval() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
};

class TimerFactory {
 public:
  virtual ~TimerFactory() = default;
  // The timer starts disabled.
  virtual std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) = 0;
};

}  // namespace reelcatch
