#pragma once

#include <string>
#include <string_view>

namespace reelcatch {

// What a stream's segments hold, told from their first bytes.
enum class MediaKind { kUnknown, kTransportStream, kMp4, kAudio };

MediaKind SniffMediaKind(std::string_view data);

// The extension a file of such segments gets, with its dot; an MP4 of
// sound alone is told apart.
std::string ExtensionOf(MediaKind kind, bool audioOnly = false);

}  // namespace reelcatch
