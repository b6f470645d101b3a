#pragma once

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <functional>

#include "platform/window.h"

namespace reelcatch {

// What the tray icon and its menu report back to the program.
struct TrayHandlers {
  std::function<void(int button)> mouseDown;  // 1 left, 2 right
  std::function<void(int button)> mouseDblClick;
  std::function<void()> reelcatch;
  std::function<void()> download;
  std::function<void()> retryFailed;
  std::function<void()> monitor;
  std::function<void()> exit;
  std::function<void()> messageClicked;
};

// The notification-area icon with its menu. The menu is popped up by the
// program on a right press, not by the desktop, so its check mark is fresh.
class QtTray : public QObject, public Tray {
  Q_OBJECT

 public:
  explicit QtTray(const QIcon& icon, QObject* parent = nullptr);
  ~QtTray() override;

  void SetHandlers(TrayHandlers handlers) { handlers_ = std::move(handlers); }

  bool Available() const override;
  void SetInTray(bool shown) override;
  void SetTip(const std::string& tip) override;
  void SetDownloadCaption(const std::string& caption) override;
  std::string DownloadCaption() const override;
  void SetMonitorChecked(bool checked) override;
  bool MonitorChecked() const override;
  void PopupMenu() override;
  void ShowMessage(const std::string& title, const std::string& text) override;

  // The text of the last message shown beside the icon.
  const QString& LastMessage() const { return lastMessage_; }

  QMenu& Menu() { return menu_; }
  QSystemTrayIcon& Icon() { return icon_; }

 private:
  void BuildMenu();
  QAction* AddItem(const char* caption, std::function<void()> TrayHandlers::*handler);
  void OnActivated(QSystemTrayIcon::ActivationReason reason);

  QSystemTrayIcon icon_;
  QMenu menu_;
  QAction* download_ = nullptr;
  QAction* monitor_ = nullptr;
  TrayHandlers handlers_;
  QString lastMessage_;
};

}  // namespace reelcatch
