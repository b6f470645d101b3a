#include "transfer/request_options.h"

#include <memory>

#include "transfer/download.h"

namespace reelcatch {
namespace {

// Large reads keep the per-byte cost low; the control slices them itself.
constexpr long kReceiveBuffer = 512 * 1024;

}  // namespace

void ApplyCommonOptions(CURL* easy, const std::string& url, const TransferLimits& limits) {
  // curl reads an address only up to a NUL: one that holds a NUL is refused
  // (as curl refuses other control bytes), never fetched cut short.
  bool holdsNul = url.find('\0') != std::string::npos;
  curl_easy_setopt(easy, CURLOPT_URL, holdsNul ? "" : url.c_str());
  curl_easy_setopt(easy, CURLOPT_DEFAULT_PROTOCOL, "http");
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));
  curl_easy_setopt(easy, CURLOPT_USERAGENT, Download::kUserAgent);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
}

std::optional<std::string> RedirectTarget(const std::string& from, const std::string& location) {
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
  if (!url || curl_url_set(url.get(), CURLUPART_URL, from.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_URL, location.c_str(),
                   CURLU_URLENCODE | CURLU_ALLOW_SPACE) != CURLUE_OK) {
    return std::nullopt;
  }
  char* text = nullptr;
  if (curl_url_get(url.get(), CURLUPART_URL, &text, 0) != CURLUE_OK) return std::nullopt;
  std::string target = text;
  curl_free(text);
  return target;
}

}  // namespace reelcatch
