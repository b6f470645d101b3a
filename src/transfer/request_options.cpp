#include "transfer/request_options.h"

#include "transfer/download.h"

namespace reelcatch {
namespace {

constexpr long kMaxRedirects = 20;
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
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, Download::kUserAgent);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
}

}  // namespace reelcatch
