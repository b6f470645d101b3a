#pragma once

#include <string>

namespace reelcatch {

// The user's home folder: $HOME, else the password database's entry; empty
// when neither knows one.
std::string HomeFolder();

// Where per-user settings live: $XDG_CONFIG_HOME when it is an absolute path,
// else the home folder's ".config"; empty when there is no home folder.
// Read at every call, so a changed environment takes effect at once.
std::string ConfigFolder();

}  // namespace reelcatch
