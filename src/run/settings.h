#pragma once

#include <string>

namespace reelcatch {

// The program's two settings, loaded at start and saved when the user
// changes them through the face.
struct Settings {
  std::string DownloadDir;
  bool URLMon = false;
};

}  // namespace reelcatch
