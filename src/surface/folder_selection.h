#pragma once

#include <string>

#include "platform/dialogs.h"

namespace reelcatch {

inline constexpr const char* kBrowsePrompt =
    "Please select the desired Download directory then press Ok.";

// The desktop's folder picker: the chosen folder, or empty text.
std::string BrowseForFolder(Dialogs& dialogs, const std::string& sPrompt);

}  // namespace reelcatch
