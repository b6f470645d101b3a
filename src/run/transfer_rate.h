#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace reelcatch {

// The speed of one transfer over its last few seconds, and the time it
// still needs: fed the bytes done with the moment they were seen. A quiet
// server shows as falling speed once the meter is also fed while nothing
// arrives.
class TransferRate {
 public:
  using Clock = std::chrono::steady_clock;
  // Speed is measured over this much of the recent past...
  static constexpr Clock::duration kWindow = std::chrono::seconds(5);
  // ...once at least this much of it has been seen.
  static constexpr Clock::duration kFirstSpan = std::chrono::seconds(1);

  void Restart() {
    samples_.clear();
    latest_.reset();
  }
  // A count below the last one is a transfer begun anew: measured afresh.
  void Note(Clock::time_point at, uint64_t bytes);
  // Nothing more arrived by this moment (nothing at all: no note).
  void NoteQuiet(Clock::time_point at) {
    if (latest_) Note(at, latest_->bytes);
  }
  // Bytes a second; none until kFirstSpan has been seen.
  std::optional<double> BytesPerSecond() const;
  // Whole seconds until size bytes are done at the present speed; none
  // without a size or a speed.
  std::optional<int64_t> SecondsLeft(uint64_t size) const;

 private:
  struct Sample {
    Clock::time_point at;
    uint64_t bytes;
  };
  // Kept a step apart, so that a fast transfer does not make them many.
  std::deque<Sample> samples_;
  std::optional<Sample> latest_;
};

// "512 B/s", "38.2 KB/s", "12.4 MB/s".
std::string SpeedText(double bytesPerSecond);
// "0:07 left", "1:05 left", "2:03:09 left".
std::string TimeLeftText(int64_t seconds);

}  // namespace reelcatch
