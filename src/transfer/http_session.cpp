#include "transfer/http_session.h"

#include "transfer/curl_errors.h"

namespace reelcatch {
namespace {

// Short enough that a cancel or a window event is seen at once, long enough
// that an idle wait costs nothing.
constexpr int kPollMilliseconds = 10;

}  // namespace

std::unique_ptr<HttpSession> HttpSession::Open(CURLSH* connections) {
  CurlMulti multi = CurlMulti::Create();
  CurlEasy easy = CurlEasy::Create();
  if (!multi || !easy) return nullptr;
  return std::unique_ptr<HttpSession>(
      new HttpSession(std::move(multi), std::move(easy), connections));
}

CURL* HttpSession::Fresh() {
  curl_easy_reset(easy_.Get());
  if (connections_ != nullptr) curl_easy_setopt(easy_.Get(), CURLOPT_SHARE, connections_);
  return easy_.Get();
}

HttpSession::Outcome HttpSession::Perform(WaitLimit& limit, const std::function<bool()>& turn) {
  Outcome outcome;
  CURLMcode added = curl_multi_add_handle(multi_.Get(), easy_.Get());
  if (added != CURLM_OK) {
    outcome.result = AsTransferResult(added);
    return outcome;
  }
  curl_off_t counted = 0;
  // A poll's wait is counted after the bytes it let in have been.
  std::chrono::steady_clock::duration polledFor{};
  while (true) {
    auto roundStart = std::chrono::steady_clock::now();
    int running = 0;
    CURLMcode performed = curl_multi_perform(multi_.Get(), &running);
    bool done = performed != CURLM_OK || TakeResult(outcome.result);
    if (performed != CURLM_OK) outcome.result = AsTransferResult(performed);
    curl_off_t received = BytesReceived();
    if (received > counted) limit.Received(static_cast<uint64_t>(received - counted));
    counted = received;
    limit.Waited(polledFor + (std::chrono::steady_clock::now() - roundStart));
    if (!turn()) {
      outcome.abandoned = true;
      break;
    }
    if (done) break;
    if (limit.Exceeded()) {
      outcome.result = CURLE_OPERATION_TIMEDOUT;
      break;
    }
    auto waitStart = std::chrono::steady_clock::now();
    CURLMcode polled = curl_multi_poll(multi_.Get(), nullptr, 0, kPollMilliseconds, nullptr);
    polledFor = std::chrono::steady_clock::now() - waitStart;
    if (polled != CURLM_OK) {
      outcome.result = AsTransferResult(polled);
      break;
    }
  }
  curl_multi_remove_handle(multi_.Get(), easy_.Get());
  return outcome;
}

void HttpSession::Resume() { curl_easy_pause(easy_.Get(), CURLPAUSE_CONT); }

// Header and body bytes so far, redirects included.
curl_off_t HttpSession::BytesReceived() const {
  curl_off_t body = 0;
  long headers = 0;
  curl_easy_getinfo(easy_.Get(), CURLINFO_SIZE_DOWNLOAD_T, &body);
  curl_easy_getinfo(easy_.Get(), CURLINFO_HEADER_SIZE, &headers);
  return body + headers;
}

bool HttpSession::TakeResult(CURLcode& result) {
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_.Get(), &left)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy_.Get()) {
      result = message->data.result;
      return true;
    }
  }
  return false;
}

}  // namespace reelcatch
