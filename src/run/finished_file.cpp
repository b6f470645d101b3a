#include "run/finished_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "run/download_folder.h"
#include "transfer/curl_errors.h"

namespace reelcatch {

namespace {

// Renames within one folder, failing with EEXIST when `to` exists. Without
// an atomic way on this file system, a second name then the old one taken
// away: the link fails on an existing name just the same.
int RenameNoReplace(int folder, const char* from, const char* to) {
  if (renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (linkat(folder, from, folder, to, 0) != 0) return errno;
  if (unlinkat(folder, from, 0) != 0) {
    int error = errno;
    unlinkat(folder, to, 0);
    return error;
  }
  return 0;
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

std::string RenameFinishedFile(const std::string& folder, const std::string& from,
                               const std::string& to) {
  if (!IsPlainFileName(to)) return "\"" + to + "\" is not a usable file name.";
  if (!IsPlainFileName(from) || from == to) return {};
  std::optional<DownloadFolder> opened = DownloadFolder::Open(folder);
  if (!opened) return "The download folder could not be opened: " + SystemErrorText(errno);
  struct stat found {};
  if (fstatat(opened->Descriptor(), from.c_str(), &found, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT ? std::string() : "Could not rename the file: " + SystemErrorText(errno);
  if (!S_ISREG(found.st_mode)) return "\"" + from + "\" in the download folder is not a file.";
  int error = RenameNoReplace(opened->Descriptor(), from.c_str(), to.c_str());
  if (error == EEXIST)
    return "A file named \"" + to + "\" is already in the download folder; the name stays.";
  if (error != 0) return "Could not rename the file: " + SystemErrorText(error);
  return {};
}

}  // namespace reelcatch
