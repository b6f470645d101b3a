#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/yielder.h"
#include "transfer/curl_errors.h"
#include "transfer/download_state.h"
#include "transfer/local_file.h"
#include "transfer/progress_value.h"
#include "transfer/request_options.h"
#include "transfer/response_headers.h"
#include "transfer/resume.h"

namespace reelcatch {
namespace {

// Receiving pauses while this much waits to be handed on, so a fast server
// cannot fill memory between two turns of the loop, nor keep the window
// waiting for its turn while a large inbox is filled.
constexpr size_t kPauseAt = 1024 * 1024;

// What curl delivered of the final answer's body and the loop has not
// handed on yet. Curl's callback only stores; events and yields happen in
// the loop, outside curl.
struct Inbox {
  Inbox(const ResponseHeaders& answer, uint64_t maxBody) : headers(answer), maxBodySize(maxBody) {}

  // The body's length is the one its headers declare, by our own reading:
  // curl is told to ignore Content-Length, so that a value it would refuse
  // (or read differently) never decides the transfer.
  void ReadFraming() {
    if (framed || !headers.FinalAnswerBegan()) return;
    framed = true;
    framing = FramingOf(headers.Block(), headers.Status());
  }
  bool BodyArrived() const { return framing.length && received >= *framing.length; }
  // Forgets an answer given up on before any of it was handed on.
  void Clear() {
    pending.clear();
    paused = framed = tooLarge = false;
    framing = {};
    received = 0;
  }

  // Whether this delivery would take the body past its maximum size.
  bool Overflows(uint64_t more) const {
    if (maxBodySize == 0) return false;
    if (framing.length && *framing.length > maxBodySize) return true;
    return more > maxBodySize - received;
  }

