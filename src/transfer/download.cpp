#include "transfer/download.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "transfer/download_state.h"

namespace reelcatch {

struct Download::State : DownloadState {
  using DownloadState::DownloadState;
};

namespace {

// Marks the control busy for one operation, so a handler that calls back in
// cannot pull the session out from under the running request.
class BusyScope {
 public:
  explicit BusyScope(DownloadState& state) : state_(state) { state_.busy = true; }
  ~BusyScope() { state_.busy = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  DownloadState& state_;
};

}  // namespace

bool DownloadState::OpenSessionIfNeeded() {
  if (!session)
    session = spareSession ? std::move(spareSession) : HttpSession::Open(connections.Get());
  return session != nullptr;
}

// Arguments go out as copies: a handler that changes them changes nothing here.
void DownloadState::RaiseComplete() {
  if (events != nullptr) events->DownloadComplete();
}

void DownloadState::RaiseProgress(int64_t progress) {
  if (events != nullptr) events->DownloadProgress(progress);
}

void DownloadState::RaiseError(const char* description) {
  std::string text = description;
  if (events != nullptr) events->DownloadError(text);
}

void DownloadState::RaiseCancelled(int64_t position) {
  if (events != nullptr) events->DownloadCancelled(position);
}

Download::Download(EventLoop& loop) : state_(std::make_unique<State>(loop)) {}
Download::~Download() = default;

void Download::SetEvents(DownloadEvents* events) { state_->events = events; }

bool Download::FileExists() const { return state_->facts.fileExists; }
const std::string& Download::LastModified() const { return state_->facts.lastModified; }
float Download::FileSize() const { return state_->facts.fileSize; }
void Download::SetFileSize(float size) { state_->facts.fileSize = size; }
const std::string& Download::LocalFile() const { return state_->localFile; }
void Download::SetLocalFile(const std::string& path, FileOpener open) {
  state_->localFile = path;
  state_->openLocalFile = std::move(open);
}
int Download::FileError() const { return state_->fileError; }
uint64_t Download::Position() const { return state_->position; }
const std::string& Download::RemoteFileName() const { return state_->facts.remoteFileName; }
const std::string& Download::RemoteFileType() const { return state_->facts.remoteFileType; }
const std::string& Download::RemoteMediaType() const { return state_->facts.mediaType; }
const std::string& Download::Url() const { return state_->url; }
void Download::SetUrl(const std::string& url) { state_->url = url; }
const std::string& Download::SiteUser() const { return state_->siteUser; }
void Download::SetSiteUser(const std::string& user) { state_->siteUser = user; }
const std::string& Download::SitePassword() const { return state_->sitePassword; }
void Download::SetSitePassword(const std::string& password) { state_->sitePassword = password; }
long Download::StatusCode() const { return state_->statusCode; }
const std::string& Download::ReasonPhrase() const { return state_->reasonPhrase; }
const std::string& Download::FailureReason() const { return state_->failureReason; }
bool Download::SessionOpen() const { return state_->session != nullptr; }

void Download::SetTimeouts(long connectSeconds, long waitSeconds) {
  state_->limits = TransferLimits{connectSeconds, waitSeconds};
}

void Download::SetMaxBodySize(uint64_t bytes, BodyWait wait) {
  state_->maxBodySize = bytes;
  state_->boundedBodyComesWhole = wait == BodyWait::kWhole;
}

void Download::SetStopCheck(std::function<bool()> stopCheck) {
  state_->stopCheck = std::move(stopCheck);
}

bool Download::StartDownload() {
  if (state_->busy) return false;
  BusyScope busy(*state_);
  return state_->StartDownload();
}

void Download::SetResumeFrom(std::optional<ResumePoint> from) {
  state_->resumeFrom = std::move(from);
}
void Download::SetByteRange(std::optional<ByteRange> range) { state_->byteRange = range; }
const std::string& Download::FinalUrl() const { return state_->finalUrl; }
bool Download::MayPassOnRetry() const { return state_->mayPassOnRetry; }
std::optional<long> Download::RetryAfter() const { return state_->retryAfter; }

bool Download::Wait(std::chrono::milliseconds length) {
  // Short enough that a stop or a window event is seen at once.
  constexpr std::chrono::milliseconds kSlice(10);
  state_->cancelRequested = false;
  const auto end = std::chrono::steady_clock::now() + length;
  for (;;) {
    state_->loop.DoEvents();
    if (state_->cancelRequested || state_->StopWanted()) return false;
    auto left = end - std::chrono::steady_clock::now();
    if (left <= left.zero()) return true;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kSlice));
  }
}

void Download::CancelDownload() { state_->cancelRequested = true; }

void Download::RequestInformation() {
  if (state_->busy) return;
  BusyScope busy(*state_);
  state_->RequestInformation();
}

}  // namespace reelcatch
