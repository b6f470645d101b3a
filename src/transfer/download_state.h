#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/event_loop.h"
#include "transfer/download.h"
#include "transfer/header_block.h"
#include "transfer/http_session.h"
#include "transfer/request_options.h"

namespace reelcatch {

// Everything the Download control holds. Its two operations are in
// request_information.cpp and transfer_loop.cpp.
struct DownloadState {
  explicit DownloadState(EventLoop& eventLoop) : loop(eventLoop) { facts.fileSize = 0; }

  EventLoop& loop;
  DownloadEvents* events = nullptr;
  bool cancelRequested = false;
  std::string localFile;
  Download::FileOpener openLocalFile;
  int fileError = 0;
  uint64_t position = 0;
  std::string url;
  std::string siteUser;
  std::string sitePassword;
  HeadFacts facts;
  // Declared before the session, which uses it, so it outlives it.
  CurlShare connections;
  std::unique_ptr<HttpSession> session;
  // A closed session's handles, kept for the next one to start quicker.
  std::unique_ptr<HttpSession> spareSession;
  bool informationRequested = false;
  bool closeSession = false;
  // Inside StartDownload: a cancel also ends the HEAD request it makes.
  bool transferRunning = false;
  // An operation is running; a nested call from a handler is refused.
  bool busy = false;
  long statusCode = 0;
  std::string reasonPhrase;
  std::string failureReason;
  TransferLimits limits;
  uint64_t maxBodySize = 0;
  bool boundedBodyComesWhole = true;
  std::function<bool()> stopCheck;
  std::optional<ResumePoint> resumeFrom;
  std::optional<ByteRange> byteRange;
  std::string finalUrl;
  bool mayPassOnRetry = false;
  std::optional<long> retryAfter;
  // The body length the last HEAD announced, and the address it was for.
  std::optional<uint64_t> announcedLength;
  std::string announcedFor;

  // The run wants everything to stop.
  bool StopWanted() const { return stopCheck && stopCheck(); }

  bool OpenSessionIfNeeded();
  void CloseSession() {
    if (session) spareSession = std::move(session);
  }

  void RequestInformation();
  bool StartDownload();

  void RaiseComplete();
  void RaiseProgress(int64_t progress);
  void RaiseError(const char* description);
  void RaiseCancelled(int64_t position);
};

}  // namespace reelcatch
