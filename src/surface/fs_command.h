#pragma once

#include <functional>
#include <string>
#include <vector>

#include "list/download_list.h"
#include "list/list_display.h"
#include "platform/dialogs.h"
#include "platform/movie.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "run/download_run.h"
#include "run/settings.h"

namespace reelcatch {

// What the face's commands act on. The window's own operations come as
// callbacks, so that the commands never know the window.
struct CommandTarget {
  Window& window;
  Tray& tray;
  Shell& shell;
  Movie& movie;
  Dialogs& dialogs;
  DownloadList& list;
  ListDisplay& display;
  DownloadRun& run;
  Settings& settings;
  // The face's folder: Help.html lies there.
  std::string faceDir;
  std::function<void()> endMe;
  std::function<void(bool on)> monitor;
  std::function<void()> saveSettings;
};

// Told under the address box when an add found its address listed already.
inline constexpr const char* kAlreadyListed = "This address is already in the download list.";

// Runs the operation of a face's command. Names are compared exactly, in
// order; an unknown name does nothing.
void RunFaceCommand(const CommandTarget& target, const std::string& command);

// Page addresses given from outside the face (a command line, a later
// start), added as the face's add command adds each, with one refill and at
// most one message for the lot.
void AddGivenAddresses(const CommandTarget& target, const std::vector<std::string>& addresses);

}  // namespace reelcatch
