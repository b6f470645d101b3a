#include "support/fake_ports.h"

#include <algorithm>

namespace reelcatch {

namespace {

std::string Flag(bool value) { return value ? "1" : "0"; }

// Leaves the hook's flag clear however the hook ends (Quit throws out of it).
class HookScope {
 public:
  explicit HookScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~HookScope() { flag_ = false; }
  HookScope(const HookScope&) = delete;
  HookScope& operator=(const HookScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

EventLog Only(const EventLog& log, std::initializer_list<std::string> prefixes) {
  EventLog kept;
  for (const std::string& entry : log) {
    bool match = std::any_of(prefixes.begin(), prefixes.end(),
                             [&](const std::string& prefix) { return entry.starts_with(prefix); });
    if (match) kept.push_back(entry);
  }
  return kept;
}

EventLog From(const EventLog& log, const std::string& entry) {
  auto first = std::find(log.begin(), log.end(), entry);
  return EventLog(first, log.end());
}

void FakeMovie::LoadMovie(int layer, const std::string& path) {
  loads_.emplace_back(layer, path);
  log_.push_back("Movie.LoadMovie " + std::to_string(layer) + " " + path);
}

void FakeMovie::SetVariable(const std::string& name, const std::string& value) {
  vars_[name] = value;
  sets_.emplace_back(name, value);
  log_.push_back("Movie.SetVariable " + name + "=" + value);
}

std::string FakeMovie::GetVariable(const std::string& name) {
  log_.push_back("Movie.GetVariable " + name);
  return Var(name);
}

std::string FakeMovie::Var(const std::string& name) const {
  auto found = vars_.find(name);
  return found == vars_.end() ? std::string() : found->second;
}

MessageAnswer FakeDialogs::ShowMessage(const std::string& text, MessageButtons buttons,
                                       MessageIcon icon, const std::string& title) {
  messages_.push_back({text, buttons, icon, title});
  log_.push_back("Dialogs.ShowMessage " + text);
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  if (queued_.empty()) return standing_;
  MessageAnswer answer = queued_.front();
  queued_.pop_front();
  return answer;
}

std::string FakeDialogs::PickFolder(const std::string& prompt) {
  prompts_.push_back(prompt);
  log_.push_back("Dialogs.PickFolder " + prompt);
  return folder_;
}

void FakeTimer::SetInterval(int milliseconds) {
  interval_ = milliseconds;
  log_.push_back(name_ + ".SetInterval " + std::to_string(milliseconds));
}

void FakeTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  log_.push_back(name_ + ".SetEnabled " + Flag(enabled));
}

bool FakeTimer::Fire() {
  if (!enabled_) return false;
  log_.push_back(name_ + ".Tick");
  if (onTick_) onTick_();
  return true;
}

FakeTimer& AsFake(Timer& timer) { return dynamic_cast<FakeTimer&>(timer); }

std::unique_ptr<Timer> FakeTimerFactory::CreateTimer(std::function<void()> onTick) {
  ++created_;
  return std::make_unique<FakeTimer>(log_, "timer" + std::to_string(created_), std::move(onTick));
}

void FakeShell::Open(const std::string& pathOrUrl) {
  opened_.push_back(pathOrUrl);
  log_.push_back("Shell.Open " + pathOrUrl);
}

void FakeShell::Launch(const std::string& program, const std::vector<std::string>& args) {
  launches_.push_back({program, args});
  std::string entry = "Shell.Launch " + program;
  for (const std::string& arg : args) entry += " " + arg;
  log_.push_back(entry);
}

bool FakeNetwork::IsConnected() {
  log_.push_back("Network.IsConnected");
  return connected_;
}

void FakeEventLoop::DoEvents() {
  ++turns_;
  if (inHook_ || !hook_) return;
  HookScope scope(inHook_);
  // A copy: the hook may replace itself.
  std::function<void()> hook = hook_;
  hook();
}

void FakeWindow::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
  log_.push_back("Window.SetSize " + std::to_string(width) + "x" + std::to_string(height));
}

void FakeWindow::Show() {
  visible_ = true;
  log_.push_back("Window.Show");
}

void FakeWindow::Hide() {
  visible_ = false;
  log_.push_back("Window.Hide");
}

void FakeWindow::Minimize() {
  minimized_ = true;
  log_.push_back("Window.Minimize");
}

void FakeWindow::BringToForeground() { log_.push_back("Window.BringToForeground"); }

void FakeWindow::Restore() {
  visible_ = true;
  minimized_ = false;
  log_.push_back("Window.Restore");
}

void FakeWindow::DragWindow() { log_.push_back("Window.DragWindow"); }

void FakeWindow::StartHook() { log_.push_back("Window.StartHook"); }

void FakeWindow::StopHook() { log_.push_back("Window.StopHook"); }

void FakeWindow::Quit() {
  log_.push_back("Window.Quit");
  throw QuitCalled{};
}

void FakeTray::SetInTray(bool shown) {
  inTray_ = shown;
  log_.push_back("Tray.SetInTray " + Flag(shown));
}

void FakeTray::SetTip(const std::string& tip) {
  tip_ = tip;
  log_.push_back("Tray.SetTip " + tip);
}

void FakeTray::SetDownloadCaption(const std::string& caption) {
  caption_ = caption;
  log_.push_back("Tray.SetDownloadCaption " + caption);
}

void FakeTray::SetMonitorChecked(bool checked) {
  checked_ = checked;
  log_.push_back("Tray.SetMonitorChecked " + Flag(checked));
}

void FakeTray::PopupMenu() {
  ++popups_;
  log_.push_back("Tray.PopupMenu");
}

void FakeGrid::SetGeometry(int left, int top, int width, int height) {
  MemoryGrid::SetGeometry(left, top, width, height);
  log_.push_back("Grid.SetGeometry " + std::to_string(left) + "," + std::to_string(top) + "," +
                 std::to_string(width) + "," + std::to_string(height));
}

void FakeGrid::SetVisible(bool visible) {
  MemoryGrid::SetVisible(visible);
  log_.push_back("Grid.SetVisible " + Flag(visible));
}

void FakeGrid::BringToFront() {
  MemoryGrid::BringToFront();
  log_.push_back("Grid.BringToFront");
}

void FakeGrid::SetDataSource(std::shared_ptr<DisplayCopy> copy) {
  std::string rows = copy ? std::to_string(copy->size()) + " rows" : std::string("none");
  log_.push_back("Grid.SetDataSource " + rows);
  MemoryGrid::SetDataSource(std::move(copy));
}

void FakeGrid::SetRowSelected(int row, bool selected) {
  MemoryGrid::SetRowSelected(row, selected);
  log_.push_back("Grid.SetRowSelected " + std::to_string(row) + " " + Flag(selected));
}

void FakeGrid::ScrollRows(int action) {
  MemoryGrid::ScrollRows(action);
  log_.push_back("Grid.ScrollRows " + std::to_string(action));
}

}  // namespace reelcatch
