#include <string>

#include "transfer/curl_errors.h"
#include "transfer/curl_handles.h"
#include "transfer/download_state.h"
#include "transfer/response_headers.h"

namespace reelcatch {
namespace {

size_t DiscardBody(char*, size_t size, size_t count, void*) { return size * count; }

std::string EffectiveUrl(CURL* easy, const std::string& asked) {
  char* url = nullptr;
  curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &url);
  return url != nullptr ? url : asked;
}

long OsError(CURL* easy) {
  long error = 0;
  curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &error);
  return error;
}

// The HEAD request of the control's Url, through its redirects: each hop is
// judged before it is taken, and all of them together must end within the
// wait limit.
class HeadRequest {
 public:
  explicit HeadRequest(DownloadState& state)
      : state_(state), limit_(WaitLimit::Kind::kWhole, state.limits.Wait()) {
    noCache_.Append("Pragma: no-cache");
    noCache_.Append("Cache-Control: no-cache");
    // An HTTP/1.0 request asks for its connection to be kept.
    noCache_.Append("Connection: keep-alive");
  }

  // Leaves the headers of the last answer in `headers`; why it failed in
  // the control's failure reason.
  void Run(ResponseHeaders& headers);

 private:
  void Configure(CURL* easy, const std::string& at, ResponseHeaders& headers);
  bool Turn();

  DownloadState& state_;
  WaitLimit limit_;
  CurlHeaderList noCache_;
};

void HeadRequest::Configure(CURL* easy, const std::string& at, ResponseHeaders& headers) {
  ApplyCommonOptions(easy, at, state_.limits);
  // HEAD over HTTP/1.0, always from the server itself.
  curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  // The length is read from the block by our own rule: one curl refuses
  // must not make the whole answer count as none.
  curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, noCache_.Get());
  // A password without a user name is never sent, and neither goes to
  // another server a redirect leads to.
  if (!state_.siteUser.empty() && SameServer(at, state_.url)) {
    curl_easy_setopt(easy, CURLOPT_USERNAME, state_.siteUser.c_str());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, state_.sitePassword.c_str());
  }
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, ResponseHeaders::Collect);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &headers);
  headers.SetHandle(easy);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, DiscardBody);
}

bool HeadRequest::Turn() {
  state_.loop.DoEvents();
  // A cancel reaches the HEAD that a transfer makes; the run's stop, every HEAD.
  return !((state_.transferRunning && state_.cancelRequested) || state_.StopWanted());
}

void HeadRequest::Run(ResponseHeaders& headers) {
  std::string at = state_.url;
  for (int hops = 0;; ++hops) {
    headers = ResponseHeaders();
    CURL* easy = state_.session->Fresh();
    Configure(easy, at, headers);
    HttpSession::Outcome outcome = state_.session->Perform(limit_, [this] { return Turn(); });
    if (outcome.abandoned) {
      state_.failureReason = failure_reasons::kCancelled;
      return;
    }
    if (limit_.Exceeded()) {
      state_.failureReason = limit_.Reason();
      return;
    }
    if (headers.RedirectTo().empty()) {
      if (!headers.FinalAnswerBegan()) {
        state_.failureReason = FailureText(outcome.result, OsError(easy));
      }
      return;
    }
    RedirectHop hop = NextHop(EffectiveUrl(easy, at), headers.RedirectTo(), hops);
    if (!hop.reason.empty()) {
      state_.failureReason = hop.reason;
      return;
    }
    at = hop.target;
  }
}

}  // namespace

void DownloadState::RequestInformation() {
  informationRequested = true;
  loop.DoEvents();
  OpenSessionIfNeeded();
  loop.DoEvents();

  ResponseHeaders headers;
  statusCode = 0;
  failureReason.clear();
  announcedLength.reset();
  announcedFor = url;
  if (session) {
    HeadRequest(*this).Run(headers);
  } else {
    failureReason = FailureText(CURLE_FAILED_INIT, 0);
  }
  // Without a whole block there is only the status line, if one came, and
  // no earlier address's values may remain.
  if (headers.FinalAnswerBegan()) {
    statusCode = headers.Status();
    facts = FactsFromAnswer(headers.Block(), statusCode);
    // The length a transfer of this address will be held to.
    if (statusCode >= 200 && statusCode < 300) {
      announcedLength = FramingOf(headers.Block(), statusCode).length;
    }
  } else {
    facts = FactsWithoutBlock(headers.Status());
  }
  loop.DoEvents();
  if (closeSession) CloseSession();
}

}  // namespace reelcatch
