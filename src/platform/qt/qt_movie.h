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

 private slots:
  void OnFsCommand(const QString& command, const QString& args);

 private:
  CommandHandler handler_;
  std::function<void(const std::string&)> loadFailed_;
};

}  // namespace reelcatch
