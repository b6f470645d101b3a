#include "resolve/media_types.h"

#include <array>
#include <string_view>
#include <utility>

#include "platform/ascii.h"

namespace reelcatch {
namespace {

constexpr std::array<std::string_view, 11> kMediaExtensions = {
    ".mp4", ".m4v", ".webm", ".mkv", ".mov", ".flv", ".ogv", ".ts", ".m3u8", ".mp3", ".m4a"};

constexpr std::array<std::pair<std::string_view, std::string_view>, 14> kTypeExtensions = {{
    {"video/mp4", ".mp4"},
    {"video/x-m4v", ".m4v"},
    {"video/webm", ".webm"},
    {"video/x-matroska", ".mkv"},
    {"video/quicktime", ".mov"},
    {"video/x-flv", ".flv"},
    {"video/ogg", ".ogv"},
    {"video/mp2t", ".ts"},
    {"application/vnd.apple.mpegurl", ".m3u8"},
    {"application/x-mpegurl", ".m3u8"},
    {"audio/mpegurl", ".m3u8"},
    {"audio/mpeg", ".mp3"},
    {"audio/mp4", ".m4a"},
    {"audio/webm", ".webm"},
}};

}  // namespace

bool HasMediaExtension(const std::string& path) {
  std::string lowered = LowerAscii(path);
  for (std::string_view extension : kMediaExtensions) {
    if (lowered.ends_with(extension)) return true;
  }
  return false;
}

bool IsPlaylistType(const std::string& mediaType) {
  std::string type = LowerAscii(mediaType);
  return type == "application/vnd.apple.mpegurl" || type == "application/x-mpegurl" ||
         type == "audio/mpegurl";
}

bool IsMediaAnswer(const std::string& mediaType, const std::string& path) {
  std::string type = LowerAscii(mediaType);
  if (type.starts_with("video/") || type.starts_with("audio/")) return true;
  if (IsPlaylistType(type)) return true;
  return type == "application/octet-stream" && HasMediaExtension(path);
}

std::string ExtensionForType(const std::string& mediaType) {
  std::string type = LowerAscii(mediaType);
  for (const auto& [name, extension] : kTypeExtensions) {
    if (type == name) return std::string(extension);
  }
  return ".mp4";
}

}  // namespace reelcatch
