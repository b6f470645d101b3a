#include "platform/qt/qt_timers.h"

namespace reelcatch {

QtTimer::QtTimer(std::function<void()> onTick) : onTick_(std::move(onTick)) {
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (onTick_) onTick_();
  });
}

void QtTimer::SetInterval(int milliseconds) { timer_.setInterval(milliseconds); }

int QtTimer::Interval() const { return timer_.interval(); }

void QtTimer::SetEnabled(bool enabled) {
  // Enabling a running timer must not restart its count.
  if (enabled && !timer_.isActive()) timer_.start();
  if (!enabled) timer_.stop();
}

bool QtTimer::Enabled() const { return timer_.isActive(); }

std::unique_ptr<Timer> QtTimerFactory::CreateTimer(std::function<void()> onTick) {
  return std::make_unique<QtTimer>(std::move(onTick));
}

}  // namespace reelcatch
