#pragma once

#include <curl/curl.h>

#include <functional>
#include <memory>

#include "transfer/curl_handles.h"
#include "transfer/wait_limit.h"

namespace reelcatch {

// The control's internet session: one easy handle reused for every request,
// run through a multi handle. Connections live in the connections cache
// given (when there is one), so closing the session leaves them for the
// next session to the same server.
class HttpSession {
 public:
  struct Outcome {
    CURLcode result = CURLE_OK;
    bool abandoned = false;  // the turn callback asked to stop
  };

  // Null when curl cannot give the handles.
  static std::unique_ptr<HttpSession> Open(CURLSH* connections = nullptr);

  // The easy handle with the previous request's options cleared, ready to
  // be set up for the next request.
  CURL* Fresh();

  // Runs the request set up on Fresh(). Waits for the network in short
  // polls, so `turn` runs often even while nothing arrives; `turn` runs
  // after every round (the last one included) and returns false to abandon.
  // The request times out once `limit` is exceeded; the limit may span
  // several requests (the hops of a redirect).
  Outcome Perform(WaitLimit& limit, const std::function<bool()>& turn);

  // Lets a request whose receiving was paused by its write callback go on.
  void Resume();

 private:
  HttpSession(CurlMulti multi, CurlEasy easy, CURLSH* connections)
      : multi_(std::move(multi)), easy_(std::move(easy)), connections_(connections) {}
  bool TakeResult(CURLcode& result);
  curl_off_t BytesReceived() const;

  CurlMulti multi_;
  CurlEasy easy_;
  CURLSH* connections_;
};

}  // namespace reelcatch
