#pragma once

#include <cstdint>
#include <string>

namespace reelcatch {

// The main window's run state, shared by the run, link resolution and the
// handlers of the Download control's events.
struct RunState {
  bool Downloading = false;
  bool CancelRequested = false;
  bool Preparing = false;
  std::string DownloadResult;
  int16_t CurrentIndex = 0;
  // The item being worked on, by its never-changing key (0: none), so that
  // edits of the list during a run never redirect its writes.
  uint64_t CurrentKey = 0;
};

}  // namespace reelcatch
