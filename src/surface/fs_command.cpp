// The face's commands: a table from command name to operation, compared
// exactly, in order; the arguments are never looked at.
#include "surface/fs_command.h"

#include <array>
#include <string_view>

#include "list/add_download_url.h"
#include "surface/folder_selection.h"
#include "surface/web_site.h"

namespace reelcatch {

namespace {

bool BlankOnly(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

struct Command {
  std::string_view name;
  void (*run)(const CommandTarget& w);
};

void SetMonitoring(const CommandTarget& w, bool on) {
  w.monitor(on);
  w.settings.URLMon = on;
  w.saveSettings();
}

void SetAnySite(const CommandTarget& w, bool on) {
  w.settings.AnySite = on;
  w.saveSettings();
}

void SetNotify(const CommandTarget& w, bool on) {
  w.settings.Notify = on;
  w.saveSettings();
}

// An add that found every address listed already would look like nothing
// happened: the face says so under the address box for a while. Emptied
// first, so that the same hint twice is shown twice, and by an add that did
// add something.
void ShowAddHint(const CommandTarget& w, int countBefore,
                 const std::vector<std::string>& notAdded) {
  w.movie.SetVariable("_root.hintTxt", "");
  if (w.list.Count() == countBefore && notAdded.empty())
    w.movie.SetVariable("_root.hintTxt", kAlreadyListed);
}

}  // namespace

void RunFaceCommand(const CommandTarget& target, const std::string& command) {
  static const std::array<Command, 26> kCommands = {{
      {"IDC_FS_Drag", [](const CommandTarget& w) { w.window.DragWindow(); }},
      {"IDC_FS_Minimize", [](const CommandTarget& w) { w.window.Minimize(); }},
      {"IDC_FS_Tray",
       [](const CommandTarget& w) {
         // Without a tray icon a hidden window could never come back.
         if (!w.tray.Available()) return w.window.Minimize();
         w.window.Hide();
         w.tray.SetInTray(true);
       }},
      {"IDC_FS_Close", [](const CommandTarget& w) { w.endMe(); }},
      {"IDC_FS_Slider", [](const CommandTarget& w) { w.display.HideDownloadGrid(); }},
      {"IDC_FS_Download", [](const CommandTarget& w) { w.display.ShowDownloadGrid(); }},
      {"IDC_FS_About", [](const CommandTarget& w) { w.display.HideDownloadGrid(); }},
      {"IDC_FS_Help", [](const CommandTarget& w) { w.shell.Open(w.faceDir + "/Help.html"); }},
      {"ID_FS_webSite", [](const CommandTarget& w) { w.shell.Open(kWebSite); }},
      {"IDC_FS_startDownload", [](const CommandTarget& w) { w.run.ArmStart(); }},
      {"IDC_FS_stopDownload", [](const CommandTarget& w) { w.run.cmdStartDownload_Click(); }},
      {"IDC_FS_addDownloadURL",
       [](const CommandTarget& w) {
         std::string url = w.movie.GetVariable("_root.video_url");
         RunState& state = w.run.State();
         std::vector<std::string> notAdded;
         if (!BlankOnly(url)) {
           int countBefore = w.list.Count();
           notAdded = AddDownloadURL(url, w.list, w.display, state, w.settings.AnySite);
           ShowAddHint(w, countBefore, notAdded);
         }
         if (state.Downloading) LocateRunningRow(w.list, w.display, state);
         SayNotAdded(w.dialogs, notAdded);
       }},
      {"IDC_FS_selectAllD", [](const CommandTarget& w) { w.display.SelectAllItems(); }},
      {"IDC_FS_removeSelectedD", [](const CommandTarget& w) { w.display.RemoveSelected(); }},
      {"IDC_FS_moveUp", [](const CommandTarget& w) { w.display.MoveSelectedUp(); }},
      {"IDC_FS_moveDown", [](const CommandTarget& w) { w.display.MoveSelectedDown(); }},
      {"ID_FS_clearComplete", [](const CommandTarget& w) { w.display.ClearCompleted(); }},
      {"ID_FS_retryFailed", [](const CommandTarget& w) { w.display.RetryFailed(); }},
      {"ID_FS_downloadBrowse",
       [](const CommandTarget& w) {
         PickDownloadDir(w.dialogs, w.movie, w.settings);
         w.saveSettings();
       }},
      {"ID_FS_autoDownloadCheck", [](const CommandTarget& w) { SetMonitoring(w, true); }},
      {"ID_FS_autoDownloadUncheck", [](const CommandTarget& w) { SetMonitoring(w, false); }},
      {"ID_FS_anySiteCheck", [](const CommandTarget& w) { SetAnySite(w, true); }},
      {"ID_FS_anySiteUncheck", [](const CommandTarget& w) { SetAnySite(w, false); }},
      {"ID_FS_notifyCheck", [](const CommandTarget& w) { SetNotify(w, true); }},
      {"ID_FS_notifyUncheck", [](const CommandTarget& w) { SetNotify(w, false); }},
      {"ID_FS_openFolder", [](const CommandTarget& w) { w.shell.Open(w.settings.DownloadDir); }},
  }};
  for (const Command& entry : kCommands) {
    if (entry.name == command) {
      entry.run(target);
      return;
    }
  }
}

void AddGivenAddresses(const CommandTarget& target, const std::vector<std::string>& addresses) {
  std::vector<std::string> given;
  for (const std::string& address : addresses) {
    target.movie.SetVariable("_root.video_url", address);
    if (!BlankOnly(address)) given.push_back(address);
  }
  RunState& state = target.run.State();
  std::vector<std::string> notAdded;
  bool anySite = target.settings.AnySite;
  int countBefore = target.list.Count();
  if (!given.empty()) {
    notAdded = AddDownloadURLs(given, target.list, target.display, state, anySite);
    ShowAddHint(target, countBefore, notAdded);
  }
  if (state.Downloading) LocateRunningRow(target.list, target.display, state);
  SayNotAdded(target.dialogs, notAdded);
}

}  // namespace reelcatch
