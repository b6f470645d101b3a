#pragma once

#include "platform/grid.h"

namespace reelcatch {

// The window hook's wheel: while the grid has the focus, one row per wheel
// turn, whatever its size; a turn towards the user moves towards the end.
class WheelScroller {
 public:
  explicit WheelScroller(Grid& grid) : grid_(grid) {}

  void MainWindowWheel(int delta);
  void ScrollUp();
  void ScrollDown();

 private:
  Grid& grid_;
};

}  // namespace reelcatch
