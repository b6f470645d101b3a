#pragma once

#include <string>

namespace reelcatch {

class Download;

// The local file name and the size text derived for a video address.
struct FileInfo {
  std::string FileName;
  std::string FileSize;
};

// Asks the server about the video address (a HEAD request through the
// control) and derives the file name and size text.
FileInfo GetFileInfo(Download& control, const std::string& link, int site);

// The same for a video the general rule found, from its address and the
// title of the page it was found on.
FileInfo GetOtherSiteFileInfo(Download& control, const std::string& link,
                              const std::string& pageTitle);

// The longest file name, in bytes, the run gives the file system: room is
// kept for the ".part" suffix of a transfer in progress.
inline constexpr size_t kMaxFileNameBytes = 250;

}  // namespace reelcatch
