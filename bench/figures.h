#pragma once

// What the benchmarks measure of one fetch, and how: wall time and CPU time,
// the better of several rounds.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>

#include "platform/event_loop.h"

namespace reelcatch::bench {

// The engine runs without a window: there is nothing to yield to.
class IdleLoop : public EventLoop {
 public:
  void DoEvents() override {}
};

struct Figures {
  double seconds = 1e300;
  double cpuSeconds = 1e300;
  bool whole = true;
};

inline double CpuSeconds(const rusage& usage) {
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

inline double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline Figures Better(Figures a, Figures b) {
  return {std::min(a.seconds, b.seconds), std::min(a.cpuSeconds, b.cpuSeconds), a.whole && b.whole};
}

}  // namespace reelcatch::bench