  const ResponseHeaders& headers;
  const uint64_t maxBodySize;  // 0: none
  std::string pending;
  bool paused = false;
  bool framed = false;
  bool tooLarge = false;
  BodyFraming framing;
  uint64_t received = 0;  // body bytes of the final answer taken in
};

size_t TakeBody(char* data, size_t size, size_t count, void* inbox) {
  auto* box = static_cast<Inbox*>(inbox);
  size_t delivered = size * count;
  // The bodies of interim answers and of redirects are not the file's.
  if (!box->headers.FinalAnswerBegan()) return delivered;
  box->ReadFraming();
  if (box->pending.size() >= kPauseAt) {
    box->paused = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  uint64_t taken = delivered;
  // Nothing beyond the declared length belongs to the body.
  if (box->framing.length) taken = std::min(taken, *box->framing.length - box->received);
  if (box->Overflows(taken)) {
    // Taking nothing ends the request: not a byte past the maximum is kept.
    box->tooLarge = true;
    return 0;
  }
  box->pending.append(data, static_cast<size_t>(taken));
  box->received += taken;
  return delivered;
}

// One GET of the control's Url into its LocalFile, handed on in reads of
// kChunkSize bytes with a progress event each, and one closing event.
class TransferLoop {
 public:
  TransferLoop(DownloadState& state, std::optional<ResumePoint> asked,
               std::optional<ByteRange> part)
      : state_(state),
        // Only a file of the caller's can be gone on with.
        asked_(state.openLocalFile && !part ? std::move(asked) : std::nullopt),
        part_(part),
        yielder_(state.loop),
        inbox_(headers_, state.maxBodySize),
        // A body of bounded size must come whole in time, unless told
        // otherwise; any other must keep coming.
        limit_(state.maxBodySize > 0 && state.boundedBodyComesWhole ? WaitLimit::Kind::kWhole
                                                                    : WaitLimit::Kind::kSteady,
               state.limits.Wait()) {
    // Room for a full inbox and one more delivery, so it never grows by
    // copying into fresh memory while the window waits.
    inbox_.pending.reserve(2 * kPauseAt);
  }
  bool Run();

 private:
  enum class Stop { kNone, kCancelled, kWriteFailed };

  void Configure(CURL* easy, const std::string& url);
  HttpSession::Outcome Fetch();
  bool LengthReadAlike(CURL* easy);
  bool AskAgainIgnoringLength(const HttpSession::Outcome& outcome);
  bool AskAgainForTheWhole();
  bool JudgeAnswer();
  bool MayPass(const HttpSession::Outcome& outcome) const;
  bool Turn();
  bool Stopping() const { return state_.cancelRequested || state_.StopWanted(); }
  bool EnsureFile();
  bool HandOn(bool toTheEnd);
  bool ReportRead(size_t size);
  bool WriteReported();
  bool CloseFile();
  void NoteWriteError(int error);
  std::string WhyNotReceived(const HttpSession::Outcome& outcome) const;
  std::string WhyNotWhole() const;
  bool Stopped();
  bool Cancelled();
  bool Failed(const char* description, const std::string& reason);
  bool WriteFailed();
  bool TooLarge();
  bool Completed();
  bool AlreadyWhole();

  DownloadState& state_;
  // What the request asks the rest of; none when it asks for the whole file.
  std::optional<ResumePoint> asked_;
  // The one part of the file asked for, when only a part is.
  std::optional<ByteRange> part_;
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> requestHeaders_{nullptr,
                                                                              curl_slist_free_all};
  // How the final answer begins the file, once it has been judged.
  std::optional<RangeVerdict> verdict_;
  BodyStart start_;
  Yielder yielder_;
  ResponseHeaders headers_;
  Inbox inbox_;
  std::optional<LocalFile> file_;
  int64_t total_ = 0;
  size_t reported_ = 0;  // bytes at the front of the inbox already handed on
  Stop stop_ = Stop::kNone;
  bool bodyArrived_ = false;
  WaitLimit limit_;
  std::string refusal_;  // why a redirect was not followed
  long osError_ = 0;     // the system's error number for the last request
  bool writeFailed_ = false;
  // curl frames the body itself, so the connection can serve the next
  // request, unless it reads the answer's length otherwise than we do.
  bool ignoreLength_ = false;
  bool lengthReadOtherwise_ = false;
  CURL* easy_ = nullptr;
};

void TransferLoop::Configure(CURL* easy, const std::string& url) {
  ApplyCommonOptions(easy, url, state_.limits);
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  // Redirects are followed here, one request each, so every hop is checked.
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, ignoreLength_ ? 1L : 0L);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, TakeBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &inbox_);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, ResponseHeaders::Collect);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &headers_);
  headers_.SetHandle(easy);
  requestHeaders_.reset();
  if (part_) {
    std::string last = std::to_string(part_->first + part_->length - 1);
    curl_easy_setopt(easy, CURLOPT_RANGE, (std::to_string(part_->first) + "-" + last).c_str());
  }
  if (!asked_) return;
  curl_easy_setopt(easy, CURLOPT_RANGE, (std::to_string(asked_->offset) + "-").c_str());
  // The rest only of the same file: a changed one is sent whole.
  if (UsableValidator(asked_->validator)) {
    std::string ifRange = "If-Range: " + asked_->validator;
    requestHeaders_.reset(curl_slist_append(nullptr, ifRange.c_str()));
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, requestHeaders_.get());
  }
}

// The GET of the control's Url, through its redirects, up to the end of the
// final answer's body (or a failure).
HttpSession::Outcome TransferLoop::Fetch() {
  std::string url = state_.url;
  for (int hops = 0;; ++hops) {
    state_.finalUrl = url;
    CURL* easy = easy_ = state_.session->Fresh();
    Configure(easy, url);
    HttpSession::Outcome outcome = state_.session->Perform(limit_, [this] { return Turn(); });
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osError_);
    if (stop_ != Stop::kNone) return outcome;
    if (AskAgainIgnoringLength(outcome) || AskAgainForTheWhole()) {
      --hops;
      continue;
    }
    if (bodyArrived_) return {};
    std::string next = headers_.RedirectTo();
    if (next.empty() || limit_.Exceeded()) return outcome;
    char* from = nullptr;
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &from);
    RedirectHop hop = NextHop(from != nullptr ? from : url, next, hops);
    if (!hop.reason.empty()) {
      refusal_ = hop.reason;
      return {hop.refusal, false};
    }
    url = hop.target;
    headers_ = ResponseHeaders();
  }
}

