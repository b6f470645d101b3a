#include "transfer/request_options.h"

#include <cstdlib>
#include <memory>
#include <optional>

#include "platform/ascii.h"
#include "transfer/curl_errors.h"
#include "transfer/download.h"

namespace reelcatch {
namespace {

// Large reads keep the per-byte cost low; the control slices them itself.
constexpr long kReceiveBuffer = 512 * 1024;

using UrlHandle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

UrlHandle ParsedUrl(const std::string& text) {
  UrlHandle url(curl_url(), curl_url_cleanup);
  if (url &&
      curl_url_set(url.get(), CURLUPART_URL, text.c_str(), CURLU_DEFAULT_SCHEME) != CURLUE_OK) {
    url.reset();
  }
  return url;
}

// One part of a parsed address; empty when it has none.
std::string Part(const UrlHandle& url, CURLUPart part, unsigned flags = 0) {
  char* text = nullptr;
  if (!url || curl_url_get(url.get(), part, &text, flags) != CURLUE_OK) return {};
  std::string value = text;
  curl_free(text);
  return value;
}

// The address a redirect from `from` to `location` leads to, resolved as
// the HTTP layer resolves it; none when it cannot be made into one.
std::optional<std::string> RedirectTarget(const std::string& from, const std::string& location) {
  UrlHandle url(curl_url(), curl_url_cleanup);
  if (!url || curl_url_set(url.get(), CURLUPART_URL, from.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_URL, location.c_str(),
                   CURLU_URLENCODE | CURLU_ALLOW_SPACE) != CURLUE_OK) {
    return std::nullopt;
  }
  std::string target = Part(url, CURLUPART_URL);
  if (target.empty()) return std::nullopt;
  return target;
}

}  // namespace

void ApplyCommonOptions(CURL* easy, const std::string& url, const TransferLimits& limits) {
  // curl reads an address only up to a NUL: one that holds a NUL is refused
  // (as curl refuses other control bytes), never fetched cut short.
  bool holdsNul = url.find('\0') != std::string::npos;
  curl_easy_setopt(easy, CURLOPT_URL, holdsNul ? "" : url.c_str());
  curl_easy_setopt(easy, CURLOPT_DEFAULT_PROTOCOL, "http");
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  // Each hop is judged before it is taken (NextHop).
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, Download::kUserAgent);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  // Kept only once the answer promises it (see ResponseHeaders).
  curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
  // The usual way to name the certificates to trust instead of the
  // system's; verification itself is never turned off.
  const char* certificates = std::getenv("SSL_CERT_FILE");
  if (certificates != nullptr && *certificates != '\0') {
    curl_easy_setopt(easy, CURLOPT_CAINFO, certificates);
  }
}

RedirectHop NextHop(const std::string& from, const std::string& location, int hopsSoFar) {
  if (hopsSoFar >= kMaxRedirects) {
    return {"", CURLE_TOO_MANY_REDIRECTS, failure_reasons::kTooManyRedirects};
  }
  std::optional<std::string> target = RedirectTarget(from, location);
  if (!target) return {"", CURLE_URL_MALFORMAT, failure_reasons::kBadRedirect};
  std::string scheme = Part(ParsedUrl(*target), CURLUPART_SCHEME);
  if (scheme != "http" && scheme != "https") {
    return {"", CURLE_UNSUPPORTED_PROTOCOL, failure_reasons::kRedirectElsewhere};
  }
  // What was asked for over a secure connection never goes on in the clear.
  if (scheme == "http" && Part(ParsedUrl(from), CURLUPART_SCHEME) == "https") {
    return {"", CURLE_UNSUPPORTED_PROTOCOL, failure_reasons::kInsecureRedirect};
  }
  return {*target, CURLE_OK, ""};
}

bool SameServer(const std::string& a, const std::string& b) {
  UrlHandle first = ParsedUrl(a);
  UrlHandle second = ParsedUrl(b);
  if (!first || !second) return false;
  for (CURLUPart part : {CURLUPART_SCHEME, CURLUPART_HOST, CURLUPART_PORT}) {
    unsigned flags = part == CURLUPART_PORT ? CURLU_DEFAULT_PORT : 0;
    if (LowerAscii(Part(first, part, flags)) != LowerAscii(Part(second, part, flags))) {
      return false;
    }
  }
  return true;
}

}  // namespace reelcatch
