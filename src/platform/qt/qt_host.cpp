#include "platform/qt/qt_host.h"

#include <QIcon>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include "platform/qt/item_menu.h"
#include "platform/qt/qt_text.h"

namespace reelcatch {

namespace {

// The face is a still picture most of the time: the software renderer draws
// it everywhere, with or without a GPU, and lets the grid sit on top of it.
void ChooseFaceRenderer() {
  if (QQuickWindow::graphicsApi() == QSGRendererInterface::Software) return;
  if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") &&
      qEnvironmentVariableIsEmpty("QSG_RHI_BACKEND"))
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

}  // namespace

QtHost::QtHost(const std::string& iconPath)
    : window_((ChooseFaceRenderer(), std::make_unique<QtWindow>())),
      movie_(new QtMovie(window_.get())),
      grid_(new QtGrid(window_.get())),
      tray_(std::make_unique<QtTray>(QIcon(ToQString(iconPath)))),
      itemMenu_(new QMenu(window_.get())),
      addressMenu_(new QMenu(window_.get())),
      dialogs_(window_.get()) {
  QIcon icon(ToQString(iconPath));
  window_->setWindowIcon(icon);
  movie_->setGeometry(0, 0, QtWindow::kWidth, QtWindow::kHeight);
  movie_->SetLoadFailedHandler([this](const std::string& path) { OnFaceMissing(path); });
  window_->SetBeforeQuit([this] { tray_->Icon().hide(); });
  window_->Hook().SetFace(movie_);
  window_->Hook().SetGrid(grid_);
  window_->Hook().SetFaceMenuHandler([this](std::optional<QPoint> at) { ShowAddressMenu(at); });
  // Drops land on the window, whatever part of the face they fall on.
  movie_->setAcceptDrops(false);
  // The list takes its turn in the face's Tab order.
  movie_->SetGridFocusHandler([this] { grid_->View().setFocus(Qt::TabFocusReason); });
  grid_->View().Handlers().leave = [this](bool forward) { movie_->FocusBesideGrid(forward); };
  // The face fills the window; the grid takes what the window grew by.
  window_->SetResizedHandler([this](QSize size) {
    movie_->setGeometry(0, 0, size.width(), size.height());
    grid_->SetGrowth(size.width() - QtWindow::kWidth, size.height() - QtWindow::kHeight);
  });
}

QtHost::~QtHost() = default;

Ports QtHost::GetPorts() {
  return Ports{*movie_,  *grid_, dialogs_, timers_, shell_,
               network_, loop_,  *window_, *tray_,  clipboard_};
}

// Over the address box, or with the focus in it, its menu.
void QtHost::ShowAddressMenu(std::optional<QPoint> at) {
  QQuickItem* root = movie_->rootObject();
  auto* field = root ? root->findChild<QQuickItem*>(QStringLiteral("addressField")) : nullptr;
  if (!field || !field->isVisible()) return;
  QRectF box = field->mapRectToScene(field->boundingRect());
  if (at ? !box.contains(*at) : !field->hasActiveFocus()) return;
  FillEditMenu(*addressMenu_, field);
  addressMenu_->popup(movie_->mapToGlobal(at.value_or(box.bottomLeft().toPoint())));
}

// Without its face the window still works: an ordinary frame to move and
// close it by, the list, and a line that names the missing file.
void QtHost::OnFaceMissing(const std::string& path) {
  movie_->hide();
  window_->UseOrdinaryFrame();
  missingFace_ = new QLabel(window_.get());
  missingFace_->setText(QStringLiteral("The window's face is missing: %1").arg(ToQString(path)));
  missingFace_->setGeometry(40, 190, 575, 24);
  missingFace_->show();
  grid_->SetVisible(true);
  grid_->BringToFront();
}

}  // namespace reelcatch
