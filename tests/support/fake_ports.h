#pragma once

#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/memory_grid.h"
#include "platform/movie.h"
#include "platform/network.h"
#include "platform/shell.h"
#include "platform/timers.h"
#include "platform/window.h"
#include "shell/ports.h"

namespace reelcatch {

// Recording fakes of every port the main window talks through. All of them
// append to one shared, ordered event log ("Port.Call details"), so a test
// can check the order of calls across ports, not only within one.
using EventLog = std::vector<std::string>;

// The entries of log that begin with any of the prefixes, in order.
EventLog Only(const EventLog& log, std::initializer_list<std::string> prefixes);
// The entries from the first one equal to entry on (nothing when absent).
EventLog From(const EventLog& log, const std::string& entry);

// Thrown by FakeWindow::Quit: the process would end there, so the test
// catches this instead. Deliberately not a std::exception, so that no
// handler of the program that guards a step can swallow it.
struct QuitCalled {};

class FakeMovie : public Movie {
 public:
  explicit FakeMovie(EventLog& log) : log_(log) {}
  void LoadMovie(int layer, const std::string& path) override;
  void SetVariable(const std::string& name, const std::string& value) override;
  std::string GetVariable(const std::string& name) override;

  // The value now, empty when never set.
  std::string Var(const std::string& name) const;
  // What the face would hold before the program sets anything.
  void Preset(const std::string& name, const std::string& value) { vars_[name] = value; }
  // Every SetVariable, in order.
  const std::vector<std::pair<std::string, std::string>>& Sets() const { return sets_; }
  const std::vector<std::pair<int, std::string>>& Loads() const { return loads_; }
  void ClearSets() { sets_.clear(); }

 private:
  EventLog& log_;
  std::map<std::string, std::string> vars_;
  std::vector<std::pair<std::string, std::string>> sets_;
  std::vector<std::pair<int, std::string>> loads_;
};

struct FakeMessage {
  std::string text;
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::None;
  std::string title;
};

// Messages answer Ok; questions (Yes/No) take the queued answers first,
// then the standing one (No unless told).
class FakeDialogs : public Dialogs {
 public:
  explicit FakeDialogs(EventLog& log) : log_(log) {}
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon,
                            const std::string& title) override;
  std::string PickFolder(const std::string& prompt) override;

  void SetQuestionAnswer(MessageAnswer answer) { standing_ = answer; }
  void QueueAnswer(MessageAnswer answer) { queued_.push_back(answer); }
  // What the picker returns (empty: cancelled).
  void SetPickedFolder(std::string folder) { folder_ = std::move(folder); }
  const std::vector<FakeMessage>& Messages() const { return messages_; }
  const std::vector<std::string>& FolderPrompts() const { return prompts_; }

 private:
  EventLog& log_;
  MessageAnswer standing_ = MessageAnswer::No;
  std::deque<MessageAnswer> queued_;
  std::string folder_;
  std::vector<FakeMessage> messages_;
  std::vector<std::string> prompts_;
};

// A timer that ticks only when the test says so.
class FakeTimer : public Timer {
 public:
  FakeTimer(EventLog& log, std::string name, std::function<void()> onTick)
      : log_(log), name_(std::move(name)), onTick_(std::move(onTick)) {}
  void SetInterval(int milliseconds) override;
  int Interval() const override { return interval_; }
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }

  // One tick, as the event loop would deliver it; a disabled timer does
  // not tick. True when it ticked.
  bool Fire();
  // Names the timer in the log (created ones are "timer1", "timer2", ...).
  void SetName(std::string name) { name_ = std::move(name); }
  const std::string& Name() const { return name_; }

 private:
  EventLog& log_;
  std::string name_;
  std::function<void()> onTick_;
  int interval_ = 0;
  bool enabled_ = false;
};

// The fake behind a timer the program created through FakeTimerFactory.
FakeTimer& AsFake(Timer& timer);

class FakeTimerFactory : public TimerFactory {
 public:
  explicit FakeTimerFactory(EventLog& log) : log_(log) {}
  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override;
  int Created() const { return created_; }

 private:
  EventLog& log_;
  int created_ = 0;
};

struct FakeLaunch {
  std::string program;
  std::vector<std::string> args;
  friend bool operator==(const FakeLaunch&, const FakeLaunch&) = default;
};

