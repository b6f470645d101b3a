#include "surface/folder_selection.h"

#include "platform/movie_variables.h"

namespace reelcatch {

std::string BrowseForFolder(Dialogs& dialogs, const std::string& sPrompt) {
  std::string path = dialogs.PickFolder(sPrompt);
  // A path is text up to its first NUL.
  return path.substr(0, path.find('\0'));
}

void PickDownloadDir(Dialogs& dialogs, Movie& movie, Settings& settings) {
  std::string folder = BrowseForFolder(dialogs, kBrowsePrompt);
  if (folder.empty()) return;
  SetMovieVariable(movie, "_root.download_dir", folder);
  settings.DownloadDir = folder;
}

}  // namespace reelcatch
