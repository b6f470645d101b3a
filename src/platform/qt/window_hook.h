#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <optional>

class QQuickWidget;
class QWidget;

namespace reelcatch {

class QtGrid;

// The main window's event filters. The face never sees a right-button press
// or the menu key, so it offers no menu of its own; a wheel turn over the
// window scrolls the grid one row while the grid has the focus. One
// application-wide filter, so it also holds for the window's native handle
// made after Start.
class WindowHook : public QObject {
  Q_OBJECT

 public:
  explicit WindowHook(QWidget* window);
  ~WindowHook() override;

  void SetFace(QQuickWidget* face);
  void SetGrid(QtGrid* grid);
  // Called for a right press on the face (at its point in the face) or the
  // menu key (no point), which the face itself never sees.
  void SetFaceMenuHandler(std::function<void(std::optional<QPoint> at)> handler) {
    faceMenuHandler_ = std::move(handler);
  }
  // Called once per wheel event with its vertical turn (120 a notch).
  void SetWheelHandler(std::function<void(int delta)> handler) {
    wheelHandler_ = std::move(handler);
  }

  void Start();
  void Stop();
  bool Started() const { return started_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool OnWheel(QEvent* event);
  bool IsOverGrid(QPoint position) const;

  QWidget* window_;
  QPointer<QQuickWidget> face_;
  QPointer<QtGrid> grid_;
  std::function<void(int)> wheelHandler_;
  std::function<void(std::optional<QPoint>)> faceMenuHandler_;
  bool started_ = false;
};

}  // namespace reelcatch
