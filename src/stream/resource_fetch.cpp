#include "stream/resource_fetch.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/flag_guard.h"
#include "transfer/curl_errors.h"
#include "transfer/download.h"

namespace reelcatch {

ResourceFetch::ResourceFetch(Download& control, const StreamHooks& hooks)
    : control_(control), hooks_(hooks), memory_(memfd_create("stream-part", MFD_CLOEXEC)) {
  if (memory_ < 0) memoryError_ = errno;
}

ResourceFetch::~ResourceFetch() {
  if (memory_ >= 0) close(memory_);
  control_.SetMaxBodySize(0);
}

uint64_t ResourceFetch::Running() const { return fetching_ ? control_.Position() : 0; }

bool ResourceFetch::Once(const StreamResource& resource, uint64_t maxBytes, bool media) {
  if (ftruncate(memory_, 0) != 0 || lseek(memory_, 0, SEEK_SET) != 0) {
    failure_ = SystemErrorText(errno);
    return false;
  }
  control_.SetUrl(resource.uri);
  control_.SetLocalFile(resource.uri,
                        [this](const BodyStart&) { return fcntl(memory_, F_DUPFD_CLOEXEC, 0); });
  control_.SetMaxBodySize(maxBytes,
                          media ? Download::BodyWait::kSteady : Download::BodyWait::kWhole);
  control_.SetByteRange(resource.range);
  FlagGuard running(fetching_);
  bool completed = control_.StartDownload();
  control_.SetMaxBodySize(0);
  if (completed && control_.StatusCode() < 400) return true;
  failure_ = completed ? HttpStatusText(control_.StatusCode(), control_.ReasonPhrase())
                       : control_.FailureReason();
  if (failure_.empty())
    failure_ = control_.FileError() != 0 ? SystemErrorText(control_.FileError())
                                         : download_errors::kCouldNotRead;
  return false;
}

std::optional<std::string> ResourceFetch::Get(const StreamResource& resource, uint64_t maxBytes,
                                              bool media) {
  failure_.clear();
  stopped_ = false;
  if (memory_ < 0) {
    failure_ = SystemErrorText(memoryError_);
    return std::nullopt;
  }
  for (int retry = 1; !Once(resource, maxBytes, media); ++retry) {
    stopped_ = hooks_.stopped() || control_.FailureReason() == failure_reasons::kCancelled;
    if (stopped_ || !hooks_.tryAgain(retry)) {
      stopped_ = stopped_ || hooks_.stopped();
      return std::nullopt;
    }
    failure_.clear();
  }
  struct stat status {};
  std::string body;
  bool whole = fstat(memory_, &status) == 0;
  if (whole) {
    body.resize(static_cast<size_t>(status.st_size));
    whole = pread(memory_, body.data(), body.size(), 0) == static_cast<ssize_t>(body.size());
  }
  if (!whole) {
    failure_ = SystemErrorText(errno);
    return std::nullopt;
  }
  return body;
}

}  // namespace reelcatch
