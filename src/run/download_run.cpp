#include "run/download_run.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "list/add_download_url.h"
#include "resolve/file_naming.h"
#include "resolve/get_download_link.h"
#include "run/file_info.h"
#include "run/finished_file.h"
#include "transfer/curl_errors.h"

namespace reelcatch {

namespace {

namespace fs = std::filesystem;

constexpr int kStartDelayMs = 200;
constexpr int kRateEveryMs = 1000;
constexpr const char* kPartSuffix = ".part";

constexpr const char* kEmptyListText = "Please add video URL's first.";
constexpr const char* kEmptyListTitle = "Empty List";
constexpr const char* kCancelQuestion = "Are you sure that you want to cancel downloading?";
constexpr const char* kNotConnectedText =
    "You are not connected to the internet, Please connect first then try again";

// The first two characters of a size text read as -1, or not as a number at
// all, when the server reported neither a size nor the file. Read without
// the user's locale: the size texts always write ".".
bool SizeTextMarksFailure(const std::string& fileSize) {
  std::string_view head = std::string_view(fileSize).substr(0, 2);
  double value = 0;
  auto [end, error] = std::from_chars(head.data(), head.data() + head.size(), value);
  if (error != std::errc()) return true;
  while (end != head.data() + head.size() && *end == ' ') ++end;
  return end != head.data() + head.size() || value == -1.0;
}

}  // namespace

bool LacksSpace(int error) { return error == ENOSPC || error == EFBIG || error == EDQUOT; }

std::string WriteFailure(int error) { return reasons::kCouldNotWrite + SystemErrorText(error); }

DownloadRun::DownloadRun(DownloadList& list, ListDisplay& display, Download& control,
                         const Settings& settings, RunPorts ports, PrivateFolder pageFolder)
    : list_(list),
      display_(display),
      control_(control),
      settings_(settings),
      ports_(ports),
      pageFolder_(std::move(pageFolder)),
      tmrDownload_(ports.timers.CreateTimer([this] { tmrDownload_Timer(); })) {
  tmrDownload_->SetInterval(kStartDelayMs);
  tmrRate_ = ports.timers.CreateTimer([this] {
    // Nothing arrived since the last tick: the speed falls.
    rate_.NoteQuiet(TransferRate::Clock::now());
    ShowRunProgress();
  });
  tmrRate_->SetInterval(kRateEveryMs);
  control_.SetEvents(this);
  // The run's stop ends whatever the control waits for: a page, a HEAD or
  // a video.
  control_.SetStopCheck([this] { return state_.Downloading && state_.CancelRequested; });
  list_.SetRemovalObserver([this](uint64_t key) { ItemRemoved(key); });
}

DownloadRun::~DownloadRun() {
  list_.SetRemovalObserver(nullptr);
  control_.SetStopCheck(nullptr);
  control_.SetEvents(nullptr);
}

void DownloadRun::ItemRemoved(uint64_t key) {
  // Reaches a transfer that is waiting for bytes, too. It is no stop of the
  // run: the run goes on with the item that took the removed one's place.
  if (state_.Downloading && key == state_.CurrentKey) control_.CancelDownload();
}

void DownloadRun::ArmStart() { tmrDownload_->SetEnabled(true); }

void DownloadRun::tmrDownload_Timer() {
  tmrDownload_->SetEnabled(false);
  cmdStartDownload_Click();
}

void DownloadRun::SetIndicators(bool running, bool endOfRun) {
  const char* caption = running ? captions::kStop : captions::kStart;
  const char* flag = running ? "0" : "1";
  buttonCaption_ = caption;
  if (!endOfRun) ports_.tray.SetDownloadCaption(caption);
  if (endOfRun) {
    ports_.movie.SetVariable("_root.startDownload", flag);
    ports_.movie.SetVariable("_root.downloadBtn", flag);
  } else {
    ports_.movie.SetVariable("_root.downloadBtn", flag);
    ports_.movie.SetVariable("_root.startDownload", flag);
  }
  ports_.movie.SetVariable("_root.downloadTab", flag);
  if (endOfRun) ports_.tray.SetDownloadCaption(caption);
}

void DownloadRun::cmdStartDownload_Click() {
  if (list_.IsListEmpty()) {
    ports_.movie.SetVariable("_root.startDownload", "1");
    ports_.dialogs.ShowMessage(kEmptyListText, MessageButtons::Ok, MessageIcon::Exclamation,
                               kEmptyListTitle);
    return;
  }
  if (buttonCaption_ == captions::kStop) {
    MessageAnswer answer = ports_.dialogs.ShowMessage(kCancelQuestion, MessageButtons::YesNo,
                                                      MessageIcon::Question, kProgramName);
    if (answer != MessageAnswer::Yes) return;
    state_.CancelRequested = true;
    SetIndicators(false, false);
    // Reaches a transfer that is waiting for bytes, too.
    if (state_.Downloading) control_.CancelDownload();
    return;
  }
  if (state_.Downloading) {
    // A stopped run is still winding down: start again once it has ended,
    // never a second run inside the first.
    startDeferred_ = true;
    return;
  }
  if (!ports_.network.IsConnected()) {
    ports_.dialogs.ShowMessage(kNotConnectedText, MessageButtons::Ok, MessageIcon::Exclamation,
                               kProgramName);
    return;
  }
  SetIndicators(true, false);
  StartDownloading();
  if (!state_.CancelRequested) SetIndicators(false, true);
  if (startDeferred_) {
    startDeferred_ = false;
    ArmStart();
  }
}

bool DownloadRun::StartDownloading() {
  std::error_code ignored;
  fs::create_directory(settings_.DownloadDir, ignored);
  state_.CancelRequested = false;
  state_.Downloading = true;
  tally_ = {};
  pageFile_ = PageFile(pageFolder_);

  // The end is fixed now: items added later are taken up only behind an
  // item that was transferred. Keys grow in the order items were added.
  uint64_t lastKeyAtStart = 0;
  for (const DownloadItem& item : list_.Items())
    lastKeyAtStart = std::max(lastKeyAtStart, item.Key);

  int position = 0;
  bool transferred = false;
  firstItemOfRun_ = true;
  while (list_.Exists(position)) {
    if (!transferred && list_.At(position).Key > lastKeyAtStart) break;
    Outcome outcome = WorkOnItem(position);
    if (outcome == Outcome::Stopped) break;
    transferred = outcome == Outcome::Transferred;
    // Follow the item: it may have moved while it was worked on; when it
    // was removed, the next item has taken its position.
    int now = CurrentPosition();
    if (now >= 0) position = now + 1;
  }
  pageFile_.Remove();
  state_.Downloading = false;
  state_.CurrentKey = 0;
  ShowRunProgress();
  if (endObserver_) endObserver_(tally_);
  return true;
}

void DownloadRun::SetCurrentItem(int position) {
  state_.CurrentKey = list_.At(position).Key;
  state_.CurrentIndex = static_cast<int16_t>(position);
}

int DownloadRun::CurrentPosition() {
  if (state_.CurrentKey == 0) return -1;
  int position = list_.PositionOfKey(state_.CurrentKey, state_.CurrentIndex);
  if (position >= 0) state_.CurrentIndex = static_cast<int16_t>(position);
  return position;
}

void DownloadRun::LocateCurrentRow() { LocateRunningRow(list_, display_, state_); }

DownloadRun::Outcome DownloadRun::WorkOnItem(int position) {
  const std::string& status = list_.At(position).Status;
  if (status == texts::kComplete || status == texts::kError) {
    SetCurrentItem(position);
    return Outcome::Skipped;
  }
  SetCurrentItem(position);
  list_.Edit(position).Reason.clear();
  // Once the face shows the run's progress, it follows every item.
  if (!shownProgress_.empty()) ShowRunProgress();
  LocateCurrentRow();
  // The list follows the run; a new run brings its first item back into view.
  display_.ShowCurrentRow(std::exchange(firstItemOfRun_, false));
  std::string link = PrepareItem(state_.CurrentIndex);
  display_.FillDownloadList();
  if (state_.CancelRequested) {
    WriteStatus(texts::kCancelled, false);
    display_.FillDownloadList();
    return Outcome::Stopped;
  }
  int now = CurrentPosition();
  if (now < 0 || list_.At(now).Status == texts::kError) return Outcome::Skipped;
  return TransferItem(now, link);
}

DownloadRun::Outcome DownloadRun::TransferItem(int position, const std::string& link) {
  if (linkIsStream_) return StreamItem(position, link);
  if (!IsPlainFileName(list_.At(position).FileName)) return EndItem(reasons::kUnusableName);
  std::optional<DownloadFolder> folder = DownloadFolder::Open(settings_.DownloadDir);
  if (!folder) return EndItem(WriteFailure(errno));
  const FolderIdentity identity = folder->Identity();
  std::string name = FreeName(identity, list_.At(position).FileName);
  if (name != list_.At(position).FileName) {
    list_.Edit(position).FileName = name;
    display_.FillDownloadList();
    if (CurrentPosition() < 0) return Outcome::Skipped;
  }
  PartFile part(*folder, PartName(identity, name));
  if (!part.ClaimExisting()) {
    return EndItem(part.InUse() ? reasons::kInUse : WriteFailure(part.Problem()));
  }
  std::string path = (fs::path(settings_.DownloadDir) / part.Name()).string();
  bool completed = Transfer(part, path, link);
  EndTransferProgress();
  // The partial file goes with this item.
  control_.SetLocalFile(path);
  if (state_.CancelRequested) {
    WriteStatus(texts::kCancelled, false);
    display_.FillDownloadList();
    return Outcome::Stopped;
  }
  if (CurrentPosition() < 0) {
    // The item was removed: what was written for it is nobody's now.
    part.Remove();
    return Outcome::Transferred;
  }
  // Its page gave no address the second time: it has failed already.
  if (list_.At(CurrentPosition()).Status == texts::kError) {
    display_.FillDownloadList();
    return Outcome::Transferred;
  }
  if (!completed && !part.InUse() && LacksSpace(control_.FileError())) part.Remove();
  std::string failure = TransferFailure(completed, list_.At(CurrentPosition()).FileSize, part);
  if (failure.empty()) failure = GiveFinalName(part, identity, name);
  if (failure.empty()) {
    WriteStatus(texts::kComplete, false);
  } else {
    FailCurrentItem(failure);
  }
  display_.FillDownloadList();
  return Outcome::Transferred;
}

bool DownloadRun::Transfer(PartFile& part, const std::string& path, std::string link) {
  bool prepared = false;
  for (int retry = 1;; ++retry) {
    control_.SetUrl(link);
    control_.SetLocalFile(path,
                          [&part](const BodyStart& start) { return part.OpenForWriting(start); });
    control_.SetResumeFrom(part.Resumable());
    LocateCurrentRow();
    // What a resumed file held already is no speed of this transfer's.
    rate_.Restart();
    // A stop confirmed while nothing was being transferred must not be lost
    // to the transfer's own fresh start.
    bool completed = !state_.CancelRequested && control_.StartDownload();
    if (state_.CancelRequested || CurrentPosition() < 0) return completed;
    long status = control_.StatusCode();
    if (completed && status < 400) return true;
    // An address that worked before and is gone now has expired: the page
    // gives a fresh one, once.
    if (retry > 1 && !prepared && (status == 403 || status == 404 || status == 410)) {
      prepared = true;
      link = PrepareItem(state_.CurrentIndex);
      if (link == link_results::kNoSite || CurrentPosition() < 0) return false;
      continue;
    }
    if (retry > retries_ || !control_.MayPassOnRetry()) return completed;
    if (!WaitToRetry(retry)) return completed;
  }
}

bool DownloadRun::WaitToRetry(int retry) {
  constexpr long kMaxWaitSeconds = 60;
  long seconds =
      std::min(control_.RetryAfter().value_or(1L << std::min(retry - 1, 5)), kMaxWaitSeconds);
  WriteStatus("Retrying (" + std::to_string(retry) + "/" + std::to_string(retries_) + ")...", true);
  display_.FillDownloadList();
  return control_.Wait(std::chrono::seconds(seconds)) && CurrentPosition() >= 0;
}

DownloadRun::Outcome DownloadRun::EndItem(const std::string& reason) {
  FailCurrentItem(reason);
  display_.FillDownloadList();
  return Outcome::Transferred;
}

// Why a finished transfer does not count as the video: an incomplete body,
// an error page, or a size text that marks failure. Empty when it counts.
std::string DownloadRun::TransferFailure(bool completed, const std::string& fileSize,
                                         const PartFile& part) const {
  if (!completed) {
    if (part.InUse()) return reasons::kInUse;
    if (control_.FileError() != 0) return WriteFailure(control_.FileError());
    if (!control_.FailureReason().empty()) return control_.FailureReason();
    return state_.DownloadResult.empty() ? reasons::kNotReceived : state_.DownloadResult;
  }
  if (control_.StatusCode() >= 400) {
    return HttpStatusText(control_.StatusCode(), control_.ReasonPhrase());
  }
  if (SizeTextMarksFailure(fileSize)) {
    if (headFailure_.empty()) return reasons::kNoSizeNoFile;
    return std::string(reasons::kNoInformation) + ": " + headFailure_;
  }
  return {};
}

// Empty when the file has its name and is on the disk.
std::string DownloadRun::GiveFinalName(PartFile& part, FolderIdentity folder,
                                       const std::string& name) {
  // Flushing costs a wait on the disk per file; it is only needed where a
  // crash could otherwise cost the user an older file of that name.
  const bool replacing = part.NameTaken(name);
  if (replacing && !part.Flush()) {
    if (LacksSpace(part.Problem())) part.Remove();
    return WriteFailure(part.Problem());
  }
  if (!part.Rename(name, replacing)) {
    return reasons::kNotRenamed + SystemErrorText(part.Problem());
  }
  finished_.emplace(folder, name);
  return {};
}

std::string DownloadRun::RenameFile(const std::string& from, const std::string& to) {
  std::string refusal = RenameFinishedFile(settings_.DownloadDir, from, to);
  std::optional<DownloadFolder> folder = DownloadFolder::Open(settings_.DownloadDir);
  if (refusal.empty() && folder && finished_.erase({folder->Identity(), from}) > 0)
    finished_.emplace(folder->Identity(), to);
  return refusal;
}

std::string DownloadRun::FreeName(FolderIdentity folder, const std::string& name) const {
  std::string free = name;
  for (int n = 2; finished_.contains({folder, free}); ++n) {
    free = NumberedFileName(name, n, kMaxFileNameBytes);
  }
  return free;
}

// A name may equal a finished file's name plus the suffix: that file is
// never taken for a leftover partial one.
std::string DownloadRun::PartName(FolderIdentity folder, const std::string& name) const {
  std::string part = name + kPartSuffix;
  while (finished_.contains({folder, part})) part += kPartSuffix;
  return part;
}

std::string DownloadRun::PageFailure() const {
  const std::string& why = control_.FailureReason();
  if (why == failure_reasons::kTooLarge) return reasons::kPageTooLarge;
  return reasons::kPageNotFetched + (why.empty() ? state_.DownloadResult : why);
}

void DownloadRun::WriteStatus(const std::string& status, bool toRow) {
  int position = CurrentPosition();
  if (position < 0) return;
  SetStatus(position, status);
  if (toRow) display_.WriteCurrentRowStatus(status);
}

void DownloadRun::FailItem(int position, const std::string& reason) {
  list_.Edit(position).Reason = reason;
  SetStatus(position, texts::kError);
}

void DownloadRun::FailCurrentItem(const std::string& reason) {
  int position = CurrentPosition();
  if (position >= 0) FailItem(position, reason);
}

void DownloadRun::SetStatus(int position, const std::string& status) {
  list_.Edit(position).Status = status;
  if (state_.Downloading && status == texts::kComplete) ++tally_.downloaded;
  if (state_.Downloading && status == texts::kError) ++tally_.failed;
  if (statusObserver_) statusObserver_(position);
}

}  // namespace reelcatch
