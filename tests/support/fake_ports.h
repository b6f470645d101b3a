#pragma once

#include <algorithm>
#include <deque>
#include <map>

#include "platform/flag_guard.h"
#include "platform/memory_grid.h"
#include "shell/ports.h"

namespace reelcatch {

// Fakes of every port the main window talks through. They write their calls
// to one shared log ("Port.Call details"), so that a test sees the order of
// calls across ports, not only within one.
using EventLog = std::vector<std::string>;

// The entries of log that begin with any of the prefixes, in order.
inline EventLog Only(const EventLog& log, const std::vector<std::string>& prefixes) {
  EventLog kept;
  for (const std::string& entry : log) {
    auto match = [&](const std::string& prefix) { return entry.starts_with(prefix); };
    if (std::any_of(prefixes.begin(), prefixes.end(), match)) kept.push_back(entry);
  }
  return kept;
}

inline std::string Flag(bool on) { return on ? "1" : "0"; }

// What every fake shares: the log, and the name its entries start with.
struct Logging {
  void Log(const std::string& call) { log_.push_back(port_ + call); }
  EventLog& log_;
  std::string port_;
};

// Thrown by FakeWindow::Quit, where the process would end. Not a
// std::exception, so that no guard of the program can swallow it.
struct QuitCalled {};

struct FakeMovie : Movie, Logging {
  explicit FakeMovie(EventLog& log) : Logging{log, "Movie."} {}
  void LoadMovie(int, const std::string& path) override { Log("LoadMovie " + path); }
  void SetVariable(const std::string& name, const std::string& value) override {
    Log("SetVariable " + name + "=" + (vars[name] = value));
  }
  std::string GetVariable(const std::string& name) override {
    return Log("GetVariable " + name), vars[name];
  }
  // What the face holds; a test may set it as a user would.
  std::map<std::string, std::string> vars;
};

// Messages answer Ok; questions take the queued answers first, then the
// standing one (No unless told).
struct FakeDialogs : Dialogs, Logging {
  explicit FakeDialogs(EventLog& log) : Logging{log, "Dialogs."} {}
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon,
                            const std::string& title) override {
    Log("ShowMessage " + text);
    lastTitle = title;
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    MessageAnswer answer = answers.empty() ? standing_ : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  std::string PickFolder(const std::string& prompt) override {
    return Log("PickFolder " + prompt), picked;
  }
  void SetQuestionAnswer(MessageAnswer answer) { standing_ = answer; }

  std::deque<MessageAnswer> answers;
  std::string lastTitle;
  std::string picked;  // by the folder picker; empty: cancelled

 private:
  MessageAnswer standing_ = MessageAnswer::No;
};

// A timer that ticks only when the test fires it; the test may name it.
struct FakeTimer : Timer, Logging {
  FakeTimer(EventLog& log, std::function<void()> tick) : Logging{log, ""}, tick_(std::move(tick)) {}
  void SetInterval(int) override {}
  int Interval() const override { return 0; }
  void SetEnabled(bool on) override { Log(name + ".SetEnabled " + Flag(enabled_ = on)); }
  bool Enabled() const override { return enabled_; }
  // One tick as the event loop would deliver it; false when disabled.
  bool Fire() { return enabled_ && (Log(name + ".Tick"), tick_(), true); }

  std::string name = "timer";

