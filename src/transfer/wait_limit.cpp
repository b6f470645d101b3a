#include "transfer/wait_limit.h"

namespace reelcatch {

void WaitLimit::Waited(Duration wait) {
  if (Exceeded()) return;
  waited_ += wait;
  if (waited_ < window_) return;
  if (kind_ == Kind::kWhole) {
    reason_ = "Not finished within " + std::to_string(window_.count()) + " s";
    return;
  }
  EndWindow();
}

void WaitLimit::Received(uint64_t bytes) { windowBytes_ += bytes; }

void WaitLimit::EndWindow() {
  const auto seconds = static_cast<uint64_t>(window_.count());
  if (windowBytes_ == 0) {
    reason_ = "Server sent nothing for " + std::to_string(seconds) + " s";
  } else if (windowBytes_ < seconds) {
    reason_ = "Server sent only " + std::to_string(windowBytes_) +
              (windowBytes_ == 1 ? " byte in " : " bytes in ") + std::to_string(seconds) + " s";
  }
  waited_ = {};
  windowBytes_ = 0;
}

}  // namespace reelcatch
