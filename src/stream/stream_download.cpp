#include "stream/stream_download.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

#include "stream/segment_cipher.h"
#include "transfer/download.h"

namespace reelcatch {

namespace {

constexpr uint64_t kMaxKeyBytes = 1024;

// Closes the descriptor it holds.
class Descriptor {
 public:
  Descriptor() = default;
  ~Descriptor() { Reset(-1); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  void Reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_ = -1;
};

}  // namespace

// One media playlist and the file it is written to.
struct StreamDownload::Track {
  std::string url;
  Playlist playlist;
  bool audio = false;
  Descriptor file;
  MediaKind kind = MediaKind::kUnknown;
  std::optional<StreamResource> lastMap;
  std::optional<uint64_t> nextSequence;
};

StreamDownload::StreamDownload(Download& control, StreamHooks hooks)
    : control_(control), hooks_(std::move(hooks)), fetch_(control_, hooks_) {}

bool StreamDownload::Fail(const std::string& reason) {
  outcome_.end = StreamOutcome::End::kFailed;
  outcome_.reason = reason;
  return false;
}

bool StreamDownload::FetchFailed(const char* tooLarge) {
  if (fetch_.Stopped()) {
    outcome_.end = StreamOutcome::End::kStopped;
    return false;
  }
  return Fail(fetch_.Failure() == failure_reasons::kTooLarge ? tooLarge : fetch_.Failure());
}

bool StreamDownload::Load(const std::string& url, Playlist& playlist) {
  std::optional<std::string> text = fetch_.Get({url, std::nullopt}, kMaxPlaylistBytes);
  if (!text) return FetchFailed(stream_refusals::kPlaylistTooLarge);
  playlist = ParsePlaylist(*text, control_.FinalUrl());
  if (!playlist.refusal.empty()) return Fail(playlist.refusal);
  if (playlist.protectedStream) {
    outcome_.end = StreamOutcome::End::kProtected;
    outcome_.reason = stream_refusals::kProtected;
    return false;
  }
  return true;
}

StreamOutcome StreamDownload::Run(const std::string& playlistUrl) {
  outcome_ = {};
  Track video;
  video.url = playlistUrl;
  Track audio;
  audio.audio = true;
  if (Choose(video, audio) && Record(video)) {
    // A live recording has no end to wait for before its audio: the video alone is kept.
    bool withAudio = !audio.url.empty() && !outcome_.live;
    if (!withAudio || Record(audio)) outcome_.end = StreamOutcome::End::kComplete;
  }
  return outcome_;
}

// Loads the lists to record: the media list at video.url, or the best
// variant's (and its audio's) when that is a master list.
bool StreamDownload::Choose(Track& video, Track& audio) {
  if (!Load(video.url, video.playlist)) return false;
  if (video.playlist.master) {
    const Variant* variant = BestVariant(video.playlist);
    if (!variant) return Fail(stream_refusals::kNoVariant);
    const AudioRendition* rendition = AudioFor(video.playlist, *variant);
    audio.url = rendition ? rendition->uri : "";
    video.url = variant->uri;
    // Only master to media: a variant that is a master again is refused.
    if (!Load(video.url, video.playlist)) return false;
    if (video.playlist.master) return Fail(stream_refusals::kTooDeep);
  }
  // Both lists are judged before anything is written.
  if (!audio.url.empty()) {
    if (!Load(audio.url, audio.playlist)) return false;
    if (audio.playlist.master) return Fail(stream_refusals::kTooDeep);
  }
  outcome_.live = !video.playlist.ended;
  return true;
}

bool StreamDownload::Record(Track& track) {
  track.file.Reset(hooks_.openFile(track.audio));
  if (track.file.Get() < 0) {
    outcome_.fileError = errno != 0 ? errno : EIO;
    return Fail("");
  }
  done_ = 0;
  for (;;) {
    // A live list's share done is not known, not even once it has ended.
    total_ = outcome_.live ? 0 : track.playlist.segments.size();
    for (const Segment& segment : track.playlist.segments) {
      // A reloaded live list repeats what was recorded already.
      if (track.nextSequence && segment.sequence < *track.nextSequence) continue;
      if (hooks_.stopped()) {
        outcome_.end = StreamOutcome::End::kStopped;
        return false;
      }
      if (!WriteSegment(track, segment)) return false;
      track.nextSequence = segment.sequence + 1;
    }
    if (track.playlist.ended) break;
    auto wait = std::chrono::seconds(std::max(track.playlist.targetDuration, 1));
    if (!control_.Wait(wait)) {
      outcome_.end = StreamOutcome::End::kStopped;
      return false;
    }
    Playlist reloaded;
    if (!Load(track.url, reloaded)) return false;
    if (reloaded.master) return Fail(stream_refusals::kTooDeep);
    track.playlist = std::move(reloaded);
  }
  if (track.kind == MediaKind::kUnknown) return Fail(stream_refusals::kEmpty);
  if (close(track.file.Release()) != 0) {
    outcome_.fileError = errno;
    return Fail("");
  }
  return true;
}

bool StreamDownload::WriteMap(Track& track, const StreamResource& map) {
  if (track.lastMap == map) return true;
  std::optional<std::string> data = fetch_.Get(map, kMaxSegmentBytes, true);
  if (!data) return FetchFailed(stream_refusals::kSegmentTooLarge);
  if (!Append(track, *data)) return false;
  track.lastMap = map;
  return true;
}

bool StreamDownload::Decrypt(const Segment& segment, std::string& data) {
  auto key = keys_.find(segment.key.uri);
  if (key == keys_.end()) {
    std::optional<std::string> fetched = fetch_.Get({segment.key.uri, std::nullopt}, kMaxKeyBytes);
    if (!fetched) return FetchFailed(stream_refusals::kBadKey);
    if (fetched->size() != 16) return Fail(stream_refusals::kBadKey);
    key = keys_.emplace(segment.key.uri, *fetched).first;
  }
  std::optional<std::string> plain =
      DecryptSegment(data, key->second, segment.key.iv.value_or(SequenceIv(segment.sequence)));
  if (!plain) return Fail(stream_refusals::kNotDecrypted);
  data = std::move(*plain);
  return true;
}

bool StreamDownload::WriteSegment(Track& track, const Segment& segment) {
  if (segment.map && !WriteMap(track, *segment.map)) return false;
  std::optional<std::string> data = fetch_.Get(segment.resource, kMaxSegmentBytes, true);
  if (!data) return FetchFailed(stream_refusals::kSegmentTooLarge);
  if (!segment.key.uri.empty() && !Decrypt(segment, *data)) return false;
  if (!Append(track, *data)) return false;
  ++done_;
  hooks_.progressed();
  return true;
}

// Every part of a track must be of one kind, the kind of its first.
bool StreamDownload::Append(Track& track, const std::string& data) {
  MediaKind kind = SniffMediaKind(data);
  if (kind == MediaKind::kUnknown) return Fail(stream_refusals::kNotMedia);
  if (track.kind != MediaKind::kUnknown && kind != track.kind) {
    return Fail(stream_refusals::kOtherKind);
  }
  track.kind = kind;
  (track.audio ? outcome_.audio : outcome_.video) = kind;
  for (size_t at = 0; at < data.size();) {
    ssize_t written = write(track.file.Get(), data.data() + at, data.size() - at);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      outcome_.fileError = written < 0 ? errno : EIO;
      return Fail("");
    }
    at += static_cast<size_t>(written);
  }
  bytes_ += data.size();
  return true;
}

}  // namespace reelcatch
