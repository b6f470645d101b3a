#pragma once

namespace reelcatch {

// Lets the host's event loop run from inside a long operation (a transfer,
// a list refill), so the window stays alive and commands, timers and
// deliveries arrive in the middle of it. Hosts keep it cheap: callers may
// yield very often.
class EventLoop {
 public:
  virtual ~EventLoop() = default;
  virtual void DoEvents() = 0;
};

}  // namespace reelcatch
