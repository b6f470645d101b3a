#include "transfer/local_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace reelcatch {
namespace {

// Removes what may be replaced; false when something else is in the way.
bool ClearPath(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return errno == ENOENT;
  if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
    errno = EEXIST;
    return false;
  }
  return unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace

std::optional<LocalFile> LocalFile::Create(const std::string& path) {
  if (path.empty()) errno = ENOENT;
  if (path.empty() || !ClearPath(path)) return std::nullopt;
  // O_EXCL: a link that appears after the removal is refused, not followed.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return std::nullopt;
  return LocalFile(fd);
}

std::optional<LocalFile> LocalFile::Adopt(int fd) {
  if (fd < 0) return std::nullopt;
  return LocalFile(fd);
}

LocalFile::~LocalFile() {
  if (fd_ >= 0) close(fd_);
}

LocalFile::LocalFile(LocalFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_) {}

LocalFile& LocalFile::operator=(LocalFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    error_ = other.error_;
  }
  return *this;
}

bool LocalFile::Append(const char* data, std::size_t size) {
  if (fd_ < 0) return false;
  while (size > 0) {
    ssize_t written = write(fd_, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      error_ = written < 0 ? errno : EIO;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool LocalFile::Discard() { return fd_ >= 0 && ftruncate(fd_, 0) == 0; }

bool LocalFile::Close() {
  if (fd_ < 0) return false;
  if (close(std::exchange(fd_, -1)) == 0) return true;
  error_ = errno;
  return false;
}

}  // namespace reelcatch
