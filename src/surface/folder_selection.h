#pragma once

#include <string>

#include "platform/dialogs.h"
#include "platform/movie.h"
#include "run/settings.h"

namespace reelcatch {

inline constexpr const char* kBrowsePrompt =
    "Please select the desired Download directory then press Ok.";

// The desktop's folder picker: the chosen folder, or empty text.
std::string BrowseForFolder(Dialogs& dialogs, const std::string& sPrompt);

// Asks for the download folder; a chosen one goes to the face and the
// settings, a cancelled choice changes nothing.
void PickDownloadDir(Dialogs& dialogs, Movie& movie, Settings& settings);

}  // namespace reelcatch
