#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/event_loop.h"
#include "transfer/resume.h"

namespace reelcatch {

// Receives the Download control's events, synchronously and in the order
// raised, before StartDownload returns. Arguments are passed by reference by
// form only: changing them changes nothing in the control.
class DownloadEvents {
 public:
  virtual ~DownloadEvents() = default;
  virtual void DownloadComplete() {}
  virtual void DownloadProgress(int64_t& lProgress) { (void)lProgress; }
  virtual void DownloadError(std::string& sErrorDescription) { (void)sErrorDescription; }
  virtual void DownloadCancelled(int64_t& lPosition) { (void)lPosition; }
};

namespace download_errors {
inline constexpr const char* kCouldNotFind = "Could not find Url";
inline constexpr const char* kCouldNotRead = "Could not read URL";
inline constexpr const char* kCouldNotWrite = "Could not write file";
}  // namespace download_errors

// Some of the control's failure reasons, for callers that tell them apart.
namespace failure_reasons {
inline constexpr const char* kTooManyRedirects = "Too many redirects";
inline constexpr const char* kBadRedirect = "Redirect to an address that is no address";
inline constexpr const char* kRedirectElsewhere =
    "Redirect to an address that is not http or https";
inline constexpr const char* kInsecureRedirect = "Insecure redirect";
inline constexpr const char* kTooLarge = "Too large";
inline constexpr const char* kCancelled = "Cancelled";
inline constexpr const char* kUnaskedPart = "Server sent a part of the file that was not asked for";
inline constexpr const char* kNotThePartAsked =
    "Server did not send the part of the file asked for";
}  // namespace failure_reasons

// How the body a transfer is about to write begins its file.
struct BodyStart {
  // Bytes already in the file that the body follows; 0: the file starts anew.
  uint64_t offset = 0;
  // What to keep with the file, so that a later transfer can ask for the rest.
  ResumePoint keep;
};

// The program's HTTP engine: one instance serves both the page fetches and
// the video transfers. StartDownload GETs Url into LocalFile in 2048-byte
// reads with a progress event per read; RequestInformation HEADs Url and
// fills the five information properties. Both keep the host's event loop
// running while they wait, and keep one session (connection cache) between
// operations.
class Download {
 public:
  static constexpr const char* kUserAgent =
      "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";
  static constexpr int kChunkSize = 2048;

  explicit Download(EventLoop& loop);
  ~Download();
  Download(const Download&) = delete;
  Download& operator=(const Download&) = delete;

  void SetEvents(DownloadEvents* events);

  // Properties.
  bool FileExists() const;
  const std::string& LastModified() const;
  float FileSize() const;
  void SetFileSize(float size);
  // Opens the file a transfer writes, once the address has answered and
  // told how its body begins the file: a descriptor that the transfer then
  // owns, positioned where the body goes, or -1 with errno set.
  using FileOpener = std::function<int(const BodyStart&)>;
  const std::string& LocalFile() const;
  // The transfer makes the file at path anew; or, given open, writes what
  // open hands it, and path only names that file.
  void SetLocalFile(const std::string& path, FileOpener open = nullptr);
  // errno of the last transfer's failure to make or write its file; 0 when
  // the file was never at fault.
  int FileError() const;
  // Bytes of the file the running (or last) transfer has handed on, with
  // those a resumed file already held.
  uint64_t Position() const;
  const std::string& RemoteFileName() const;
  const std::string& RemoteFileType() const;
  // The last HEAD answer's media type, "video/mp4"; empty when none was named.
  const std::string& RemoteMediaType() const;
  const std::string& Url() const;
  void SetUrl(const std::string& url);
  const std::string& SiteUser() const;
  void SetSiteUser(const std::string& user);
  const std::string& SitePassword() const;
  void SetSitePassword(const std::string& password);
  // The HTTP status code of the last transfer's final answer; 0 when none
  // came, 200 when the answer said the file it went on was whole already.
  long StatusCode() const;
  // The reason phrase of that answer's status line ("Not Found"), cut short.
  const std::string& ReasonPhrase() const;
  // Why the last StartDownload or RequestInformation failed, in words for
  // the user ("Connection refused", "Body ended after 5000 of 100000
  // bytes"); empty after one that succeeded. DownloadError keeps its own
  // two texts.
  const std::string& FailureReason() const;
  // Whether a session is open now (kept between operations).
  bool SessionOpen() const;
  // How long a request waits for a connection to be accepted, and how long
  // it may wait on the server (60 s each by default): a HEAD, and a transfer
  // with a maximum body size, must end within waitSeconds; any other
  // transfer fails once it receives under one byte a second on average
  // over waitSeconds.
  void SetTimeouts(long connectSeconds, long waitSeconds);
  // The most a transfer may receive of a body (0, the default: no limit).
  // A longer body fails the transfer and its file is left empty. A bounded
  // body must come whole within the wait (a page, a key), unless it may be
  // as large as a video and need only keep coming.
  enum class BodyWait { kWhole, kSteady };
  void SetMaxBodySize(uint64_t bytes, BodyWait wait = BodyWait::kWhole);
  // The next StartDownload with a file opener asks only for the rest of the
  // file after what `from` says the file holds (and that StartDownload only).
  void SetResumeFrom(std::optional<ResumePoint> from);
  // The next StartDownload asks for this part of Url only, and takes
  // nothing else for it (and that StartDownload only; it goes before a
  // resume).
  void SetByteRange(std::optional<ByteRange> range);
  // The address the last StartDownload's final answer came from, after its
  // redirects: what the addresses in that body are relative to.
  const std::string& FinalUrl() const;
  // Whether the last StartDownload failed in a way that may pass when it is
  // tried again: a connection refused or broken, a time-out, a body cut
  // short, a server that said it is busy or failing for now.
  bool MayPassOnRetry() const;
  // How long the last answer asked the client to wait before asking again.
  std::optional<long> RetryAfter() const;
  // Waits so long with the event loop turning, as a transfer waits on a
  // quiet server; false when a cancel or the stop check ended it first.
  bool Wait(std::chrono::milliseconds length);
  // Asked at every turn of a HEAD or a transfer; true ends it as a cancel
  // would. Unlike CancelDownload it is not cleared by StartDownload, so a
  // stop made between two operations still reaches the next one.
  void SetStopCheck(std::function<bool()> stopCheck);

  // Methods.
  bool StartDownload();
  void CancelDownload();
  void RequestInformation();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace reelcatch
