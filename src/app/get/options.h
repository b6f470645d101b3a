#pragma once

#include <optional>
#include <string>
#include <vector>

namespace reelcatch {

enum class GetMode { Download, Resolve, Site, Info, Help, Version };

struct GetOptions {
  GetMode mode = GetMode::Download;
  std::optional<std::string> dir;
  bool quiet = false;
  // "Other sites" for this run: pages of any site are tried.
  bool anySite = false;
  // How long a wait on a server may last (Download::SetTimeouts).
  long waitSeconds = 60;
  // How often a transfer that failed in a way that may pass is tried again.
  int retries = 5;
  std::vector<std::string> addresses;
};

// Reads the command line; an error text when it is not usable.
std::optional<GetOptions> ParseGetOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kGetUsage;

}  // namespace reelcatch
