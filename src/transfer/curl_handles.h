#pragma once

#include <curl/curl.h>

namespace reelcatch {

// Sole owner of one easy handle.
class CurlEasy {
 public:
  CurlEasy() = default;
  static CurlEasy Create();
  ~CurlEasy();
  CurlEasy(CurlEasy&& other) noexcept;
  CurlEasy& operator=(CurlEasy&& other) noexcept;
  CurlEasy(const CurlEasy&) = delete;
  CurlEasy& operator=(const CurlEasy&) = delete;

  CURL* Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  explicit CurlEasy(CURL* handle) : handle_(handle) {}
  CURL* handle_ = nullptr;
};

// Sole owner of one multi handle; the connections it keeps die with it.
class CurlMulti {
 public:
  CurlMulti() = default;
  static CurlMulti Create();
  ~CurlMulti();
  CurlMulti(CurlMulti&& other) noexcept;
  CurlMulti& operator=(CurlMulti&& other) noexcept;
  CurlMulti(const CurlMulti&) = delete;
  CurlMulti& operator=(const CurlMulti&) = delete;

  CURLM* Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  explicit CurlMulti(CURLM* handle) : handle_(handle) {}
  CURLM* handle_ = nullptr;
};

// Sole owner of one share handle holding a connection cache: connections
// outlive the sessions that used them and serve the next request to their
// server.
class CurlShare {
 public:
  CurlShare();
  ~CurlShare();
  CurlShare(const CurlShare&) = delete;
  CurlShare& operator=(const CurlShare&) = delete;

  CURLSH* Get() const { return handle_; }

 private:
  CURLSH* handle_ = nullptr;
};

// Sole owner of a list of extra request header lines.
class CurlHeaderList {
 public:
  CurlHeaderList() = default;
  ~CurlHeaderList();
  CurlHeaderList(const CurlHeaderList&) = delete;
  CurlHeaderList& operator=(const CurlHeaderList&) = delete;

  void Append(const char* line);
  curl_slist* Get() const { return list_; }

 private:
  curl_slist* list_ = nullptr;
};

}  // namespace reelcatch
