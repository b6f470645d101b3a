#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "list/download_list.h"
#include "list/list_display.h"
#include "platform/dialogs.h"
#include "platform/movie.h"
#include "platform/network.h"
#include "platform/timers.h"
#include "platform/window.h"
#include "resolve/run_state.h"
#include "run/settings.h"
#include "transfer/download.h"

namespace reelcatch {

// Captions of the start/stop button and the tray menu's download item.
namespace captions {
inline constexpr const char* kStart = "Start Downloading";
inline constexpr const char* kStop = "Stop Downloading";
}  // namespace captions

// What the run needs from the window around it.
struct RunPorts {
  Movie& movie;
  Tray& tray;
  Dialogs& dialogs;
  Network& network;
  TimerFactory& timers;
};

// The download run: the start/stop command with its confirmations, the
// one-shot starter timer, the run through the list, item preparation, and
// the window's handlers of the Download control's events, which turn the
// control's reports into status texts.
class DownloadRun : public DownloadEvents {
 public:
  DownloadRun(DownloadList& list, ListDisplay& display, Download& control, const Settings& settings,
              RunPorts ports, std::string pageFile);
  ~DownloadRun() override;
  DownloadRun(const DownloadRun&) = delete;
  DownloadRun& operator=(const DownloadRun&) = delete;

  // The start/stop toggle, decided by the button's caption.
  void cmdStartDownload_Click();
  // Arms the 200 ms one-shot timer whose tick performs the toggle.
  void ArmStart();
  void tmrDownload_Timer();
  bool StartDownloading();

  // Resolves the item at position index, names its file and sizes it; the
  // video address, or "-1" on every failure.
  std::string PrepareItem(int16_t index);

  // The Download control's events.
  void DownloadComplete() override;
  void DownloadProgress(int64_t& lProgress) override;
  void DownloadError(std::string& sErrorDescription) override;

  // Told of every status the run writes, with the item's position.
  void SetStatusObserver(std::function<void(int position)> observer) {
    statusObserver_ = std::move(observer);
  }

  RunState& State() { return state_; }
  const RunState& State() const { return state_; }
  const std::string& StartButtonCaption() const { return buttonCaption_; }
  Timer& DownloadTimer() { return *tmrDownload_; }
  // Re-finds the running item's grid row (after the list was rebuilt).
  void LocateCurrentRow();

 private:
  enum class Outcome { Transferred, Skipped, Stopped };

  Outcome WorkOnItem(int position);
  Outcome TransferItem(int position, const std::string& link);
  void SetIndicators(bool running, bool endOfRun);
  // The running item's position now, -1 when it was removed.
  int CurrentPosition();
  void WriteStatus(const std::string& status, bool toRow);
  void SetStatus(int position, const std::string& status);
  void SetCurrentItem(int position);
  // The user removed an item: the one being worked on stops at once.
  void ItemRemoved(uint64_t key);

  DownloadList& list_;
  ListDisplay& display_;
  Download& control_;
  const Settings& settings_;
  RunPorts ports_;
  std::string pageFile_;
  RunState state_;
  std::string buttonCaption_ = captions::kStart;
  std::unique_ptr<Timer> tmrDownload_;
  bool startDeferred_ = false;
  std::function<void(int)> statusObserver_;
};

}  // namespace reelcatch
