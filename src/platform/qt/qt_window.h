#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/qt/window_hook.h"
#include "platform/window.h"

namespace reelcatch {

// The main window: a frameless widget whose whole face is drawn by the movie
// and which carries the grid above it.
class QtWindow : public QWidget, public Window {
  Q_OBJECT

 public:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 550;

  explicit QtWindow(QWidget* parent = nullptr);

  void SetSize(int width, int height) override;
  void Resize(int width, int height) override;
  void Show() override;
  void Hide() override;
  bool IsVisible() const override;
  void Minimize() override;
  bool IsMinimized() const override;
  void BringToForeground() override;
  void Restore() override;
  void DragWindow() override;
  void StartHook() override;
  void StopHook() override;
  [[noreturn]] void Quit() override;

  // A close asked for by the window system (its frame, a key, the session)
  // goes here instead of closing the window behind the program's back.
  void SetCloseHandler(std::function<void()> handler) { closeHandler_ = std::move(handler); }
  // Runs just before the process ends, to take down what the desktop shows.
  void SetBeforeQuit(std::function<void()> handler) { beforeQuit_ = std::move(handler); }
  // Told of every new size at once, to lay the window out.
  void SetResizedHandler(std::function<void(QSize)> handler) { resized_ = std::move(handler); }
  // Told of a size the user gave the window once the resizing has settled;
  // not of a maximised or minimised one.
  void SetSizeSettledHandler(std::function<void(int width, int height)> handler) {
    sizeSettled_ = std::move(handler);
  }
  // Links dropped anywhere on the window, one per line of a text/uri-list
  // or of plain text, as given.
  void SetDropHandler(std::function<void(const std::vector<std::string>& links)> handler) {
    dropHandler_ = std::move(handler);
  }
  // The window keeps an ordinary frame, for when there is no face to drag it by.
  void UseOrdinaryFrame();
  // The filters that StartHook installs; the host tells them the face and
  // the grid, the program what a wheel turn does.
  WindowHook& Hook() { return hook_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void PlaceGrip();

  std::function<void()> closeHandler_;
  std::function<void()> beforeQuit_;
  WindowHook hook_{this};
  QWidget* grip_;
  std::function<void(QSize)> resized_;
  std::function<void(int, int)> sizeSettled_;
  std::function<void(const std::vector<std::string>&)> dropHandler_;
  // A drag of the grip resizes many times a second: the size is told once.
  QTimer settle_;
};

}  // namespace reelcatch
