#include "platform/qt/qt_window.h"

#include <QCloseEvent>
#include <QSizeGrip>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include "platform/dialogs.h"

namespace reelcatch {

namespace {

constexpr int kGripSize = 16;
constexpr int kSettleMs = 400;

}  // namespace

QtWindow::QtWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), grip_(new QSizeGrip(this)) {
  setWindowTitle(QString::fromLatin1(kProgramName));
  grip_->setObjectName(QStringLiteral("sizeGrip"));
  grip_->resize(kGripSize, kGripSize);
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, [this] {
    if (sizeSettled_ &&
        !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)))
      sizeSettled_(width(), height());
  });
  SetSize(kWidth, kHeight);
}

void QtWindow::SetSize(int width, int height) {
  setMinimumSize(width, height);
  resize(width, height);
}

void QtWindow::Resize(int width, int height) { resize(width, height); }

void QtWindow::PlaceGrip() {
  grip_->move(width() - grip_->width(), height() - grip_->height());
  grip_->raise();
}

void QtWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceGrip();
  if (resized_) resized_(size());
  settle_.start();
}

void QtWindow::Show() { show(); }

void QtWindow::Hide() { hide(); }

bool QtWindow::IsVisible() const { return isVisible(); }

void QtWindow::Minimize() { showMinimized(); }

bool QtWindow::IsMinimized() const { return isMinimized(); }

void QtWindow::BringToForeground() {
  raise();
  activateWindow();
}

void QtWindow::Restore() {
  if (!isVisible()) {
    // A window once minimised keeps asking the desktop to be mapped as an
    // icon, also after the desktop restored it, and Qt renews that request
    // only when it leaves the minimised state itself: so leave it, before
    // the window is shown again.
    setWindowState(windowState() | Qt::WindowMinimized);
    setWindowState(windowState() & ~Qt::WindowMinimized);
  }
  showNormal();
  raise();
  activateWindow();
}

void QtWindow::DragWindow() {
  if (QWindow* handle = windowHandle()) handle->startSystemMove();
}

void QtWindow::StartHook() { hook_.Start(); }

void QtWindow::StopHook() { hook_.Stop(); }

void QtWindow::Quit() {
  if (beforeQuit_) beforeQuit_();
  std::fflush(nullptr);
  // Nothing is left to save, and no further event may run: end here.
  std::_Exit(0);
}

void QtWindow::UseOrdinaryFrame() {
  bool wasVisible = isVisible();
  setWindowFlags(Qt::Window);
  if (wasVisible) show();
}

void QtWindow::closeEvent(QCloseEvent* event) {
  if (!closeHandler_) {
    event->accept();
    return;
  }
  event->ignore();
  closeHandler_();
}

}  // namespace reelcatch
