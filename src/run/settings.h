#pragma once

#include <string>

namespace reelcatch {

// The program's settings, loaded at start and saved when the user changes
// them through the face.
struct Settings {
  std::string DownloadDir;
  bool URLMon = false;
  // "Other sites": addresses of no supported site are tried with the
  // general page rule instead of being refused.
  bool AnySite = false;
  // A tray message tells how a run ended while the window was out of sight.
  bool Notify = true;
};

}  // namespace reelcatch
