#include "monitor/clipboard_monitor.h"

#include <utility>

#include "list/add_download_url.h"
#include "platform/movie_variables.h"
#include "resolve/site_table.h"

namespace reelcatch {

namespace {
constexpr const char* kWatcherName = "/reelcatch-clip";
constexpr int kMonitorPollMs = 2000;
}  // namespace

ClipboardMonitor::ClipboardMonitor(MonitorPorts ports, DownloadList& list, ListDisplay& display,
                                   DownloadRun& run, Settings& settings, std::string watcherDir,
                                   std::string channel)
    : ports_(ports),
      list_(list),
      display_(display),
      run_(run),
      settings_(settings),
      watcherDir_(std::move(watcherDir)),
      channel_(std::move(channel)),
      tmrMonitor_(ports.timers.CreateTimer([this] { tmrMonitor_Timer(); })) {
  tmrMonitor_->SetInterval(kMonitorPollMs);
}

void ClipboardMonitor::Monitor(bool bState) {
  // Without a channel no watcher of ours can run: the program said so at
  // start, and the setting stays as the user chose it.
  if (!channel_.empty()) {
    ports_.shell.Launch(watcherDir_ + kWatcherName, {bState ? channel_ : std::string("Exit")});
  }
  settings_.URLMon = bState;
}

void ClipboardMonitor::txtMonitor_Change(const std::string& text) {
  if (text.empty()) return;
  std::vector<std::string> notAdded = AddDownloadURL(text, list_, display_, run_.State());
  SetMovieVariable(ports_.movie, "_root.video_url", text);
  if (!run_.State().Downloading) run_.ArmStart();
  SayNotAdded(ports_.dialogs, notAdded);
}

void ClipboardMonitor::chkMonitor_Click() {
  LastClipText.clear();
  bool on = !tmrMonitor_->Enabled();
  tmrMonitor_->SetEnabled(on);
  settings_.URLMon = on;
}

void ClipboardMonitor::tmrMonitor_Timer() {
  std::string text = ports_.clipboard.Text();
  if (text != LastClipText && GetSiteId(text) != -1) {
    std::vector<std::string> notAdded = AddDownloadURL(text, list_, display_, run_.State());
    SetMovieVariable(ports_.movie, "_root.video_url", text);
    SayNotAdded(ports_.dialogs, notAdded);
    if (!run_.State().Downloading) run_.cmdStartDownload_Click();
  }
  LastClipText = text;
}

}  // namespace reelcatch
