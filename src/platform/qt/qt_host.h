#pragma once

#include <QLabel>
#include <QMenu>
#include <memory>
#include <string>

#include "platform/network.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_grid.h"
#include "platform/qt/qt_movie.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_timers.h"
#include "platform/qt/qt_tray.h"
#include "platform/qt/qt_window.h"
#include "shell/ports.h"

namespace reelcatch {

// The desktop host: owns the main window with its face and grid, the tray
// icon and the other desktop services, and hands them to the program as
// its ports. Needs a QApplication.
class QtHost {
 public:
  // iconPath: the program's icon; a missing file gives an empty icon.
  explicit QtHost(const std::string& iconPath = {});
  ~QtHost();
  QtHost(const QtHost&) = delete;
  QtHost& operator=(const QtHost&) = delete;

  Ports GetPorts();

  QtWindow& MainWindow() { return *window_; }
  QtMovie& Face() { return *movie_; }
  QtGrid& DownloadGrid() { return *grid_; }
  QtTray& SysTray() { return *tray_; }
  QtEventLoop& Loop() { return loop_; }
  // The download list's menu (filled by whoever pops it up) and the address box's.
  QMenu& ItemMenu() { return *itemMenu_; }
  QMenu& AddressMenu() { return *addressMenu_; }
  // The line shown in place of a face that could not be loaded.
  const QLabel* MissingFaceLine() const { return missingFace_; }

 private:
  void OnFaceMissing(const std::string& path);
  void ShowAddressMenu(std::optional<QPoint> at);

  std::unique_ptr<QtWindow> window_;
  QtMovie* movie_;
  QtGrid* grid_;
  QLabel* missingFace_ = nullptr;
  std::unique_ptr<QtTray> tray_;
  QMenu* itemMenu_;
  QMenu* addressMenu_;
  QtDialogs dialogs_;
  QtTimerFactory timers_;
  QtShell shell_;
  SystemNetwork network_;
  QtEventLoop loop_;
  QtClipboard clipboard_;
};

}  // namespace reelcatch
