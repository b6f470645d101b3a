#pragma once

#include <curl/curl.h>

#include <chrono>
#include <string>

namespace reelcatch {

// How long a request may wait for the server before it counts as failed.
struct TransferLimits {
  long connectSeconds = 60;  // to get a connection accepted
  long stallSeconds = 60;    // with not a single byte arriving

  std::chrono::seconds Stall() const { return std::chrono::seconds(stallSeconds); }
};

// What HEAD and GET share: the fixed user agent, redirects followed to
// http and https only, the connect limit, a large receive buffer.
void ApplyCommonOptions(CURL* easy, const std::string& url, const TransferLimits& limits);

}  // namespace reelcatch
