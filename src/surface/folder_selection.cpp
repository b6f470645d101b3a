#include "surface/folder_selection.h"

#include "platform/movie_variables.h"
#include "shell/frm_main.h"

namespace reelcatch {

std::string BrowseForFolder(Dialogs& dialogs, const std::string& sPrompt) {
  std::string path = dialogs.PickFolder(sPrompt);
  // A path is text up to its first NUL.
  return path.substr(0, path.find('\0'));
}

void FrmMain::cmdBrowse_Click() {
  std::string folder = BrowseForFolder(ports_.dialogs, kBrowsePrompt);
  if (folder.empty()) return;
  SetMovieVariable(ports_.movie, "_root.download_dir", folder);
  settings_.DownloadDir = folder;
}

}  // namespace reelcatch
