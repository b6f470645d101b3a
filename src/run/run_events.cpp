// The window's handlers of the Download control's events: they turn the
// control's reports into the running item's status text.
#include <string>

#include "resolve/file_naming.h"
#include "run/download_run.h"

namespace reelcatch {

void DownloadRun::DownloadProgress(int64_t& lProgress) {
  if (state_.CancelRequested) control_.CancelDownload();
  int position = CurrentPosition();
  if (position < 0) return;
  if (stream_) {
    ShowStreamProgress(false);
    return;
  }
  if (state_.Preparing) {
    std::string status = lProgress > 100 ? std::string(texts::kPreparingBytes)
                                         : "Preperaing (" + std::to_string(lProgress) + "%)";
    WriteStatus(status, true);
    display_.FillDownloadList();
    return;
  }
  NoteTransferProgress(control_.Position());
  if (list_.At(position).FileSize == "0") {
    WriteStatus(FormatFileSize(static_cast<float>(lProgress)) + "so far..", true);
  } else {
    WriteStatus(std::to_string(lProgress), true);
  }
}

void DownloadRun::DownloadComplete() {
  if (state_.Preparing) WriteStatus(texts::kStartDownloading, false);
  state_.DownloadResult = "1";
}

void DownloadRun::DownloadError(std::string& sErrorDescription) {
  state_.DownloadResult = sErrorDescription;
}

}  // namespace reelcatch