class FakeShell : public Shell {
 public:
  explicit FakeShell(EventLog& log) : log_(log) {}
  void Open(const std::string& pathOrUrl) override;
  void Launch(const std::string& program, const std::vector<std::string>& args) override;
  const std::vector<std::string>& Opened() const { return opened_; }
  const std::vector<FakeLaunch>& Launches() const { return launches_; }

 private:
  EventLog& log_;
  std::vector<std::string> opened_;
  std::vector<FakeLaunch> launches_;
};

class FakeNetwork : public Network {
 public:
  explicit FakeNetwork(EventLog& log) : log_(log) {}
  bool IsConnected() override;
  void SetConnected(bool connected) { connected_ = connected; }

 private:
  EventLog& log_;
  bool connected_ = true;
};

// Counts its turns and runs the test's hook in them, the way a click or a
// timer arrives in the middle of a long operation. Turns taken inside the
// hook are counted but do not run it again, so a hook never nests in itself.
class FakeEventLoop : public EventLoop {
 public:
  void DoEvents() override;
  int Turns() const { return turns_; }
  // Runs on every turn until replaced; an empty function runs nothing.
  void SetHook(std::function<void()> hook) { hook_ = std::move(hook); }

 private:
  int turns_ = 0;
  bool inHook_ = false;
  std::function<void()> hook_;
};

class FakeWindow : public Window {
 public:
  explicit FakeWindow(EventLog& log) : log_(log) {}
  void SetSize(int width, int height) override;
  void Show() override;
  void Hide() override;
  bool IsVisible() const override { return visible_; }
  void Minimize() override;
  bool IsMinimized() const override { return minimized_; }
  void BringToForeground() override;
  void Restore() override;
  void DragWindow() override;
  void StartHook() override;
  void StopHook() override;
  [[noreturn]] void Quit() override;

  // The window as the test wants it before the program acts.
  void SetState(bool visible, bool minimized) {
    visible_ = visible;
    minimized_ = minimized;
  }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  EventLog& log_;
  int width_ = 0, height_ = 0;
  bool visible_ = true;
  bool minimized_ = false;
};

class FakeTray : public Tray {
 public:
  explicit FakeTray(EventLog& log) : log_(log) {}
  bool Available() const override { return available_; }
  void SetInTray(bool shown) override;
  void SetTip(const std::string& tip) override;
  void SetDownloadCaption(const std::string& caption) override;
  std::string DownloadCaption() const override { return caption_; }
  void SetMonitorChecked(bool checked) override;
  bool MonitorChecked() const override { return checked_; }
  void PopupMenu() override;

  void SetAvailable(bool available) { available_ = available; }
  // The check mark as the user left it, without logging.
  void PresetMonitorChecked(bool checked) { checked_ = checked; }
  void PresetDownloadCaption(std::string caption) { caption_ = std::move(caption); }
  bool InTray() const { return inTray_; }
  const std::string& Tip() const { return tip_; }
  int Popups() const { return popups_; }

 private:
  EventLog& log_;
  bool available_ = true;
  bool inTray_ = false;
  std::string tip_;
  std::string caption_ = "Start Downloading";
  bool checked_ = false;
  int popups_ = 0;
};

class FakeClipboard : public Clipboard {
 public:
  std::string Text() override { return text_; }
  void SetText(std::string text) { text_ = std::move(text); }

 private:
  std::string text_;
};

// The in-memory grid, with the calls that place, show, bind, select and
// scroll it also written to the event log (layout calls are not: read them
// back from the grid).
class FakeGrid : public MemoryGrid {
 public:
  explicit FakeGrid(EventLog& log) : log_(log) {}
  void SetGeometry(int left, int top, int width, int height) override;
  void SetVisible(bool visible) override;
  void BringToFront() override;
  void SetDataSource(std::shared_ptr<DisplayCopy> copy) override;
  void SetRowSelected(int row, bool selected) override;
  void ScrollRows(int action) override;

 private:
  EventLog& log_;
};

// One of each fake, sharing one log.
class FakePorts {
 public:
  FakePorts() = default;
  FakePorts(const FakePorts&) = delete;
  FakePorts& operator=(const FakePorts&) = delete;

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
