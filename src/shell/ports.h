#pragma once

#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/grid.h"
#include "platform/movie.h"
#include "platform/network.h"
#include "platform/shell.h"
#include "platform/timers.h"
#include "platform/window.h"

namespace reelcatch {

// Everything the program reaches the outside world through. Each host (the
// desktop, the terminal, the tests) provides one set.
struct Ports {
  Movie& movie;
  Grid& grid;
  Dialogs& dialogs;
  TimerFactory& timers;
  Shell& shell;
  Network& network;
  EventLoop& loop;
  Window& window;
  Tray& tray;
  Clipboard& clipboard;
};

}  // namespace reelcatch