bool TransferLoop::Run() {
  HttpSession::Outcome outcome = Fetch();
  bool answered = headers_.FinalAnswerBegan() || !inbox_.pending.empty();
  state_.statusCode = headers_.FinalAnswerBegan() ? headers_.Status() : 0;
  state_.reasonPhrase = headers_.FinalAnswerBegan() ? headers_.ReasonPhrase() : "";
  state_.retryAfter = headers_.FinalAnswerBegan() ? RetryAfter(headers_.Block()) : std::nullopt;
  state_.mayPassOnRetry = MayPass(outcome);
  if (stop_ != Stop::kNone) return Stopped();
  if (inbox_.tooLarge) return TooLarge();
  if (verdict_ == RangeVerdict::kAlreadyWhole) return AlreadyWhole();
  if (verdict_ == RangeVerdict::kUnasked) {
    return Failed(download_errors::kCouldNotRead, failure_reasons::kUnaskedPart);
  }
  if (verdict_ == RangeVerdict::kOtherPart) {
    return Failed(download_errors::kCouldNotRead, failure_reasons::kNotThePartAsked);
  }
  if (verdict_ == RangeVerdict::kKeepAsIs) {
    return Failed(download_errors::kCouldNotRead,
                  HttpStatusText(state_.statusCode, state_.reasonPhrase));
  }

  TransferFailure failure = ClassifyTransfer(outcome.result, answered);
  if (failure == TransferFailure::kNoAnswer) {
    // The session stays open for the next operation; no file was made.
    state_.failureReason = WhyNotReceived(outcome);
    state_.RaiseError(download_errors::kCouldNotFind);
    return false;
  }
  if (!EnsureFile()) return Stopped();
  if (!HandOn(true)) return Stopped();
  inbox_.ReadFraming();
  if (failure == TransferFailure::kReadFailed) {
    return Failed(download_errors::kCouldNotRead, WhyNotReceived(outcome));
  }
  // A body that ended short of its length, or whose length cannot be known,
  // never passes for whole.
  std::string reason = WhyNotWhole();
  if (!reason.empty()) return Failed(download_errors::kCouldNotRead, reason);
  // The final empty read reports the end of the body.
  if (!ReportRead(0)) return Stopped();
  return Completed();
}

// Why the request brought no whole answer, in the user's words.
std::string TransferLoop::WhyNotReceived(const HttpSession::Outcome& outcome) const {
  if (!refusal_.empty()) return refusal_;
  if (limit_.Exceeded()) return limit_.Reason();
  // A connection closed early shows best as the part of the body missing.
  std::string shortBody = WhyNotWhole();
  if (!shortBody.empty()) return shortBody;
  // Cut off inside its headers: curl may call that a body ended early.
  bool cutInHeaders = outcome.result == CURLE_PARTIAL_FILE && !headers_.FinalAnswerBegan();
  if (outcome.result == CURLE_OK || cutInHeaders) return "Server's answer ended early";
  return FailureText(outcome.result, osError_);
}

// Why the body that arrived is not all of it; empty when it is. The length
// the answer declares counts first; without one, the length the HEAD for
// this same address announced.
std::string TransferLoop::WhyNotWhole() const {
  if (inbox_.framing.unusable) return "Server gave no usable body length";
  std::optional<uint64_t> expected = inbox_.framing.length;
  bool success = state_.statusCode >= 200 && state_.statusCode < 300;
  // The HEAD announced the whole file; a body that follows kept bytes is its rest.
  const uint64_t kept = start_.offset;
  if (!expected && success && state_.announcedFor == state_.url && state_.announcedLength &&
      *state_.announcedLength >= kept) {
    expected = *state_.announcedLength - kept;
  }
  if (expected && inbox_.received < *expected) {
    return BodyEndedEarly(kept + inbox_.received, kept + *expected);
  }
  return {};
}

// Whether curl takes the body to be as long as we do. A length header that
// is no plain number is read as none here; curl may refuse it or read its
// leading digits.
bool TransferLoop::LengthReadAlike(CURL* easy) {
  if (ignoreLength_) return true;
  inbox_.ReadFraming();
  curl_off_t length = -1;
  curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  if (inbox_.framing.unusable) return false;
  if (!inbox_.framing.length) return length < 0;
  return length >= 0 && static_cast<uint64_t>(length) == *inbox_.framing.length;
}

