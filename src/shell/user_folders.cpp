#include "shell/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace reelcatch {
namespace {

std::string PasswordHome() {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
    return {};
  }
  return found->pw_dir ? found->pw_dir : "";
}

}  // namespace

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  return PasswordHome();
}

std::string ConfigFolder() {
  // A relative value is not a valid setting of the variable; fall back as
  // if it were unset rather than write relative to the working folder.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return config;
  std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.config";
}

}  // namespace reelcatch
