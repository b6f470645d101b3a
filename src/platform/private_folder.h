#pragma once

#include <string>

namespace reelcatch {

// A folder that only this user can enter, for the program's sockets, locks
// and scratch files; or why there is none.
struct PrivateFolder {
  std::string path;   // empty when there is none
  std::string error;  // why there is none
  bool Usable() const { return !path.empty(); }
};

// Makes the folder (and missing parents) when it is missing, and accepts it
// only as a real folder, not a symbolic link, that belongs to this user and
// that no one else can write into. One of ours that others may only read or
// enter is closed to them (mode 0700).
PrivateFolder EnsurePrivateFolder(const std::string& path);

// The program's own runtime folder: "reelcatch" in $XDG_RUNTIME_DIR when that
// names a folder of this user's that no one else can write into, else in the
// user's cache folder ($XDG_CACHE_HOME, else ~/.cache). Never a place that
// other users share, such as /tmp: without a home it reports the failure.
PrivateFolder PrivateRuntimeFolder();

}  // namespace reelcatch
