#pragma once

#include <string>

namespace reelcatch {

// A name that can only be a file directly inside the download folder.
bool IsPlainFileName(const std::string& name);

// Gives the finished file `from` in folder the name `to`. Never over
// anything already named `to` (a file, a folder, a link, even a dangling
// one), only a plain file of the folder itself (no link is followed), and
// only to a plain name. Empty when it was renamed or `from` is not there
// any more (nothing to rename); otherwise why not, and nothing changed.
std::string RenameFinishedFile(const std::string& folder, const std::string& from,
                               const std::string& to);

}  // namespace reelcatch
