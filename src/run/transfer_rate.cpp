#include "run/transfer_rate.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace reelcatch {

namespace {

constexpr TransferRate::Clock::duration kStep = std::chrono::milliseconds(250);
// Longer than this is no estimate worth showing.
constexpr int64_t kMaxSecondsLeft = 100 * 3600;

std::string TwoDigits(int64_t value) { return (value < 10 ? "0" : "") + std::to_string(value); }

}  // namespace

void TransferRate::Note(Clock::time_point at, uint64_t bytes) {
  if (latest_ && (bytes < latest_->bytes || at < latest_->at)) Restart();
  latest_ = Sample{at, bytes};
  if (samples_.empty() || at - samples_.back().at >= kStep) samples_.push_back(*latest_);
  // The oldest sample kept is the last one at or before the window's start.
  while (samples_.size() >= 2 && samples_[1].at <= at - kWindow) samples_.pop_front();
}

std::optional<double> TransferRate::BytesPerSecond() const {
  if (!latest_ || samples_.empty()) return std::nullopt;
  const Sample& first = samples_.front();
  Clock::duration span = latest_->at - first.at;
  if (span < kFirstSpan) return std::nullopt;
  return static_cast<double>(latest_->bytes - first.bytes) /
         std::chrono::duration<double>(span).count();
}

std::optional<int64_t> TransferRate::SecondsLeft(uint64_t size) const {
  std::optional<double> speed = BytesPerSecond();
  if (size == 0 || !speed || !(*speed > 0)) return std::nullopt;
  uint64_t done = latest_->bytes;
  double rest = done >= size ? 0.0 : static_cast<double>(size - done);
  double seconds = std::ceil(rest / *speed);
  if (seconds > static_cast<double>(kMaxSecondsLeft)) return std::nullopt;
  return static_cast<int64_t>(seconds);
}

std::string SpeedText(double bytesPerSecond) {
  constexpr std::array<const char*, 4> kUnits = {"B/s", "KB/s", "MB/s", "GB/s"};
  double value = std::max(bytesPerSecond, 0.0);
  size_t unit = 0;
  // Tenths are worked out in whole numbers: the user's locale must not
  // change the decimal point.
  while (unit + 1 < kUnits.size() && std::nearbyint(value * 10) >= 10000) {
    value /= 1024;
    ++unit;
  }
  if (unit == 0) return std::to_string(static_cast<int64_t>(std::nearbyint(value))) + " B/s";
  auto tenths = static_cast<int64_t>(std::nearbyint(value * 10));
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " " + kUnits[unit];
}

std::string TimeLeftText(int64_t seconds) {
  int64_t hours = seconds / 3600;
  int64_t minutes = seconds / 60 % 60;
  std::string clock =
      hours > 0 ? std::to_string(hours) + ":" + TwoDigits(minutes) : std::to_string(minutes);
  return clock + ":" + TwoDigits(seconds % 60) + " left";
}

}  // namespace reelcatch
