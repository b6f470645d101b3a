#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/movie.h"
#include "platform/shell.h"
#include "platform/timers.h"
#include "platform/window.h"

namespace reelcatch {

// The face of a terminal program: it only remembers the variables.
class TerminalMovie : public Movie {
 public:
  void LoadMovie(int, const std::string&) override {}
  void SetVariable(const std::string& name, const std::string& value) override {
    variables_[name] = value;
  }
  std::string GetVariable(const std::string& name) override { return variables_[name]; }

 private:
  std::map<std::string, std::string> variables_;
};

// Messages go to stderr. The only question the run asks is whether to stop,
// and on a terminal it is only asked when the user pressed Ctrl-C.
class TerminalDialogs : public Dialogs {
 public:
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon,
                            const std::string& title) override;
  std::string PickFolder(const std::string&) override { return {}; }
  int MessagesShown() const { return shown_; }

 private:
  int shown_ = 0;
};

// Timers that fire from the terminal's event loop.
class TerminalTimers : public TimerFactory {
 public:
  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override;
  // Runs the handlers of the timers that are due.
  void RunDue();

 private:
  class TerminalTimer;
  std::vector<TerminalTimer*> timers_;
};

class TerminalShell : public Shell {
 public:
  void Open(const std::string&) override {}
  void Launch(const std::string&, const std::vector<std::string>&) override {}
};

class TerminalWindow : public Window {
 public:
  void SetSize(int, int) override {}
  void Show() override {}
  void Hide() override {}
  bool IsVisible() const override { return true; }
  void Minimize() override {}
  bool IsMinimized() const override { return false; }
  void BringToForeground() override {}
  void Restore() override {}
  void DragWindow() override {}
  void StartHook() override {}
  void StopHook() override {}
  [[noreturn]] void Quit() override;
};

class TerminalTray : public Tray {
 public:
  bool Available() const override { return false; }
  void SetInTray(bool) override {}
  void SetTip(const std::string&) override {}
  void SetDownloadCaption(const std::string& caption) override { caption_ = caption; }
  std::string DownloadCaption() const override { return caption_; }
  void SetMonitorChecked(bool checked) override { checked_ = checked; }
  bool MonitorChecked() const override { return checked_; }
  void PopupMenu() override {}

 private:
  std::string caption_;
  bool checked_ = false;
};

class TerminalClipboard : public Clipboard {
 public:
  std::string Text() override { return {}; }
};

// Between network polls: Ctrl-C, the timers, and the progress display.
class TerminalEventLoop : public EventLoop {
 public:
  explicit TerminalEventLoop(TerminalTimers& timers) : timers_(timers) {}
  void DoEvents() override;
  // Called on every turn, for the program's own checks.
  void SetOnTurn(std::function<void()> onTurn) { onTurn_ = std::move(onTurn); }

 private:
  TerminalTimers& timers_;
  std::function<void()> onTurn_;
};

}  // namespace reelcatch
