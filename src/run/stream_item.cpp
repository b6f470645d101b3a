// A link that is a stream playlist: its segments are downloaded into the
// item's partial file (and its audio rendition's), then named after what
// they hold.
#include <filesystem>
#include <string>

#include "platform/ascii.h"
#include "resolve/file_naming.h"
#include "resolve/media_types.h"
#include "run/download_run.h"
#include "run/file_info.h"
#include "run/finished_file.h"

namespace reelcatch {

namespace {

namespace fs = std::filesystem;

// Room for ".audio.m4a" behind the name.
constexpr size_t kMaxBaseBytes = kMaxFileNameBytes - 10;

// The item's name without the extension of the playlist or of the site's
// videos: the stream's files get the extension of what they hold.
std::string StreamBaseName(const std::string& name) {
  std::string base = name;
  size_t dot = base.rfind('.');
  if (HasMediaExtension(base) && dot != std::string::npos && dot > 0) base.erase(dot);
  if (base.size() > kMaxBaseBytes) {
    size_t cut = kMaxBaseBytes;
    while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) --cut;
    base.erase(cut);
  }
  return base;
}

}  // namespace

StreamHooks DownloadRun::HooksFor(PartFile& video, PartFile& audio) {
  StreamHooks hooks;
  hooks.openFile = [&video, &audio](bool isAudio) {
    return (isAudio ? audio : video).OpenForWriting(BodyStart{});
  };
  hooks.tryAgain = [this](int retry) {
    return retry <= retries_ && control_.MayPassOnRetry() && WaitToRetry(retry);
  };
  hooks.stopped = [this] { return state_.CancelRequested || CurrentPosition() < 0; };
  hooks.progressed = [this] { ShowStreamProgress(true); };
  return hooks;
}

void DownloadRun::ShowStreamProgress(bool segmentEnded) {
  int position = CurrentPosition();
  if (position < 0 || !stream_) return;
  uint64_t bytes = stream_->Bytes();
  NoteTransferProgress(bytes);
  std::string soFar = FormatFileSize(static_cast<float>(bytes)) + "so far..";
  size_t total = stream_->SegmentsTotal();
  WriteStatus(total > 0 ? std::to_string(stream_->SegmentsDone() * 100 / total) : soFar, true);
  if (segmentEnded && list_.At(position).FileSize != soFar) {
    list_.Edit(position).FileSize = soFar;
    display_.FillDownloadList();
  }
}

DownloadRun::Outcome DownloadRun::StreamItem(int position, const std::string& link) {
  if (!IsPlainFileName(list_.At(position).FileName)) return EndItem(reasons::kUnusableName);
  std::optional<DownloadFolder> folder = DownloadFolder::Open(settings_.DownloadDir);
  if (!folder) return EndItem(WriteFailure(errno));
  const FolderIdentity identity = folder->Identity();
  const std::string base = StreamBaseName(list_.At(position).FileName);
  PartFile video(*folder, PartName(identity, base));
  PartFile audio(*folder, PartName(identity, base + ".audio"));
  for (PartFile* part : {&video, &audio}) {
    if (!part->ClaimExisting()) {
      return EndItem(part->InUse() ? reasons::kInUse : WriteFailure(part->Problem()));
    }
  }
  list_.Edit(position).FileSize = FormatFileSize(0) + "so far..";
  rate_.Restart();
  StreamDownload stream(control_, HooksFor(video, audio));
  stream_ = &stream;
  StreamOutcome outcome = stream.Run(link);
  stream_ = nullptr;
  EndTransferProgress();
  // The partial file goes with this item.
  control_.SetLocalFile((fs::path(settings_.DownloadDir) / video.Name()).string());
  if (CurrentPosition() < 0) {
    // The item was removed: what was written for it is nobody's now.
    video.Remove();
    audio.Remove();
    return Outcome::Transferred;
  }
  return EndStreamItem(outcome, stream.Bytes(), {video, audio, identity, base});
}

DownloadRun::Outcome DownloadRun::EndStreamItem(const StreamOutcome& outcome, uint64_t bytes,
                                                StreamFiles files) {
  const bool recorded = outcome.end == StreamOutcome::End::kStopped && outcome.live &&
                        outcome.video != MediaKind::kUnknown;
  if (outcome.end == StreamOutcome::End::kStopped && !recorded) {
    WriteStatus(texts::kCancelled, false);
    display_.FillDownloadList();
    return Outcome::Stopped;
  }
  std::string failure = outcome.reason;
  if (outcome.fileError != 0) {
    failure = WriteFailure(outcome.fileError);
    if (LacksSpace(outcome.fileError)) {
      files.video.Remove();
      files.audio.Remove();
    }
  }
  if (outcome.end == StreamOutcome::End::kProtected) {
    list_.Edit(CurrentPosition()).FileName = stream_refusals::kProtected;
  }
  if (outcome.end == StreamOutcome::End::kComplete || recorded) {
    failure = NameStreamFiles(outcome, files);
    list_.Edit(CurrentPosition()).FileSize = FormatFileSize(static_cast<float>(bytes));
  }
  if (failure.empty()) {
    WriteStatus(texts::kComplete, false);
  } else {
    FailCurrentItem(failure);
  }
  display_.FillDownloadList();
  // A stopped recording ends the run, as any stop does.
  return recorded ? Outcome::Stopped : Outcome::Transferred;
}

std::string DownloadRun::NameStreamFiles(const StreamOutcome& outcome, StreamFiles& files) {
  const FolderIdentity folder = files.folder;
  const std::string& base = files.base;
  std::string name = FreeName(folder, base + ExtensionOf(outcome.video));
  std::string failure = GiveFinalName(files.video, folder, name);
  if (!failure.empty()) return failure;
  list_.Edit(CurrentPosition()).FileName = name;
  if (outcome.audio == MediaKind::kUnknown) return {};
  return GiveFinalName(files.audio, folder,
                       FreeName(folder, base + ".audio" + ExtensionOf(outcome.audio, true)));
}

}  // namespace reelcatch
