#include "platform/qt/window_hook.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QQuickWidget>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include "platform/qt/qt_grid.h"

namespace reelcatch {

namespace {

// What the face must not see: a right-button press (a double-click is a
// second press) and the menu key.
bool IsSwallowedByFace(const QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      return static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton;
    case QEvent::KeyPress:
      return static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Menu;
    default:
      return false;
  }
}

}  // namespace

WindowHook::WindowHook(QWidget* window) : window_(window) {}

WindowHook::~WindowHook() { Stop(); }

void WindowHook::SetFace(QQuickWidget* face) { face_ = face; }

void WindowHook::SetGrid(QtGrid* grid) { grid_ = grid; }

void WindowHook::Start() {
  if (started_) return;
  QCoreApplication::instance()->installEventFilter(this);
  started_ = true;
}

void WindowHook::Stop() {
  if (!started_) return;
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
  started_ = false;
}

bool WindowHook::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    // Seen once per turn where the desktop delivers it, before the window
    // hands it on to the widget under the mouse.
    if (watched == window_->windowHandle()) return OnWheel(event);
    return false;
  }
  // The face's content window is never shown by the desktop: all of its
  // input comes through the face widget.
  if (!face_ || watched != face_.data() || !IsSwallowedByFace(event)) return false;
  // The program offers its own menu in the face's place, once per press.
  if (faceMenuHandler_ && event->type() == QEvent::MouseButtonPress)
    faceMenuHandler_(static_cast<QMouseEvent*>(event)->position().toPoint());
  if (faceMenuHandler_ && event->type() == QEvent::KeyPress) faceMenuHandler_(std::nullopt);
  return true;
}

bool WindowHook::OnWheel(QEvent* event) {
  // An open menu takes the wheel for itself.
  if (QApplication::activePopupWidget()) return false;
  auto* wheel = static_cast<QWheelEvent*>(event);
  int delta = wheel->angleDelta().y();
  // A sideways turn, or the end of a touchpad's scroll, moves no row.
  if (delta != 0 && grid_ && grid_->HasFocus() && wheelHandler_) wheelHandler_(delta);
  // The grid scrolls by the wheel only through the handler: its own wheel
  // handling would add rows to the one above, or scroll it without the focus.
  return IsOverGrid(wheel->position().toPoint());
}

bool WindowHook::IsOverGrid(QPoint position) const {
  if (!grid_) return false;
  QWidget* frame = &grid_->Frame();
  QWidget* under = window_->childAt(position);
  return under && (under == frame || frame->isAncestorOf(under));
}

}  // namespace reelcatch
