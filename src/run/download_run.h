#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "list/download_list.h"
#include "list/list_display.h"
#include "platform/dialogs.h"
#include "platform/movie.h"
#include "platform/network.h"
#include "platform/private_folder.h"
#include "platform/timers.h"
#include "platform/window.h"
#include "resolve/page_file.h"
#include "resolve/run_state.h"
#include "run/download_folder.h"
#include "run/settings.h"
#include "run/transfer_rate.h"
#include "stream/stream_download.h"
#include "transfer/download.h"

namespace reelcatch {

// Captions of the start/stop button and the tray menu's download item.
namespace captions {
inline constexpr const char* kStart = "Start Downloading";
inline constexpr const char* kStop = "Stop Downloading";
}  // namespace captions

// Why an item ended "ERROR", as the user is told.
namespace reasons {
inline constexpr const char* kNotSupported = "Link is not supported";
inline constexpr const char* kNoVideo = "No video found on the page";
inline constexpr const char* kPageNotFetched = "Page not fetched: ";
inline constexpr const char* kPageTooLarge = "Page too large";
inline constexpr const char* kNoInformation = "The server could not be asked about the video";
inline constexpr const char* kUnusableName = "Not a usable file name";
inline constexpr const char* kNotReceived = "The video did not arrive whole";
inline constexpr const char* kNoSizeNoFile = "The server reported neither a size nor the file";
inline constexpr const char* kNotRenamed = "Could not give the file its name: ";
inline constexpr const char* kCouldNotWrite = "Could not write file: ";
inline constexpr const char* kInUse = "in use by another download";
inline constexpr const char* kNoPageFile = "No private place for the page file: ";
}  // namespace reasons

// Failures for lack of room: the partial file is given up, so that it does
// not keep the next item from being written.
bool LacksSpace(int error);
std::string WriteFailure(int error);

// Between the parts of the run's progress line: a middle dot.
inline constexpr const char* kProgressSeparator = " \xC2\xB7 ";

// What a run came to: the items it finished and those that failed.
struct RunTally {
  int downloaded = 0;
  int failed = 0;
};

// "12 downloaded, 1 failed" (the failures only when there are some); empty
// when the run ended nothing.
std::string TallyText(const RunTally& tally);

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
// control's reports into status texts. Each run fetches its pages into a
// page file of its own in pageFolder, removed when the run ends.
class DownloadRun : public DownloadEvents {
 public:
  DownloadRun(DownloadList& list, ListDisplay& display, Download& control, const Settings& settings,
              RunPorts ports, PrivateFolder pageFolder);
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

  // How often a transfer that failed in a way that may pass is tried again
  // (5 unless told otherwise; 0: never).
  void SetRetries(int retries) { retries_ = retries; }

  // Told of every status the run writes, with the item's position.
  void SetStatusObserver(std::function<void(int position)> observer) {
    statusObserver_ = std::move(observer);
  }

  // Told when a run has ended, stopped or not, with what it came to.
  void SetEndObserver(std::function<void(const RunTally&)> observer) {
    endObserver_ = std::move(observer);
  }

  // Gives a finished item's file in the download folder its new name (see
  // RenameFinishedFile): empty when done, else why not. Later items keep off
  // the new name as they kept off the old.
  std::string RenameFile(const std::string& from, const std::string& to);

  RunState& State() { return state_; }
  const RunState& State() const { return state_; }
  const std::string& StartButtonCaption() const { return buttonCaption_; }
  Timer& DownloadTimer() { return *tmrDownload_; }
  // The running transfer's speed and, with a known size, the time it still
  // needs ("12.4 MB/s · 1:05 left"), the two apart by separator; empty
  // before the speed is known.
  std::string RateText(const std::string& separator = kProgressSeparator) const;
  // Re-finds the running item's grid row (after the list was rebuilt).
  void LocateCurrentRow();
  // For a program that ends in the middle of a run, without unwinding.
  void RemovePageFile() { pageFile_.Remove(); }

 private:
  enum class Outcome { Transferred, Skipped, Stopped };

