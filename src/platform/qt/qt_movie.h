#pragma once

#include <QQuickWidget>
#include <functional>
#include <string>

#include "platform/movie.h"

namespace reelcatch {

// The window's face: a QML document whose root object stands for the
// movie's "_root". Its properties are the movie's variables and its
// fsCommand(command, args) signal carries the movie's commands.
class QtMovie : public QQuickWidget, public Movie {
  Q_OBJECT

 public:
  using CommandHandler = std::function<void(std::string command, std::string args)>;

  explicit QtMovie(QWidget* parent = nullptr);

  void LoadMovie(int layer, const std::string& path) override;
  void SetVariable(const std::string& name, const std::string& value) override;
  std::string GetVariable(const std::string& name) override;

  // Commands arrive from a fresh event, never from inside the face's own
  // handlers, so a long operation or a shutdown never runs within them.
  void SetCommandHandler(CommandHandler handler) { handler_ = std::move(handler); }
  // Called when a face could not be loaded, with the path that was asked for.
  void SetLoadFailedHandler(std::function<void(const std::string& path)> handler) {
    loadFailed_ = std::move(handler);
  }
  bool Loaded() const;

  // Called when the face's Tab order reaches the download list.
  void SetGridFocusHandler(std::function<void()> handler) { gridFocus_ = std::move(handler); }
  // Tab (forward) or Shift+Tab left the download list: the face takes the
  // focus back, on its control after or before the list.
  void FocusBesideGrid(bool forward);

 private slots:
  void OnFsCommand(const QString& command, const QString& args);
  void OnGridFocus();

 private:
  std::function<void()> gridFocus_;
  CommandHandler handler_;
  std::function<void(const std::string&)> loadFailed_;
};

}  // namespace reelcatch
