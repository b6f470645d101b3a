// The face's commands: a table from command name to operation, compared
// exactly, in order; the arguments are never looked at.
#include <array>
#include <functional>
#include <string_view>

#include "list/add_download_url.h"
#include "run/download_run.h"
#include "shell/cregister.h"
#include "shell/frm_main.h"
#include "shell/mod_settings.h"
#include "surface/web_site.h"

namespace reelcatch {

namespace {

bool BlankOnly(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

struct Command {
  std::string_view name;
  void (*run)(FrmMain& window, Ports& ports);
};

}  // namespace

void FrmMain::Flash_FSCommand(const std::string& command, const std::string&) {
  static const std::array<Command, 20> kCommands = {{
      {"IDC_FS_Drag", [](FrmMain&, Ports& p) { p.window.DragWindow(); }},
      {"IDC_FS_Minimize", [](FrmMain&, Ports& p) { p.window.Minimize(); }},
      {"IDC_FS_Tray",
       [](FrmMain&, Ports& p) {
         // Without a tray icon a hidden window could never come back.
         if (!p.tray.Available()) return p.window.Minimize();
         p.window.Hide();
         p.tray.SetInTray(true);
       }},
      {"IDC_FS_Close", [](FrmMain& w, Ports&) { w.EndMe(); }},
      {"IDC_FS_Slider", [](FrmMain& w, Ports&) { w.Display().HideDownloadGrid(); }},
      {"IDC_FS_Download", [](FrmMain& w, Ports&) { w.Display().ShowDownloadGrid(); }},
      {"IDC_FS_About", [](FrmMain& w, Ports&) { w.Display().HideDownloadGrid(); }},
      {"IDC_FS_Help", [](FrmMain& w, Ports& p) { p.shell.Open(w.ProgramDir() + "/Help.html"); }},
      {"ID_FS_webSite", [](FrmMain&, Ports& p) { p.shell.Open(kWebSite); }},
      {"IDC_FS_startDownload", [](FrmMain& w, Ports&) { w.Run().ArmStart(); }},
      {"IDC_FS_stopDownload", [](FrmMain& w, Ports&) { w.Run().cmdStartDownload_Click(); }},
      {"IDC_FS_addDownloadURL",
       [](FrmMain& w, Ports& p) {
         std::string url = p.movie.GetVariable("_root.video_url");
         RunState& state = w.Run().State();
         if (!BlankOnly(url)) AddDownloadURL(url, w.List(), w.Display(), state);
         if (state.Downloading) LocateRunningRow(w.List(), w.Display(), state);
       }},
      {"IDC_FS_selectAllD", [](FrmMain& w, Ports&) { w.Display().SelectAllItems(); }},
      {"IDC_FS_removeSelectedD", [](FrmMain& w, Ports&) { w.Display().RemoveSelected(); }},
      {"IDC_FS_moveUp", [](FrmMain& w, Ports&) { w.Display().MoveSelectedUp(); }},
      {"IDC_FS_moveDown", [](FrmMain& w, Ports&) { w.Display().MoveSelectedDown(); }},
      {"ID_FS_clearComplete", [](FrmMain& w, Ports&) { w.Display().ClearCompleted(); }},
      {"ID_FS_downloadBrowse",
       [](FrmMain& w, Ports&) {
         w.cmdBrowse_Click();
         w.SaveCurrentSettings();
       }},
      {"ID_FS_autoDownloadCheck",
       [](FrmMain& w, Ports&) {
         w.Monitor(true);
         w.CurrentSettings().URLMon = true;
         w.SaveCurrentSettings();
       }},
      {"ID_FS_autoDownloadUncheck",
       [](FrmMain& w, Ports&) {
         w.Monitor(false);
         w.CurrentSettings().URLMon = false;
         w.SaveCurrentSettings();
       }},
  }};
  for (const Command& entry : kCommands) {
    if (entry.name == command) {
      entry.run(*this, ports_);
      return;
    }
  }
}

void FrmMain::SaveCurrentSettings() { SaveSettings(*register_, settings_); }

}  // namespace reelcatch