  Outcome WorkOnItem(int position);
  Outcome TransferItem(int position, const std::string& link);
  // The same for a link that is a stream playlist.
  Outcome StreamItem(int position, const std::string& link);
  // The partial files of a stream's item, and the name they are named after.
  struct StreamFiles {
    PartFile& video;
    PartFile& audio;
    FolderIdentity folder;
    std::string base;
  };
  // Ends the item as the stream ended: named and "Complete", "Cancelled" or
  // "ERROR" with why.
  Outcome EndStreamItem(const StreamOutcome& outcome, uint64_t bytes, StreamFiles files);
  // Names the files of a stream that ended well (or a live recording the
  // user stopped); why not, when it could not.
  std::string NameStreamFiles(const StreamOutcome& outcome, StreamFiles& files);
  StreamHooks HooksFor(PartFile& video, PartFile& audio);
  // The running stream's progress in the item's cells; its size cell only
  // once a segment has ended.
  void ShowStreamProgress(bool segmentEnded);
  // Transfers link into part, going on from what it holds, and tries again
  // while a failure may pass; whether the last try completed.
  bool Transfer(PartFile& part, const std::string& path, std::string link);
  // Shows the coming retry and waits for it; false when the wait was ended.
  bool WaitToRetry(int retry);
  // Ends the running item "ERROR" before anything was transferred.
  Outcome EndItem(const std::string& reason);
  std::string TransferFailure(bool completed, const std::string& fileSize,
                              const PartFile& part) const;
  std::string GiveFinalName(PartFile& part, FolderIdentity folder, const std::string& name);
  // The name an item's file gets in folder: its own, unless a file this
  // program finished there has it.
  std::string FreeName(FolderIdentity folder, const std::string& name) const;
  std::string PartName(FolderIdentity folder, const std::string& name) const;
  // Why the page of the running item was not fetched.
  std::string PageFailure() const;
  void SetIndicators(bool running, bool endOfRun);
  // The running item's position now, -1 when it was removed.
  int CurrentPosition();
  void WriteStatus(const std::string& status, bool toRow);
  // Ends the item at position "ERROR", keeping why.
  void FailItem(int position, const std::string& reason);
  // The same for the running item, wherever it is now.
  void FailCurrentItem(const std::string& reason);
  void SetStatus(int position, const std::string& status);
  void SetCurrentItem(int position);
  // The user removed an item: the one being worked on stops at once.
  void ItemRemoved(uint64_t key);
  // A video's bytes arrived: the meter takes note, and the face shows the
  // run's progress line from the first of them on.
  void NoteTransferProgress(uint64_t bytes);
  void EndTransferProgress();
  // Sets the face's progress line ("Downloading 3 of 12 · 12.4 MB/s · 1:05
  // left") when it changed; empty when no run goes.
  void ShowRunProgress();

  DownloadList& list_;
  ListDisplay& display_;
  Download& control_;
  const Settings& settings_;
  RunPorts ports_;
  PrivateFolder pageFolder_;
  PageFile pageFile_;
  RunState state_;
  std::string buttonCaption_ = captions::kStart;
  int retries_ = 5;
  std::unique_ptr<Timer> tmrDownload_;
  bool startDeferred_ = false;
  // Why the HEAD of the running item's video failed; empty when it did not.
  std::string headFailure_;
  // The running item's link is a stream playlist, as its HEAD or its path says.
  bool linkIsStream_ = false;
  // The stream being downloaded; null while none is.
  StreamDownload* stream_ = nullptr;
  std::function<void(int)> statusObserver_;
  std::function<void(const RunTally&)> endObserver_;
  RunTally tally_;
  TransferRate rate_;
  // Runs while a video transfers, so that a quiet server shows as slowing.
  std::unique_ptr<Timer> tmrRate_;
  std::string shownProgress_;
  bool firstItemOfRun_ = false;
  // The files finished in this program's lifetime, by folder and name.
  std::set<std::pair<FolderIdentity, std::string>> finished_;
};

}  // namespace reelcatch
