// The window hook's wheel: while the grid has the focus, one row per wheel
// turn, whatever its size; a turn towards the user moves towards the end.
#include "shell/frm_main.h"

namespace reelcatch {

void FrmMain::MainWindowWheel(int delta) {
  if (!ports_.grid.HasFocus()) return;
  if (delta < 0) {
    ScrollUp();
  } else {
    ScrollDown();
  }
}

void FrmMain::ScrollUp() {
  if (ports_.grid.HasFocus()) ports_.grid.ScrollRows(1);
}

void FrmMain::ScrollDown() {
  if (ports_.grid.HasFocus()) ports_.grid.ScrollRows(0);
}

}  // namespace reelcatch
