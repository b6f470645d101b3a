// Clipboard monitoring: the watcher program delivers each copied address to
// the window; the older polling path reads the clipboard itself.
#include "list/add_download_url.h"
#include "platform/movie_variables.h"
#include "resolve/site_table.h"
#include "run/download_run.h"
#include "shell/frm_main.h"

namespace reelcatch {

namespace {
constexpr const char* kWatcherName = "/reelcatch-clip";
}

void FrmMain::Monitor(bool bState) {
  ports_.shell.Launch(programDir_ + kWatcherName, {bState ? channel_ : std::string("Exit")});
  settings_.URLMon = bState;
}

void FrmMain::txtMonitor_Change(const std::string& text) {
  if (text.empty()) return;
  AddDownloadURL(text, list_, display_, run_->State());
  SetMovieVariable(ports_.movie, "_root.video_url", text);
  if (!run_->State().Downloading) run_->ArmStart();
}

void FrmMain::chkMonitor_Click() {
  LastClipText.clear();
  bool on = !tmrMonitor_->Enabled();
  tmrMonitor_->SetEnabled(on);
  settings_.URLMon = on;
}

void FrmMain::tmrMonitor_Timer() {
  std::string text = ports_.clipboard.Text();
  if (text != LastClipText && GetSiteId(text) != -1) {
    AddDownloadURL(text, list_, display_, run_->State());
    SetMovieVariable(ports_.movie, "_root.video_url", text);
    if (!run_->State().Downloading) run_->cmdStartDownload_Click();
  }
  LastClipText = text;
}

}  // namespace reelcatch
