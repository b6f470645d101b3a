#pragma once

#include <curl/curl.h>

#include <chrono>
#include <string>

namespace reelcatch {

// How long a request may wait for the server before it counts as failed.
struct TransferLimits {
  long connectSeconds = 60;  // to get a connection accepted
  // A HEAD or a page must end within this; a video must receive at least
  // this many bytes in every window of this many seconds.
  long waitSeconds = 60;

  std::chrono::seconds Wait() const { return std::chrono::seconds(waitSeconds); }
};

// Redirects followed for one request at most.
inline constexpr int kMaxRedirects = 20;

// What HEAD and GET share: the fixed user agent, http and https only,
// redirects left to the caller, the connect limit, a large receive buffer.
void ApplyCommonOptions(CURL* easy, const std::string& url, const TransferLimits& limits);

// The next hop of a redirect from `from` (an address with its scheme), the
// hops before it counted; the target, or why it is not followed.
struct RedirectHop {
  std::string target;
  CURLcode refusal = CURLE_OK;
  std::string reason;
};
RedirectHop NextHop(const std::string& from, const std::string& location, int hopsSoFar);

// Whether two addresses lie on one server: scheme, host and port alike.
bool SameServer(const std::string& a, const std::string& b);

}  // namespace reelcatch