// Such an answer is asked for once more with curl told to ignore the length
// (on a connection of its own), before anything of it was handed on.
bool TransferLoop::AskAgainIgnoringLength(const HttpSession::Outcome& outcome) {
  if (ignoreLength_ || file_ || limit_.Exceeded()) return false;
  if (!lengthReadOtherwise_ && outcome.result != CURLE_WEIRD_SERVER_REPLY) return false;
  ignoreLength_ = true;
  lengthReadOtherwise_ = false;
  headers_ = ResponseHeaders();
  inbox_.Clear();
  return true;
}

// Such an answer is asked for once more, the whole file this time, before
// anything of it was handed on.
bool TransferLoop::AskAgainForTheWhole() {
  if (verdict_ != RangeVerdict::kAskAgain || file_) return false;
  asked_.reset();
  verdict_.reset();
  headers_ = ResponseHeaders();
  inbox_.Clear();
  return true;
}

// Decides, once the final answer's headers are in, how its body begins the
// file; false when the body is not wanted.
bool TransferLoop::JudgeAnswer() {
  if (verdict_) return true;
  const long status = headers_.Status();
  if (part_) {
    verdict_ = JudgePart(status, headers_.Block(), *part_);
    return *verdict_ == RangeVerdict::kWhole;
  }
  verdict_ = reelcatch::JudgeAnswer(status, headers_.Block(), asked_);
  start_ = BodyStart{};
  if (*verdict_ == RangeVerdict::kWhole) start_.keep = KeepFrom(status, headers_.Block());
  if (*verdict_ == RangeVerdict::kRest) {
    start_ = {asked_->offset, KeepFrom(status, headers_.Block())};
    if (start_.keep.validator.empty()) start_.keep.validator = asked_->validator;
    // The bar goes on where it stood.
    total_ = static_cast<int64_t>(asked_->offset);
  }
  if (*verdict_ == RangeVerdict::kAlreadyWhole) total_ = static_cast<int64_t>(asked_->offset);
  return *verdict_ == RangeVerdict::kWhole || *verdict_ == RangeVerdict::kRest;
}

// Whether the failure may pass when the transfer is tried again.
bool TransferLoop::MayPass(const HttpSession::Outcome& outcome) const {
  if (stop_ != Stop::kNone || inbox_.tooLarge || !refusal_.empty()) return false;
  if (verdict_ == RangeVerdict::kUnasked || verdict_ == RangeVerdict::kOtherPart) return false;
  if (inbox_.framing.unusable) return false;
  if (headers_.FinalAnswerBegan() && TransientStatus(headers_.Status())) return true;
  if (limit_.Exceeded() || TransientResult(outcome.result)) return true;
  // A connection closed before the whole body came.
  return headers_.FinalAnswerBegan() && !WhyNotWhole().empty();
}

// Runs after every network poll.
bool TransferLoop::Turn() {
  // Only where it leads is wanted of a redirect, not its body.
  if (!headers_.RedirectTo().empty()) return false;
  if (headers_.FinalAnswerBegan() && !JudgeAnswer()) return false;
  if (headers_.FinalAnswerBegan() && !file_ && !LengthReadAlike(easy_)) {
    lengthReadOtherwise_ = true;
    return false;
  }
  if (headers_.FinalAnswerBegan() && !EnsureFile()) return false;
  if (file_ && !HandOn(false)) return false;
  // A server may keep the connection open after the body.
  inbox_.ReadFraming();
  if (inbox_.BodyArrived()) {
    bodyArrived_ = true;
    return false;
  }
  if (inbox_.paused) {
    inbox_.paused = false;
    state_.session->Resume();
  }
  state_.loop.DoEvents();
  // Seen here too, so a cancel reaches a transfer whose server went quiet.
  if (Stopping()) {
    stop_ = Stop::kCancelled;
    return false;
  }
  return true;
}

// The file is made only once the address has answered.
bool TransferLoop::EnsureFile() {
  if (file_) return true;
  state_.loop.DoEvents();
  errno = 0;
  file_ = state_.openLocalFile ? LocalFile::Adopt(state_.openLocalFile(start_))
                               : LocalFile::Create(state_.localFile);
  if (file_) return true;
  NoteWriteError(errno != 0 ? errno : EIO);
  stop_ = Stop::kWriteFailed;
  return false;
}

