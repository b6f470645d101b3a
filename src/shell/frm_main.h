#pragma once

#include <memory>
#include <string>
#include <vector>

#include "list/download_list.h"
#include "list/list_display.h"
#include "resolve/run_state.h"
#include "run/settings.h"
#include "shell/mod_settings.h"
#include "shell/ports.h"
#include "shell/program_folders.h"
#include "surface/window_hook.h"

namespace reelcatch {

class Download;
class DownloadRun;
class CRegister;
class ClipboardMonitor;
struct CommandTarget;
struct ItemActions;
struct RunTally;

// The main window: the composition root. It owns the list, the one Download
// control, the run and its state, the settings and the timers, and wires the
// parts that act on them (the face's commands, the clipboard monitor, the
// window hook), none of which knows the window. Their operations are reached
// through it by name.
class FrmMain {
 public:
  // folders says where the face, the help page and the watcher lie; channel
  // names the watcher's delivery channel, empty when there is none.
  FrmMain(Ports ports, ProgramFolders folders, std::string channel);
  ~FrmMain();
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  // Start-up and shutdown.
  void Form_Load();
  void InitMainWindow();
  [[noreturn]] void EndMe();

  // The face's commands.
  void Flash_FSCommand(const std::string& command, const std::string& args);
  // Page addresses from outside the face: a command line, a later start.
  void AddGivenAddresses(const std::vector<std::string>& addresses);

  // The tray icon and its menu. Buttons: 1 left, 2 right.
  void SysTray_MouseDown(int button, int id);
  void SysTray_MouseDblClick(int button, int id);
  void mnuReelcatch_Click();
  void mnuDownload_Click();
  void mnuMonitor_Click();
  void mnuExit_Click();

  // Clipboard monitoring.
  void Monitor(bool bState);
  void txtMonitor_Change(const std::string& text);
  void chkMonitor_Click();
  void tmrMonitor_Timer();

  // Folder selection.
  void cmdBrowse_Click();
  void SaveCurrentSettings();

  // The user gave the window a new size: it is kept for the next start.
  void MainWindowResized(int width, int height);

  // The grid's item commands, on the items chosen in it: which apply, and
  // each of them. Addresses are one a line.
  ItemActions ChosenItemActions();
  void OpenChosenFile();
  void OpenDownloadFolder();
  std::string ChosenAddresses(bool videoAddresses);
  void RetryChosen();
  void RemoveChosen();

  // The window hook: a wheel turn over the main window.
  void MainWindowWheel(int delta);
  void ScrollUp();
  void ScrollDown();

  DownloadList& List() { return list_; }
  ListDisplay& Display() { return display_; }
  DownloadRun& Run() { return *run_; }
  Download& Control() { return *download_; }
  Settings& CurrentSettings() { return settings_; }
  Timer& EndTimer() { return *tmrEnd_; }
  Timer& MonitorTimer();

 private:
  // Tells a run's end beside the tray icon when the window is out of sight.
  void RunEnded(const RunTally& tally);
  // The path of a file of this name in the download folder.
  std::string FilePath(const std::string& name) const;

  Ports ports_;
  ProgramFolders folders_;
  DownloadList list_;
  ListDisplay display_;
  Settings settings_;
  std::unique_ptr<Download> download_;
  std::unique_ptr<DownloadRun> run_;
  std::unique_ptr<CRegister> register_;
  std::unique_ptr<Timer> tmrEnd_;
  WheelScroller hook_;
  std::unique_ptr<CommandTarget> commands_;
  std::unique_ptr<ClipboardMonitor> monitor_;
  std::optional<WindowSize> keptSize_;
};

}  // namespace reelcatch
