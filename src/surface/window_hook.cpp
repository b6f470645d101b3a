#include "surface/window_hook.h"

namespace reelcatch {

void WheelScroller::MainWindowWheel(int delta) {
  if (!grid_.HasFocus()) return;
  if (delta < 0) {
    ScrollUp();
  } else {
    ScrollDown();
  }
}

void WheelScroller::ScrollUp() {
  if (grid_.HasFocus()) grid_.ScrollRows(1);
}

void WheelScroller::ScrollDown() {
  if (grid_.HasFocus()) grid_.ScrollRows(0);
}

}  // namespace reelcatch
