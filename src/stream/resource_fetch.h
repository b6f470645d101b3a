#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "stream/playlist.h"

namespace reelcatch {

class Download;

// What a stream download asks of the run around it.
struct StreamHooks {
  // Makes the partial file of the video (audio false) or of its audio
  // rendition anew: a descriptor the stream owns, or -1 with errno set.
  std::function<int(bool audio)> openFile;
  // A fetch failed: whether to try it again (after a wait); false gives up.
  std::function<bool(int retry)> tryAgain;
  // Whether the user stopped the run.
  std::function<bool()> stopped;
  // A segment (or an init section) was written.
  std::function<void()> progressed;
};

// Fetches playlists, keys and segments through the Download control, so
// they share its session, its redirect rules and its waits, into memory
// (an anonymous file the control writes). A failure that may pass is tried
// again as the hooks say.
class ResourceFetch {
 public:
  ResourceFetch(Download& control, const StreamHooks& hooks);
  ~ResourceFetch();
  ResourceFetch(const ResourceFetch&) = delete;
  ResourceFetch& operator=(const ResourceFetch&) = delete;

  // The body; none on failure, with the reason in Failure(). A text or key
  // of at most maxBytes must come whole in time; a segment (media true) need
  // only keep coming.
  std::optional<std::string> Get(const StreamResource& resource, uint64_t maxBytes,
                                 bool media = false);
  const std::string& Failure() const { return failure_; }
  // The last fetch ended because the user stopped it, or the item went.
  bool Stopped() const { return stopped_; }
  // Bytes of the running fetch so far.
  uint64_t Running() const;

 private:
  bool Once(const StreamResource& resource, uint64_t maxBytes, bool media);

  Download& control_;
  const StreamHooks& hooks_;
  int memory_ = -1;
  int memoryError_ = 0;
  bool fetching_ = false;
  bool stopped_ = false;
  std::string failure_;
};

}  // namespace reelcatch
