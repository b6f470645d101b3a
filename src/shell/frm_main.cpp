#include "shell/frm_main.h"

#include <cstdlib>
#include <filesystem>

#include "list/item_actions.h"
#include "monitor/clipboard_monitor.h"
#include "platform/movie_variables.h"
#include "platform/private_folder.h"
#include "run/download_run.h"
#include "shell/cregister.h"
#include "shell/mod_settings.h"
#include "surface/folder_selection.h"
#include "surface/fs_command.h"
#include "transfer/download.h"
#include "version.h"

namespace reelcatch {

namespace {

// The window's size at start, and its smallest.
constexpr WindowSize kWindowSize{640, 550};

constexpr int kEndDelayMs = 200;

std::string AboutText() {
  return "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + ".0." +
         std::to_string(kRevision) +
         "\r\nReelcatch is an easy to use program to download video files from "
         "google,youtube,iFilm and other 9 video sharing sites to your PC.";
}

}  // namespace

FrmMain::FrmMain(Ports ports, ProgramFolders folders, std::string channel)
    : ports_(ports),
      folders_(std::move(folders)),
      display_(list_, ports.grid, ports.loop, ports.dialogs),
      download_(std::make_unique<Download>(ports.loop)),
      register_(std::make_unique<CRegister>()),
      hook_(ports.grid) {
  run_ = std::make_unique<DownloadRun>(
      list_, display_, *download_, settings_,
      RunPorts{ports.movie, ports.tray, ports.dialogs, ports.network, ports.timers},
      PrivateRuntimeFolder());
  tmrEnd_ = ports.timers.CreateTimer([this] {
    tmrEnd_->SetEnabled(false);
    EndMe();
  });
  tmrEnd_->SetInterval(kEndDelayMs);
  commands_ = std::make_unique<CommandTarget>(
      CommandTarget{ports.window, ports.tray, ports.shell, ports.movie, ports.dialogs, list_,
                    display_, *run_, settings_, folders_.face, [this] { EndMe(); },
                    [this](bool on) { Monitor(on); }, [this] { SaveCurrentSettings(); }});
  monitor_ = std::make_unique<ClipboardMonitor>(
      MonitorPorts{ports.shell, ports.clipboard, ports.movie, ports.timers, ports.dialogs}, list_,
      display_, *run_, settings_, folders_.watcher, std::move(channel));
  ports.grid.SetEvents(&display_);
  display_.SetFileRenamer([this](const DownloadItem& item, const std::string& name) {
    return run_->RenameFile(item.FileName, name);
  });
  run_->SetEndObserver([this](const RunTally& tally) { RunEnded(tally); });
}

FrmMain::~FrmMain() { ports_.grid.SetEvents(nullptr); }

Timer& FrmMain::MonitorTimer() { return monitor_->MonitorTimer(); }

void FrmMain::Form_Load() {
  // The site box's "Auto" entry is the only one; nothing reads it.
  InitMainWindow();
  LoadSettings(*register_, settings_, ports_.movie, [this](bool on) { Monitor(on); });
  keptSize_ = ReadWindowSize(*register_);
  if (keptSize_) ports_.window.Resize(keptSize_->width, keptSize_->height);
  ports_.window.StartHook();
}

void FrmMain::InitMainWindow() {
  ports_.tray.SetTip(kProgramName);
  ports_.tray.SetInTray(true);
  ports_.window.SetSize(kWindowSize.width, kWindowSize.height);
  ports_.movie.LoadMovie(0, folders_.face + "/Main.qml");
  ports_.grid.SetGeometry(40, 220, 575, 178);
  display_.FormatDownloadGrid(true);
  SetMovieVariable(ports_.movie, "_root.aboutTxt", AboutText());
}

void FrmMain::EndMe() {
  RunState& state = run_->State();
  // Only a run that is still running is asked about; one whose stop was
  // already confirmed is simply abandoned, and never restarted.
  if (state.Downloading && run_->StartButtonCaption() == captions::kStop) {
    run_->cmdStartDownload_Click();
  }
  ports_.window.StopHook();
  Monitor(false);
  // The process ends here, from inside the run if one is going.
  run_->RemovePageFile();
  ports_.window.Quit();
  std::abort();  // Quit never returns.
}

void FrmMain::AddGivenAddresses(const std::vector<std::string>& addresses) {
  reelcatch::AddGivenAddresses(*commands_, addresses);
}

void FrmMain::SysTray_MouseDown(int button, int) {
  if (button != 2) return;
  ports_.window.BringToForeground();
  ports_.tray.SetMonitorChecked(settings_.URLMon);
  ports_.tray.PopupMenu();
}

// Both bring the window back from every state, minimised too: a window left
// minimised or behind others could otherwise not be reached from the tray.
void FrmMain::SysTray_MouseDblClick(int button, int) {
  if (button == 1) ports_.window.Restore();
}

void FrmMain::mnuReelcatch_Click() { ports_.window.Restore(); }

void FrmMain::mnuDownload_Click() {
  if (ports_.tray.DownloadCaption() == captions::kStart) {
    Flash_FSCommand("IDC_FS_startDownload", "");
  } else {
    Flash_FSCommand("IDC_FS_stopDownload", "");
  }
}

void FrmMain::mnuMonitor_Click() {
  Monitor(!ports_.tray.MonitorChecked());
  SendSettingsToMovie(settings_, ports_.movie);
}

void FrmMain::mnuExit_Click() { tmrEnd_->SetEnabled(true); }

void FrmMain::Flash_FSCommand(const std::string& command, const std::string&) {
  RunFaceCommand(*commands_, command);
}

void FrmMain::Monitor(bool bState) { monitor_->Monitor(bState); }
void FrmMain::txtMonitor_Change(const std::string& text) { monitor_->txtMonitor_Change(text); }
void FrmMain::chkMonitor_Click() { monitor_->chkMonitor_Click(); }
void FrmMain::tmrMonitor_Timer() { monitor_->tmrMonitor_Timer(); }

void FrmMain::cmdBrowse_Click() { PickDownloadDir(ports_.dialogs, ports_.movie, settings_); }
void FrmMain::SaveCurrentSettings() { SaveSettings(*register_, settings_); }

void FrmMain::MainWindowResized(int width, int height) {
  WindowSize size{width, height};
  if (keptSize_.value_or(kWindowSize) == size) return;
  keptSize_ = size;
  SaveWindowSize(*register_, size);
}

// Out of sight, the end of a run would go unnoticed.
void FrmMain::RunEnded(const RunTally& tally) {
  if (!settings_.Notify) return;
  if (ports_.window.IsVisible() && !ports_.window.IsMinimized()) return;
  std::string text = TallyText(tally);
  if (!text.empty()) ports_.tray.ShowMessage(kProgramName, text);
}

std::string FrmMain::FilePath(const std::string& name) const {
  return (std::filesystem::path(settings_.DownloadDir) / name).string();
}

ItemActions FrmMain::ChosenItemActions() {
  std::vector<const DownloadItem*> items;
  for (int position : display_.ChosenPositions()) items.push_back(&list_.At(position));
  std::error_code ignored;
  return ActionsFor(items, std::filesystem::is_directory(settings_.DownloadDir, ignored),
                    [this](const DownloadItem& item) {
                      std::error_code none;
                      return std::filesystem::is_regular_file(FilePath(item.FileName), none);
                    });
}

void FrmMain::OpenChosenFile() {
  if (!ChosenItemActions().openFile) return;
  ports_.shell.Open(FilePath(list_.At(display_.ChosenPositions().front()).FileName));
}

void FrmMain::OpenDownloadFolder() { Flash_FSCommand("ID_FS_openFolder", ""); }

std::string FrmMain::ChosenAddresses(bool videoAddresses) {
  std::string text;
  for (int position : display_.ChosenPositions()) {
    const DownloadItem& item = list_.At(position);
    const std::string& address = videoAddresses ? item.MediaUrl : item.Video_URL;
    if (!address.empty()) text += (text.empty() ? "" : "\n") + address;
  }
  return text;
}

void FrmMain::RetryChosen() { display_.RetryItems(display_.ChosenPositions()); }

void FrmMain::RemoveChosen() { Flash_FSCommand("IDC_FS_removeSelectedD", ""); }

void FrmMain::MainWindowWheel(int delta) { hook_.MainWindowWheel(delta); }
void FrmMain::ScrollUp() { hook_.ScrollUp(); }
void FrmMain::ScrollDown() { hook_.ScrollDown(); }

}  // namespace reelcatch
