#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "stream/media_kind.h"
#include "stream/playlist.h"
#include "stream/resource_fetch.h"

namespace reelcatch {

class Download;

namespace stream_refusals {
inline constexpr const char* kTooDeep = "Stream playlists nested too deep";
inline constexpr const char* kNoVariant = "Stream playlist names no stream";
inline constexpr const char* kProtected = "Protected stream";
inline constexpr const char* kBadKey = "Stream key is not 16 bytes";
inline constexpr const char* kNotDecrypted = "Stream segment could not be decrypted";
inline constexpr const char* kNotMedia = "Stream segment is neither audio nor video";
inline constexpr const char* kOtherKind = "Stream segment of another media type than the first";
inline constexpr const char* kPlaylistTooLarge = "Stream playlist too large";
inline constexpr const char* kEmpty = "Stream has no segments";
inline constexpr const char* kSegmentTooLarge = "Stream segment too large";
}  // namespace stream_refusals

// The most text a playlist may have.
inline constexpr uint64_t kMaxPlaylistBytes = 16 << 20;
// The most a segment or init section may have: each is held in memory
// until it is whole (and decrypted), and real ones are a few megabytes.
inline constexpr uint64_t kMaxSegmentBytes = 256 << 20;

struct StreamOutcome {
  enum class End { kComplete, kFailed, kProtected, kStopped };
  End end = End::kFailed;
  std::string reason;  // why it failed
  int fileError = 0;   // errno of a partial file that could not be made or written
  bool live = false;   // a recording of a live list: stopped, it is kept
  // What the video's file holds, and the audio rendition's; kUnknown: nothing was written.
  MediaKind video = MediaKind::kUnknown;
  MediaKind audio = MediaKind::kUnknown;
};

// Downloads an HLS stream: its variant of the highest bandwidth (and that
// variant's audio rendition, into a file of its own), segment by segment
// in order into the partial files the hooks give, decrypting clear-key
// AES-128. A live list is reloaded every target duration until it ends or
// the user stops. Used by the download run for links that are playlists.
class StreamDownload {
 public:
  StreamDownload(Download& control, StreamHooks hooks);

  StreamOutcome Run(const std::string& playlistUrl);

  // Bytes written so far, with those of the running fetch.
  uint64_t Bytes() const { return bytes_ + fetch_.Running(); }
  size_t SegmentsDone() const { return done_; }
  // Of a list that is whole; 0 while a live one is recorded.
  size_t SegmentsTotal() const { return total_; }

 private:
  struct Track;
  bool Load(const std::string& url, Playlist& playlist);
  bool Choose(Track& video, Track& audio);
  bool Record(Track& track);
  bool WriteSegment(Track& track, const Segment& segment);
  bool WriteMap(Track& track, const StreamResource& map);
  bool Decrypt(const Segment& segment, std::string& data);
  bool Append(Track& track, const std::string& data);
  bool Fail(const std::string& reason);
  // A fetch failed or was stopped; tooLarge says why when its body was
  // over the limit.
  bool FetchFailed(const char* tooLarge);

  Download& control_;
  StreamHooks hooks_;
  ResourceFetch fetch_;
  StreamOutcome outcome_;
  std::map<std::string, std::string> keys_;
  uint64_t bytes_ = 0;
  size_t done_ = 0;
  size_t total_ = 0;
};

}  // namespace reelcatch
