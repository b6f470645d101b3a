#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "transfer/resume.h"

namespace reelcatch {

// How a segment is encrypted.
struct SegmentKey {
  std::string uri;  // where the 16-byte key is; empty: the segment is clear
  // The IV the playlist gives; none: the segment's sequence number is the IV.
  std::optional<std::string> iv;
};

// A resource, or one part of it.
struct StreamResource {
  std::string uri;
  std::optional<ByteRange> range;
  bool operator==(const StreamResource&) const = default;
};

struct Segment {
  StreamResource resource;
  uint64_t sequence = 0;
  SegmentKey key;
  // The init section that goes before it; none for MPEG-TS segments.
  std::optional<StreamResource> map;
};

struct Variant {
  std::string uri;
  uint64_t bandwidth = 0;
  uint64_t pixels = 0;  // width times height; 0 when not told
  std::string audioGroup;
};

struct AudioRendition {
  std::string group;
  std::string uri;
  bool isDefault = false;
};

// An HLS playlist as read: a master one (variants) or a media one (segments).
struct Playlist {
  bool master = false;
  std::vector<Variant> variants;
  std::vector<AudioRendition> audio;

  std::vector<Segment> segments;
  int targetDuration = 0;
  bool ended = false;  // the list is whole; without it, it grows while it is live
  // Encrypted in a way that is not ours to undo (sample encryption, a DRM's key format).
  bool protectedStream = false;

  // Why the text is no playlist that can be followed; empty when it is.
  std::string refusal;
};

namespace stream_refusals {
inline constexpr const char* kNotAPlaylist = "Not a stream playlist";
inline constexpr const char* kNotWebAddress = "Stream part at an address that is not http or https";
inline constexpr const char* kBadTag = "Stream playlist has a broken line: ";
}  // namespace stream_refusals

// Reads playlist text; addresses in it are made absolute against base, the
// address the text came from (after its redirects).
Playlist ParsePlaylist(const std::string& text, const std::string& base);

// The variant to download: the highest bandwidth, then the most pixels.
// Null for a playlist without variants.
const Variant* BestVariant(const Playlist& master);

// The audio rendition that goes with a variant, when it is a file of its
// own: the group's default, else its first. Null when there is none.
const AudioRendition* AudioFor(const Playlist& master, const Variant& variant);

}  // namespace reelcatch
