#include "platform/qt/qt_event_loop.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <utility>

namespace reelcatch {

QtEventLoop::QtEventLoop(std::chrono::microseconds slice, std::chrono::microseconds paintInterval)
    : slice_(slice), paintInterval_(paintInterval), lastTurn_(Clock::now()) {
  paintTimer_.setSingleShot(true);
  paintTimer_.setTimerType(Qt::PreciseTimer);
  connect(&paintTimer_, &QTimer::timeout, this, &QtEventLoop::PaintHeld);
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

QtEventLoop::~QtEventLoop() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
  // Whatever waited is painted by the ordinary loop.
  PaintHeld();
}

void QtEventLoop::DoEvents() {
  auto now = Clock::now();
  auto gap = now - lastTurn_;
  if (gap < slice_) return;
  longestGap_ = std::max(longestGap_, gap);
  ++turns_;
  bool outer = std::exchange(inTurn_, true);
  QCoreApplication::processEvents();
  inTurn_ = outer;
  lastTurn_ = Clock::now();
}

void QtEventLoop::ResetGaps() {
  lastTurn_ = Clock::now();
  longestGap_ = {};
  turns_ = 0;
}

// A window asks to be repainted with an UpdateRequest; one that comes too
// soon after the last repaint is held and posted again once the interval has
// passed, exactly as the window would have posted it.
bool QtEventLoop::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::UpdateRequest || !watched->isWidgetType()) return false;
  auto now = Clock::now();
  if (!inTurn_ || now - lastPaint_ >= paintInterval_) {
    lastPaint_ = now;
    return false;
  }
  auto* widget = static_cast<QWidget*>(watched);
  if (std::find(held_.begin(), held_.end(), widget) == held_.end()) held_.emplace_back(widget);
  if (!paintTimer_.isActive()) {
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(lastPaint_ + paintInterval_ - now);
    paintTimer_.start(std::max<std::chrono::milliseconds::rep>(wait.count(), 1));
  }
  return true;
}

void QtEventLoop::PaintHeld() {
  paintTimer_.stop();
  std::vector<QPointer<QWidget>> held;
  held.swap(held_);
  for (const QPointer<QWidget>& widget : held) {
    if (widget)
      QCoreApplication::postEvent(widget, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
  }
}

}  // namespace reelcatch
