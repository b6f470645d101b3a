#pragma once

#include <curl/curl.h>

#include <chrono>
#include <optional>
#include <string>

namespace reelcatch {

// How long a request may wait for the server before it counts as failed.
struct TransferLimits {
  long connectSeconds = 60;  // to get a connection accepted
  long stallSeconds = 60;    // with not a single byte arriving

  std::chrono::seconds Stall() const { return std::chrono::seconds(stallSeconds); }
};

// Redirects followed for one request at most.
inline constexpr int kMaxRedirects = 20;

// What HEAD and GET share: the fixed user agent, redirects followed to
// http and https only, the connect limit, a large receive buffer.
void ApplyCommonOptions(CURL* easy, const std::string& url, const TransferLimits& limits);

// The address a redirect from `from` to `location` leads to, resolved as
// the HTTP layer resolves it; none when it cannot be made into one.
std::optional<std::string> RedirectTarget(const std::string& from, const std::string& location);

}  // namespace reelcatch
