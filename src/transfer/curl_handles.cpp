#include "transfer/curl_handles.h"

#include <utility>

namespace reelcatch {
namespace {

// curl_global_init is not safe to race; a function-local static runs it once.
void EnsureCurlReady() {
  static const CURLcode ready = curl_global_init(CURL_GLOBAL_DEFAULT);
  (void)ready;
}

}  // namespace

CurlEasy CurlEasy::Create() {
  EnsureCurlReady();
  return CurlEasy(curl_easy_init());
}

CurlEasy::~CurlEasy() {
  if (handle_ != nullptr) curl_easy_cleanup(handle_);
}

CurlEasy::CurlEasy(CurlEasy&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

CurlEasy& CurlEasy::operator=(CurlEasy&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) curl_easy_cleanup(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

CurlMulti CurlMulti::Create() {
  EnsureCurlReady();
  return CurlMulti(curl_multi_init());
}

CurlMulti::~CurlMulti() {
  if (handle_ != nullptr) curl_multi_cleanup(handle_);
}

CurlMulti::CurlMulti(CurlMulti&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

CurlMulti& CurlMulti::operator=(CurlMulti&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) curl_multi_cleanup(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

CurlShare::CurlShare() {
  EnsureCurlReady();
  handle_ = curl_share_init();
  if (handle_ != nullptr) curl_share_setopt(handle_, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
}

CurlShare::~CurlShare() {
  if (handle_ != nullptr) curl_share_cleanup(handle_);
}

CurlHeaderList::~CurlHeaderList() { curl_slist_free_all(list_); }

void CurlHeaderList::Append(const char* line) {
  curl_slist* grown = curl_slist_append(list_, line);
  if (grown != nullptr) list_ = grown;
}

}  // namespace reelcatch
