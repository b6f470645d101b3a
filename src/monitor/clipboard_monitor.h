#pragma once

#include <memory>
#include <string>

#include "list/download_list.h"
#include "list/list_display.h"
#include "platform/dialogs.h"
#include "platform/movie.h"
#include "platform/shell.h"
#include "platform/timers.h"
#include "platform/window.h"
#include "run/download_run.h"
#include "run/settings.h"

namespace reelcatch {

// What clipboard monitoring reaches the outside world through.
struct MonitorPorts {
  Shell& shell;
  Clipboard& clipboard;
  Movie& movie;
  TimerFactory& timers;
  Dialogs& dialogs;
};

// Clipboard monitoring: the watcher program delivers each copied address to
// the window; the older polling path reads the clipboard itself.
class ClipboardMonitor {
 public:
  // The watcher lies in watcherDir; channel names its delivery channel,
  // empty when there is none (the watcher is then never started).
  ClipboardMonitor(MonitorPorts ports, DownloadList& list, ListDisplay& display, DownloadRun& run,
                   Settings& settings, std::string watcherDir, std::string channel);

  void Monitor(bool bState);
  void txtMonitor_Change(const std::string& text);
  void chkMonitor_Click();
  void tmrMonitor_Timer();

  Timer& MonitorTimer() { return *tmrMonitor_; }

 private:
  MonitorPorts ports_;
  DownloadList& list_;
  ListDisplay& display_;
  DownloadRun& run_;
  Settings& settings_;
  std::string watcherDir_;
  std::string channel_;
  std::unique_ptr<Timer> tmrMonitor_;
  std::string LastClipText;
};

}  // namespace reelcatch
