#include "stream/media_kind.h"

#include <array>

namespace reelcatch {

MediaKind SniffMediaKind(std::string_view data) {
  constexpr size_t kPacket = 188;
  if (!data.empty() && data[0] == 0x47 && (data.size() <= kPacket || data[kPacket] == 0x47)) {
    return MediaKind::kTransportStream;
  }
  // An init section, a fragment, or a file with a box of its own in front.
  constexpr std::array<std::string_view, 7> kBoxes = {"ftyp", "styp", "moof", "sidx",
                                                      "moov", "emsg", "prft"};
  if (data.size() >= 8) {
    for (std::string_view box : kBoxes) {
      if (data.substr(4, 4) == box) return MediaKind::kMp4;
    }
  }
  // Packed audio: an ID3 tag with the time stamp, or ADTS frames.
  if (data.starts_with("ID3")) return MediaKind::kAudio;
  if (data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0xff &&
      (static_cast<unsigned char>(data[1]) & 0xf6) == 0xf0) {
    return MediaKind::kAudio;
  }
  return MediaKind::kUnknown;
}

std::string ExtensionOf(MediaKind kind, bool audioOnly) {
  switch (kind) {
    case MediaKind::kMp4:
      return audioOnly ? ".m4a" : ".mp4";
    case MediaKind::kAudio:
      return ".aac";
    default:
      return ".ts";
  }
}

}  // namespace reelcatch
