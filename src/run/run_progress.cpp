// What the run tells of its progress beside the items' statuses: the
// running transfer's speed and time left, and the face's progress line.
#include <optional>
#include <string>

#include "run/download_run.h"

namespace reelcatch {

std::string TallyText(const RunTally& tally) {
  if (tally.downloaded == 0 && tally.failed == 0) return {};
  std::string text = std::to_string(tally.downloaded) + " downloaded";
  if (tally.failed > 0) text += ", " + std::to_string(tally.failed) + " failed";
  return text;
}

void DownloadRun::NoteTransferProgress(uint64_t bytes) {
  rate_.Note(TransferRate::Clock::now(), bytes);
  if (tmrRate_->Enabled()) return;
  tmrRate_->SetEnabled(true);
  ShowRunProgress();
}

void DownloadRun::EndTransferProgress() {
  rate_.Restart();
  if (tmrRate_->Enabled()) tmrRate_->SetEnabled(false);
  ShowRunProgress();
}

std::string DownloadRun::RateText(const std::string& separator) const {
  std::optional<double> speed = rate_.BytesPerSecond();
  if (!tmrRate_->Enabled() || !speed) return {};
  std::string text = SpeedText(*speed);
  // A stream's length is not known in bytes.
  const float size = stream_ ? 0 : control_.FileSize();
  std::optional<int64_t> left =
      size > 0 ? rate_.SecondsLeft(static_cast<uint64_t>(size)) : std::nullopt;
  if (left) text += separator + TimeLeftText(*left);
  return text;
}

void DownloadRun::ShowRunProgress() {
  std::string text;
  int position = state_.Downloading ? CurrentPosition() : -1;
  if (position >= 0) {
    text = "Downloading " + std::to_string(position + 1) + " of " + std::to_string(list_.Count());
    std::string rate = RateText();
    if (!rate.empty()) text += kProgressSeparator + rate;
  }
  if (text == shownProgress_) return;
  shownProgress_ = text;
  ports_.movie.SetVariable("_root.progressTxt", text);
}

}  // namespace reelcatch
