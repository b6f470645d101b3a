#include "app/get/terminal_ports.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace reelcatch {

MessageAnswer TerminalDialogs::ShowMessage(const std::string& text, MessageButtons buttons,
                                           MessageIcon, const std::string&) {
  ++shown_;
  if (buttons == MessageButtons::YesNo) return MessageAnswer::Yes;
  std::fprintf(stderr, "%s\n", text.c_str());
  return MessageAnswer::Ok;
}

class TerminalTimers::TerminalTimer : public Timer {
 public:
  TerminalTimer(TerminalTimers& owner, std::function<void()> onTick)
      : owner_(owner), onTick_(std::move(onTick)) {
    owner_.timers_.push_back(this);
  }
  ~TerminalTimer() override {
    auto& all = owner_.timers_;
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
  }
  void SetInterval(int milliseconds) override {
    interval_ = std::chrono::milliseconds(milliseconds);
  }
  int Interval() const override { return static_cast<int>(interval_.count()); }
  void SetEnabled(bool enabled) override {
    if (enabled && !enabled_) due_ = Clock::now() + interval_;
    enabled_ = enabled;
  }
  bool Enabled() const override { return enabled_; }

  void RunIfDue() {
    if (!enabled_ || Clock::now() < due_) return;
    due_ = Clock::now() + interval_;
    onTick_();
  }

 private:
  using Clock = std::chrono::steady_clock;
  TerminalTimers& owner_;
  std::function<void()> onTick_;
  std::chrono::milliseconds interval_{0};
  Clock::time_point due_;
  bool enabled_ = false;
};

std::unique_ptr<Timer> TerminalTimers::CreateTimer(std::function<void()> onTick) {
  return std::make_unique<TerminalTimer>(*this, std::move(onTick));
}

void TerminalTimers::RunDue() {
  // A handler may create or destroy timers; work on a copy.
  std::vector<TerminalTimer*> snapshot = timers_;
  for (TerminalTimer* timer : snapshot) {
    if (std::find(timers_.begin(), timers_.end(), timer) != timers_.end()) timer->RunIfDue();
  }
}

void TerminalWindow::Quit() {
  std::fflush(nullptr);
  std::exit(130);
}

void TerminalEventLoop::DoEvents() {
  if (onTurn_) onTurn_();
  timers_.RunDue();
}

}  // namespace reelcatch
