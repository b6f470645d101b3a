#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace reelcatch {

// What DownloadProgress reports after `total` bytes: the percentage of
// `fileSize` rounded half to even when a size is known, else the byte count.
inline int64_t ProgressValue(int64_t total, float fileSize) {
  if (!(fileSize > 0)) return total;
  double percent = std::nearbyint(static_cast<double>(total) / fileSize * 100.0);
  // A tiny size set by a caller must not overflow the count.
  constexpr double kLimit = 9.0e18;
  if (!(percent < kLimit)) return static_cast<int64_t>(kLimit);
  return static_cast<int64_t>(percent);
}

}  // namespace reelcatch
