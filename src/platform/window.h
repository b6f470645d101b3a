#pragma once

#include <string>

namespace reelcatch {

// The main window as the program's operations see it.
class Window {
 public:
  virtual ~Window() = default;
  // The window's size, also its smallest: the user may make it larger.
  virtual void SetSize(int width, int height) = 0;
  // A size the user gave the window before, never below the smallest.
  virtual void Resize(int width, int height) {
    (void)width;
    (void)height;
  }
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool IsVisible() const = 0;
  virtual void Minimize() = 0;
  virtual bool IsMinimized() const = 0;
  virtual void BringToForeground() = 0;
  // Brings the window back from wherever it is (hidden, minimised, behind
  // other windows): shown at its normal size, in front, with the focus.
  virtual void Restore() = 0;
  // Lets the user move the window with the mouse, as by its caption.
  virtual void DragWindow() = 0;
  // Installs or removes the window's event filters.
  virtual void StartHook() = 0;
  virtual void StopHook() = 0;
  // Ends the process at once.
  [[noreturn]] virtual void Quit() = 0;
};

// The notification-area icon and its menu.
class Tray {
 public:
  virtual ~Tray() = default;
  virtual bool Available() const = 0;
  virtual void SetInTray(bool shown) = 0;
  virtual void SetTip(const std::string& tip) = 0;
  virtual void SetDownloadCaption(const std::string& caption) = 0;
  virtual std::string DownloadCaption() const = 0;
  virtual void SetMonitorChecked(bool checked) = 0;
  virtual bool MonitorChecked() const = 0;
  virtual void PopupMenu() = 0;
  // A passing message beside the icon; a click on it shows the window.
  virtual void ShowMessage(const std::string& title, const std::string& text) {
    (void)title;
    (void)text;
  }
};

// The clipboard as plain text.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual std::string Text() = 0;
};

}  // namespace reelcatch
