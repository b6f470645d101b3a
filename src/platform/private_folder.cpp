#include "platform/private_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace reelcatch {

namespace {

constexpr const char* kFolderName = "reelcatch";
constexpr mode_t kOthersWrite = S_IWGRP | S_IWOTH;

PrivateFolder Refused(const std::string& path, const std::string& why) {
  return PrivateFolder{{}, path + ": " + why};
}

std::string ErrorText(int error) { return std::strerror(error); }

// Makes the folder itself with the mode it must have; missing parents get the
// usual mode, as any program's would.
int MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), S_IRWXU) == 0 || errno == EEXIST) return 0;
  if (errno != ENOENT) return errno;
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  if (error) return error.value();
  if (mkdir(path.c_str(), S_IRWXU) == 0 || errno == EEXIST) return 0;
  return errno;
}

// Checks the folder through one handle, so what is checked is what is
// changed, whatever is renamed meanwhile.
std::string CheckFolder(int fd) {
  struct stat info {};
  if (fstat(fd, &info) != 0) return ErrorText(errno);
  if (info.st_uid != geteuid()) return "belongs to another user";
  if ((info.st_mode & kOthersWrite) != 0) return "other users can write into it";
  if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0 && fchmod(fd, S_IRWXU) != 0) {
    return "cannot close it to other users: " + ErrorText(errno);
  }
  return {};
}

// A runtime folder the system made for this user alone.
bool IsOwnRuntimeFolder(const std::string& path) {
  struct stat info {};
  if (path.empty() || path[0] != '/' || lstat(path.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & kOthersWrite) == 0;
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

PrivateFolder EnsurePrivateFolder(const std::string& path) {
  if (path.empty() || path[0] != '/') return Refused(path, "not an absolute path");
  if (int error = MakeFolder(path)) return Refused(path, ErrorText(error));
  int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    int error = errno;
    if (error != ELOOP && error != ENOTDIR) return Refused(path, ErrorText(error));
    struct stat info {};
    bool link = lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    return Refused(path, link ? "a symbolic link" : "not a folder");
  }
  std::string why = CheckFolder(fd);
  close(fd);
  if (!why.empty()) return Refused(path, why);
  return PrivateFolder{path, {}};
}

PrivateFolder PrivateRuntimeFolder() {
  std::string runtime = Variable("XDG_RUNTIME_DIR");
  if (IsOwnRuntimeFolder(runtime)) return EnsurePrivateFolder(runtime + "/" + kFolderName);
  // A relative value is no setting at all.
  std::string cache = Variable("XDG_CACHE_HOME");
  if (cache.empty() || cache[0] != '/') {
    std::string home = Variable("HOME");
    if (home.empty() || home[0] != '/') {
      return PrivateFolder{{}, "no runtime folder and no home folder to make a private one in"};
    }
    cache = home + "/.cache";
  }
  return EnsurePrivateFolder(cache + "/" + kFolderName);
}

}  // namespace reelcatch
