#include "transfer/web_address.h"

#include <curl/curl.h>

#include <memory>

#include "platform/ascii.h"

namespace reelcatch {
namespace {

using UrlHandle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

std::string Part(const UrlHandle& url, CURLUPart part) {
  char* text = nullptr;
  if (curl_url_get(url.get(), part, &text, 0) != CURLUE_OK) return {};
  std::string value = text;
  curl_free(text);
  return value;
}

bool IsWebScheme(const std::string& scheme) { return scheme == "http" || scheme == "https"; }

}  // namespace

std::string ResolveWebAddress(const std::string& base, const std::string& reference) {
  // curl would take a NUL for the end of either.
  if (base.find('\0') != std::string::npos || reference.find('\0') != std::string::npos) return {};
  UrlHandle url(curl_url(), curl_url_cleanup);
  if (!url || curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_URL, reference.c_str(),
                   CURLU_URLENCODE | CURLU_ALLOW_SPACE) != CURLUE_OK) {
    return {};
  }
  return IsWebScheme(Part(url, CURLUPART_SCHEME)) ? Part(url, CURLUPART_URL) : std::string();
}

std::string WebAddressPath(const std::string& address) {
  if (address.find('\0') != std::string::npos) return {};
  UrlHandle url(curl_url(), curl_url_cleanup);
  if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) return {};
  return Part(url, CURLUPART_PATH);
}

bool IsWebAddress(const std::string& text) {
  return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://");
}

}  // namespace reelcatch
