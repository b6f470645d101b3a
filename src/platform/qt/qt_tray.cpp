#include "platform/qt/qt_tray.h"

#include <QCursor>

#include "platform/dialogs.h"
#include "platform/qt/qt_text.h"

namespace reelcatch {

QtTray::QtTray(const QIcon& icon, QObject* parent) : QObject(parent), icon_(icon) {
  icon_.setToolTip(QString::fromLatin1(kProgramName));
  BuildMenu();
  connect(&icon_, &QSystemTrayIcon::activated, this, &QtTray::OnActivated);
  connect(&icon_, &QSystemTrayIcon::messageClicked, this, [this] {
    if (handlers_.messageClicked) handlers_.messageClicked();
  });
}

QtTray::~QtTray() { icon_.hide(); }

void QtTray::BuildMenu() {
  menu_.setTitle(QStringLiteral("Menu"));
  AddItem("Reelcatch", &TrayHandlers::reelcatch);
  menu_.addSeparator();
  download_ = AddItem("Start Downloading", &TrayHandlers::download);
  AddItem("Retry failed", &TrayHandlers::retryFailed);
  menu_.addSeparator();
  monitor_ = AddItem("Monitor Video URL's in Clipboard", &TrayHandlers::monitor);
  monitor_->setCheckable(true);
  menu_.addSeparator();
  // Help and About have nothing behind them; shown greyed so the menu reads as usual.
  menu_.addAction(QStringLiteral("Help"))->setEnabled(false);
  menu_.addAction(QStringLiteral("About"))->setEnabled(false);
  menu_.addSeparator();
  AddItem("Exit Reelcatch", &TrayHandlers::exit);
}

QAction* QtTray::AddItem(const char* caption, std::function<void()> TrayHandlers::*handler) {
  QAction* action = menu_.addAction(QString::fromLatin1(caption));
  connect(action, &QAction::triggered, this, [this, action, handler](bool checked) {
    // A click flips a checkable item's mark by itself, but the handler acts
    // on the mark the menu showed, and the program sets the mark.
    if (action->isCheckable()) action->setChecked(!checked);
    if (handlers_.*handler) (handlers_.*handler)();
  });
  return action;
}

void QtTray::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Context:
      if (handlers_.mouseDown) handlers_.mouseDown(2);
      break;
    case QSystemTrayIcon::Trigger:
      if (handlers_.mouseDown) handlers_.mouseDown(1);
      break;
    case QSystemTrayIcon::DoubleClick:
      if (handlers_.mouseDblClick) handlers_.mouseDblClick(1);
      break;
    default:
      break;
  }
}

bool QtTray::Available() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void QtTray::SetInTray(bool shown) { icon_.setVisible(shown); }

void QtTray::SetTip(const std::string& tip) { icon_.setToolTip(ToQString(tip)); }

void QtTray::SetDownloadCaption(const std::string& caption) {
  download_->setText(ToQString(caption));
}

std::string QtTray::DownloadCaption() const { return ToStdString(download_->text()); }

void QtTray::SetMonitorChecked(bool checked) { monitor_->setChecked(checked); }

bool QtTray::MonitorChecked() const { return monitor_->isChecked(); }

void QtTray::PopupMenu() { menu_.popup(QCursor::pos()); }

void QtTray::ShowMessage(const std::string& title, const std::string& text) {
  lastMessage_ = ToQString(text);
  icon_.showMessage(ToQString(title), lastMessage_, icon_.icon());
}

}  // namespace reelcatch
