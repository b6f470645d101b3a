#pragma once

#include <string>

namespace reelcatch {

// Whether a path ends in the extension of a video or audio file or of a
// stream playlist (.mp4 .m4v .webm .mkv .mov .flv .ogv .ts .m3u8 .mp3
// .m4a), ignoring case.
bool HasMediaExtension(const std::string& path);

// Whether a media type names a stream playlist (HLS). A link of that type
// is a stream rather than a file, for a stream downloader to take.
bool IsPlaylistType(const std::string& mediaType);

// Whether an answer of mediaType for the address whose path is path is a
// video itself, not a page: a video or audio type, a stream playlist, or
// untyped bytes under a media extension.
bool IsMediaAnswer(const std::string& mediaType, const std::string& path);

// The usual extension of a media type, with its dot; ".mp4" when the type
// names no known one.
std::string ExtensionForType(const std::string& mediaType);

}  // namespace reelcatch