// Keeps the first failed write's errno: later failures follow from it.
void TransferLoop::NoteWriteError(int error) {
  if (!writeFailed_) state_.fileError = error;
  writeFailed_ = true;
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
  state_.position = static_cast<uint64_t>(total_);
  state_.RaiseProgress(ProgressValue(total_, state_.facts.fileSize));
  yielder_.Yield();
  if (Stopping()) {
    stop_ = Stop::kCancelled;
    return false;
  }
  return true;
}

// The file holds exactly the bytes handed on, whenever an event may look.
bool TransferLoop::WriteReported() {
  if (reported_ == 0) return true;
  bool written = file_ && file_->Append(inbox_.pending.data(), reported_);
  if (file_ && !written) NoteWriteError(file_->Error());
  inbox_.pending.erase(0, reported_);
  reported_ = 0;
  return written;
}

// False, with the reason kept, when the last writes did not reach the file.
bool TransferLoop::CloseFile() {
  if (!file_ || file_->Close()) return true;
  NoteWriteError(file_->Error());
  return false;
}

bool TransferLoop::Stopped() {
  if (stop_ == Stop::kCancelled) return Cancelled();
  return Failed(download_errors::kCouldNotWrite, "");
}

// The handler sees the file complete but still open; it is closed after.
bool TransferLoop::Cancelled() {
  if (!WriteReported()) return Failed(download_errors::kCouldNotWrite, "");
  state_.failureReason = failure_reasons::kCancelled;
  state_.RaiseCancelled(total_);
  state_.CloseSession();
  CloseFile();
  return false;
}

// `reason` tells why, unless the file could not be written: that is told
// instead.
bool TransferLoop::Failed(const char* description, const std::string& reason) {
  bool written = WriteReported();
  state_.CloseSession();
  bool closed = CloseFile();
  if (!written || !closed || writeFailed_) return WriteFailed();
  state_.failureReason = reason;
  state_.RaiseError(description);
  return false;
}

bool TransferLoop::WriteFailed() {
  state_.failureReason = download_errors::kCouldNotWrite;
  if (state_.fileError != 0) state_.failureReason += ": " + SystemErrorText(state_.fileError);
  state_.RaiseError(download_errors::kCouldNotWrite);
  return false;
}

// A body over the maximum size is not kept, not even its start.
bool TransferLoop::TooLarge() {
  inbox_.pending.clear();
  reported_ = 0;
  // An older file of that name is not left to pass for this one either.
  if (EnsureFile() && !file_->Discard()) NoteWriteError(errno);
  return Failed(download_errors::kCouldNotRead, failure_reasons::kTooLarge);
}

bool TransferLoop::Completed() {
  bool written = WriteReported();
  bool closed = CloseFile();
  state_.CloseSession();
  if (!written || !closed) return WriteFailed();
  // The address's body has been had: a later GET of it (a list asked for
  // again) is a new answer, not held to what the HEAD announced.
  if (state_.statusCode >= 200 && state_.statusCode < 300) state_.announcedFor.clear();
  state_.RaiseComplete();
  return true;
}

// Nothing was left to send: the file the caller holds is already whole.
bool TransferLoop::AlreadyWhole() {
  state_.statusCode = 200;
  state_.reasonPhrase = "OK";
  if (!ReportRead(0)) return Stopped();
  return Completed();
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
  std::optional<ResumePoint> asked = std::exchange(resumeFrom, std::nullopt);
  std::optional<ByteRange> part = std::exchange(byteRange, std::nullopt);
  finalUrl = url;
  cancelRequested = false;
  mayPassOnRetry = false;
  retryAfter.reset();
  fileError = 0;
  position = 0;
  loop.DoEvents();
  OpenSessionIfNeeded();
  loop.DoEvents();
  // A HEAD made for this transfer leaves the session open for its GET.
  closeSession = false;
  if (!informationRequested) RequestInformation();
  closeSession = true;
  failureReason.clear();
  loop.DoEvents();
  // Stopped during its HEAD: no GET is begun.
  if (cancelRequested || StopWanted()) {
    failureReason = failure_reasons::kCancelled;
    RaiseCancelled(0);
    CloseSession();
    return false;
  }
  if (!session) {
    failureReason = FailureText(CURLE_FAILED_INIT, 0);
    RaiseError(download_errors::kCouldNotFind);
    return false;
  }
  TransferLoop transfer(*this, std::move(asked), part);
  return transfer.Run();
}

}  // namespace reelcatch