 private:
  std::function<void()> tick_;
  bool enabled_ = false;
};

inline FakeTimer& AsFake(Timer& timer) { return dynamic_cast<FakeTimer&>(timer); }

struct FakeTimerFactory : TimerFactory {
  explicit FakeTimerFactory(EventLog& log) : log_(log) {}
  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override {
    return std::make_unique<FakeTimer>(log_, std::move(onTick));
  }
  EventLog& log_;
};

struct FakeShell : Shell, Logging {
  explicit FakeShell(EventLog& log) : Logging{log, "Shell."} {}
  void Open(const std::string& pathOrUrl) override { Log("Open " + pathOrUrl); }
  void Launch(const std::string& program, const std::vector<std::string>& args) override {
    std::string entry = "Launch " + program;
    for (const std::string& arg : args) entry += " " + arg;
    Log(entry);
  }
};

struct FakeNetwork : Network, Logging {
  explicit FakeNetwork(EventLog& log) : Logging{log, "Network."} {}
  bool IsConnected() override { return Log("IsConnected"), connected; }
  bool connected = true;
};

// Counts its turns and runs the test's hook in them, the way a click or a
// timer arrives in the middle of a long operation. A turn taken inside the
// hook does not run it again.
struct FakeEventLoop : EventLoop {
  void DoEvents() override {
    ++turns_;
    if (inHook_ || !hook_) return;
    std::function<void()> hook = hook_;  // it may replace itself
    FlagGuard inHook(inHook_);
    hook();
  }
  int Turns() const { return turns_; }
  void SetHook(std::function<void()> hook) { hook_ = std::move(hook); }

 private:
  int turns_ = 0;
  bool inHook_ = false;
  std::function<void()> hook_;
};

struct FakeWindow : Window, Logging {
  explicit FakeWindow(EventLog& log) : Logging{log, "Window."} {}
  void SetSize(int, int) override { Log("SetSize"); }
  void Show() override { Log("Show"); }
  void Hide() override { Log("Hide"); }
  bool IsVisible() const override { return true; }
  void Minimize() override { Log("Minimize"); }
  bool IsMinimized() const override { return false; }
  void BringToForeground() override { Log("BringToForeground"); }
  void Restore() override { Log("Restore"); }
  void DragWindow() override { Log("DragWindow"); }
  void StartHook() override { Log("StartHook"); }
  void StopHook() override { Log("StopHook"); }
  [[noreturn]] void Quit() override { Log("Quit"), throw QuitCalled{}; }
};

struct FakeTray : Tray, Logging {
  explicit FakeTray(EventLog& log) : Logging{log, "Tray."} {}
  bool Available() const override { return available; }
  void SetInTray(bool shown) override { Log("SetInTray " + Flag(shown)); }
  void SetTip(const std::string& tip) override { Log("SetTip " + tip); }
  void SetDownloadCaption(const std::string& text) override { Log("Caption " + (caption = text)); }
  std::string DownloadCaption() const override { return caption; }
  void SetMonitorChecked(bool on) override { Log("SetMonitorChecked " + Flag(checked = on)); }
  bool MonitorChecked() const override { return checked; }
  void PopupMenu() override { Log("PopupMenu"); }

  bool available = true;
  std::string caption = "Start Downloading";
  bool checked = false;
};

struct FakeClipboard : Clipboard {
  std::string Text() override { return text; }
  std::string text;
};

// The in-memory grid, with the calls that show it and select its rows also
// written to the log.
struct FakeGrid : MemoryGrid, Logging {
  explicit FakeGrid(EventLog& log) : Logging{log, "Grid."} {}
  void SetVisible(bool on) override { MemoryGrid::SetVisible(on), Log("SetVisible " + Flag(on)); }
  void BringToFront() override { MemoryGrid::BringToFront(), Log("BringToFront"); }
  void SetRowSelected(int row, bool on) override {
    MemoryGrid::SetRowSelected(row, on), Log("SetRowSelected " + std::to_string(row));
  }
};

// One of each fake, sharing one log.
struct FakePorts {
  Ports ports() {
    return Ports{movie, grid, dialogs, timers, shell, network, loop, window, tray, clipboard};
  }

  EventLog log;
  FakeMovie movie{log};
  FakeGrid grid{log};
  FakeDialogs dialogs{log};
  FakeTimerFactory timers{log};
  FakeShell shell{log};
  FakeNetwork network{log};
  FakeEventLoop loop;
  FakeWindow window{log};
  FakeTray tray{log};
  FakeClipboard clipboard;
};

}  // namespace reelcatch
