#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace reelcatch {

// How long one operation may keep waiting on the network. Only the time
// spent waiting counts: time in the host's turns (a handler, a dialog) is
// not the server's fault.
//   kWhole:  the operation must end within the window in all (a HEAD, a page).
//   kSteady: an operation of any length must keep receiving, at least one
//            byte a second on average over each window (a video).
class WaitLimit {
 public:
  using Duration = std::chrono::steady_clock::duration;
  enum class Kind { kWhole, kSteady };

  WaitLimit(Kind kind, std::chrono::seconds window) : kind_(kind), window_(window) {}

  void Waited(Duration wait);
  void Received(uint64_t bytes);
  bool Exceeded() const { return !reason_.empty(); }
  // Why the limit was passed; empty while it holds.
  const std::string& Reason() const { return reason_; }

 private:
  void EndWindow();

  Kind kind_;
  std::chrono::seconds window_;
  Duration waited_{};  // in all (kWhole) or in the window (kSteady)
  uint64_t windowBytes_ = 0;
  std::string reason_;
};

}  // namespace reelcatch
