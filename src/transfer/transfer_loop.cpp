#include <cstdint>
#include <optional>
#include <string>

#include "platform/yielder.h"
#include "transfer/curl_errors.h"
#include "transfer/download_state.h"
#include "transfer/local_file.h"
#include "transfer/progress_value.h"
#include "transfer/response_headers.h"

namespace reelcatch {
namespace {

// Receiving pauses while this much waits to be handed on, so a fast server
// cannot fill memory between two turns of the loop, nor keep the window
// waiting for its turn while a large inbox is filled.
constexpr size_t kPauseAt = 1024 * 1024;

// What curl delivered and the loop has not handed on yet. Curl's callback
// only stores; events and yields happen in the loop, outside curl.
struct Inbox {
  std::string pending;
  bool paused = false;
};

size_t TakeBody(char* data, size_t size, size_t count, void* inbox) {
  auto* box = static_cast<Inbox*>(inbox);
  if (box->pending.size() >= kPauseAt) {
    box->paused = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  box->pending.append(data, size * count);
  return size * count;
}

// One GET of the control's Url into its LocalFile, handed on in reads of
// kChunkSize bytes with a progress event each, and one closing event.
class TransferLoop {
 public:
  explicit TransferLoop(DownloadState& state) : state_(state), yielder_(state.loop) {
    // Room for a full inbox and one more delivery, so it never grows by
    // copying into fresh memory while the window waits.
    inbox_.pending.reserve(2 * kPauseAt);
  }
  bool Run();

 private:
  enum class Stop { kNone, kCancelled, kWriteFailed };

  void Configure(CURL* easy);
  bool Turn();
  bool EnsureFile();
  bool HandOn(bool toTheEnd);
  bool ReportRead(size_t size);
  bool WriteReported();
  bool Stopped();
  bool Cancelled();
  bool Failed(const char* description);
  bool Completed();

  DownloadState& state_;
  Yielder yielder_;
  Inbox inbox_;
  ResponseHeaders headers_;
  std::optional<LocalFile> file_;
  int64_t total_ = 0;
  size_t reported_ = 0;  // bytes at the front of the inbox already handed on
  Stop stop_ = Stop::kNone;
};

void TransferLoop::Configure(CURL* easy) {
  ApplyCommonOptions(easy, state_.url, state_.limits);
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, TakeBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &inbox_);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, ResponseHeaders::Collect);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &headers_);
}

bool TransferLoop::Run() {
  Configure(state_.session->Fresh());
  HttpSession::Outcome outcome =
      state_.session->Perform(state_.limits.Stall(), [this] { return Turn(); });
  bool answered = headers_.FinalAnswerBegan() || !inbox_.pending.empty();
  state_.statusCode = headers_.FinalAnswerBegan() ? headers_.Status() : 0;
  if (stop_ != Stop::kNone) return Stopped();

  TransferFailure failure = ClassifyTransfer(outcome.result, answered);
  if (failure == TransferFailure::kNoAnswer) {
    // The session stays open for the next operation; no file was made.
    state_.RaiseError(download_errors::kCouldNotFind);
    return false;
  }
  if (!EnsureFile()) return Failed(download_errors::kCouldNotWrite);
  if (!HandOn(true)) return Stopped();
  if (failure == TransferFailure::kReadFailed) return Failed(download_errors::kCouldNotRead);
  // The HTTP layer ignores a length it cannot count and reads to the close:
  // a body cut short would pass for whole.
  if (DeclaresUncountableLength(headers_.Block())) return Failed(download_errors::kCouldNotRead);
  // The final empty read reports the end of the body.
  if (!ReportRead(0)) return Stopped();
  return Completed();
}

// Runs after every network poll.
bool TransferLoop::Turn() {
  if (headers_.FinalAnswerBegan() && !EnsureFile()) {
    stop_ = Stop::kWriteFailed;
    return false;
  }
  if (file_ && !HandOn(false)) return false;
  if (inbox_.paused) {
    inbox_.paused = false;
    state_.session->Resume();
  }
  state_.loop.DoEvents();
  // Seen here too, so a cancel reaches a transfer whose server went quiet.
  if (state_.cancelRequested) {
    stop_ = Stop::kCancelled;
    return false;
  }
  return true;
}

// The file is made only once the address has answered.
bool TransferLoop::EnsureFile() {
  if (file_) return true;
  state_.loop.DoEvents();
  file_ = LocalFile::Create(state_.localFile);
  return file_.has_value();
}

// Hands on every whole read waiting (and the short rest when the body has
// ended), then writes what was handed on.
bool TransferLoop::HandOn(bool toTheEnd) {
  const size_t chunk = Download::kChunkSize;
  while (inbox_.pending.size() - reported_ >= chunk) {
    if (!ReportRead(chunk)) return false;
  }
  if (toTheEnd && inbox_.pending.size() > reported_) {
    if (!ReportRead(inbox_.pending.size() - reported_)) return false;
  }
  if (!WriteReported()) {
    stop_ = Stop::kWriteFailed;
    return false;
  }
  return true;
}

bool TransferLoop::ReportRead(size_t size) {
  reported_ += size;
  total_ += static_cast<int64_t>(size);
  state_.RaiseProgress(ProgressValue(total_, state_.facts.fileSize));
  yielder_.Yield();
  if (state_.cancelRequested) {
    stop_ = Stop::kCancelled;
    return false;
  }
  return true;
}

// The file holds exactly the bytes handed on, whenever an event may look.
bool TransferLoop::WriteReported() {
  if (reported_ == 0) return true;
  bool written = file_ && file_->Append(inbox_.pending.data(), reported_);
  inbox_.pending.erase(0, reported_);
  reported_ = 0;
  return written;
}

bool TransferLoop::Stopped() {
  if (stop_ == Stop::kCancelled) return Cancelled();
  return Failed(download_errors::kCouldNotWrite);
}

// The handler sees the file complete but still open; it is closed after.
bool TransferLoop::Cancelled() {
  if (!WriteReported()) return Failed(download_errors::kCouldNotWrite);
  state_.RaiseCancelled(total_);
  state_.CloseSession();
  if (file_) file_->Close();
  return false;
}

bool TransferLoop::Failed(const char* description) {
  bool written = WriteReported();
  state_.CloseSession();
  bool closed = !file_ || file_->Close();
  state_.RaiseError(written && closed ? description : download_errors::kCouldNotWrite);
  return false;
}

bool TransferLoop::Completed() {
  bool written = WriteReported();
  bool closed = file_->Close();
  state_.CloseSession();
  if (!written || !closed) {
    state_.RaiseError(download_errors::kCouldNotWrite);
    return false;
  }
  state_.RaiseComplete();
  return true;
}

// Marks the control as inside a transfer for as long as it runs.
class TransferScope {
 public:
  explicit TransferScope(DownloadState& state) : state_(state) { state_.transferRunning = true; }
  ~TransferScope() { state_.transferRunning = false; }
  TransferScope(const TransferScope&) = delete;
  TransferScope& operator=(const TransferScope&) = delete;

 private:
  DownloadState& state_;
};

}  // namespace

bool DownloadState::StartDownload() {
  TransferScope running(*this);
  cancelRequested = false;
  loop.DoEvents();
  OpenSessionIfNeeded();
  loop.DoEvents();
  // A HEAD made for this transfer leaves the session open for its GET.
  closeSession = false;
  if (!informationRequested) RequestInformation();
  closeSession = true;
  loop.DoEvents();
  if (!session) {
    RaiseError(download_errors::kCouldNotFind);
    return false;
  }
  TransferLoop transfer(*this);
  return transfer.Run();
}

}  // namespace reelcatch
