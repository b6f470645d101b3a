#include "platform/qt/qt_window.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QSizeGrip>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include "platform/dialogs.h"
#include "platform/qt/qt_text.h"

namespace reelcatch {

namespace {

constexpr int kGripSize = 16;
constexpr int kSettleMs = 400;

// The links a drop carries: the lines of a text/uri-list but its comments,
// else the lines of its text.
std::vector<std::string> DroppedLinks(const QMimeData& data) {
  const QString uriList = QStringLiteral("text/uri-list");
  bool isUriList = data.hasFormat(uriList);
  QString text = isUriList ? QString::fromUtf8(data.data(uriList)) : data.text();
  std::vector<std::string> links;
  for (const QString& line : text.split(QRegularExpression(QStringLiteral("[\\r\\n]+")))) {
    QString link = line.trimmed();
    if (!link.isEmpty() && !(isUriList && link.startsWith('#'))) links.push_back(ToStdString(link));
  }
  return links;
}

bool CarriesLinks(const QMimeData* data) {
  return data && (data->hasFormat(QStringLiteral("text/uri-list")) || data->hasText());
}

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
  setAcceptDrops(true);
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

void QtWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (CarriesLinks(event->mimeData())) event->acceptProposedAction();
}

void QtWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (CarriesLinks(event->mimeData())) event->acceptProposedAction();
}

void QtWindow::dropEvent(QDropEvent* event) {
  if (!CarriesLinks(event->mimeData())) return;
  event->acceptProposedAction();
  std::vector<std::string> links = DroppedLinks(*event->mimeData());
  // After the drop has ended: adding may ask the user something.
  if (dropHandler_ && !links.empty())
    QTimer::singleShot(0, this, [this, links] { dropHandler_(links); });
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
