#pragma once

#include <cstddef>
#include <string>

namespace reelcatch {

enum class FileReadResult {
  kRead,
  kMissing,
  // Larger than the caller allows: not what the caller looks for.
  kOversized,
  // There but unreadable (an I/O error, a folder in its place, ...).
  kFailed,
};

// Reads a whole file of at most maxBytes bytes into content.
FileReadResult ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& content);

// Replaces the file's contents so that a crash or a failed write leaves the
// old file whole: writes a private temporary file beside it, flushes it to
// disk and renames it over the old one. Missing parent folders are created
// private to the user; the file itself is readable by the user only.
bool ReplaceFileContents(const std::string& path, const std::string& content);

}  // namespace reelcatch
