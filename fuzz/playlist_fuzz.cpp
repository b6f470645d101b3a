// Reading a stream playlist from a server: whatever the text, a playlist that
// is not refused points only at web addresses, its parts lie within what a
// file can hold, and its IVs are whole AES blocks.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "fuzz_support.h"
#include "stream/playlist.h"

namespace {

using reelcatch::fuzz::Check;

void CheckAddress(const std::string& uri) {
  Check(uri.starts_with("http://") || uri.starts_with("https://"), "only web addresses", uri);
  Check(uri.find_first_of(std::string("\r\n\0", 3)) == std::string::npos, "an address on one line",
        uri);
}

void CheckResource(const reelcatch::StreamResource& resource) {
  CheckAddress(resource.uri);
  if (resource.range) {
    Check(resource.range->length > 0, "a part holds bytes");
    Check(resource.range->first <= std::numeric_limits<uint64_t>::max() - resource.range->length,
          "a part within what a file can hold");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  reelcatch::Playlist list = reelcatch::ParsePlaylist(text, "https://example.com/a/b.m3u8");
  if (!list.refusal.empty()) return 0;
  for (const auto& variant : list.variants) CheckAddress(variant.uri);
  for (const auto& audio : list.audio) CheckAddress(audio.uri);
  Check((reelcatch::BestVariant(list) != nullptr) == !list.variants.empty(), "a best variant");
  for (const auto& segment : list.segments) {
    CheckResource(segment.resource);
    if (segment.map) CheckResource(*segment.map);
    if (!segment.key.uri.empty()) CheckAddress(segment.key.uri);
    Check(!segment.key.iv || segment.key.iv->size() == 16, "an IV of 16 bytes");
  }
  Check(list.targetDuration >= 0, "a wait of no negative length");
  return 0;
}
