#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "list/download_list.h"

namespace reelcatch {

// Shows the run's progress on stderr: on a terminal a live table of the
// list redrawn in place, otherwise one line per status change.
class ProgressView {
 public:
  ProgressView(const DownloadList& list, std::FILE* out, bool live);

  // Tells the speed and time left of an item that is transferring ("12.4
  // MB/s  1:05 left"), empty for any other.
  void SetRateSource(std::function<std::string(const DownloadItem&)> rateOf) {
    rateOf_ = std::move(rateOf);
  }
  // The item at this position has a new status.
  void StatusChanged(int position);
  // A turn of the event loop: the live table redraws at its own pace.
  void Tick();
  // The item ended "ERROR": says why, as "[ID] ERROR: reason". The live
  // table keeps the screen until it is done, so there the lines wait.
  void ReportFailure(const DownloadItem& item);
  // The run is over: the last picture, and the reasons it held back.
  void Finish();

 private:
  using Clock = std::chrono::steady_clock;

  void Redraw();
  void PrintLine(const DownloadItem& item, bool counting);
  std::string RateOf(const DownloadItem& item) const;
  std::string Row(const DownloadItem& item, int width) const;

  const DownloadList& list_;
  std::FILE* out_;
  bool live_;
  int drawnLines_ = 0;
  int lastChanged_ = 0;
  bool dirty_ = true;
  Clock::time_point lastDraw_{};
  std::vector<Clock::time_point> lastLine_;
  std::vector<std::string> lastStatus_;
  std::vector<std::string> heldFailures_;
  std::function<std::string(const DownloadItem&)> rateOf_;
};

// A numeric status drawn as a bar of the given width, with its percentage.
std::string StatusBar(const std::string& status, int width);

}  // namespace reelcatch
