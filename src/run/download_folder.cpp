#include "run/download_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "run/part_meta.h"

namespace reelcatch {

namespace {

// Files that come and go between a look and a lock are looked at again, a
// few times; a name that keeps changing is left to whoever changes it.
constexpr int kClaimAttempts = 8;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::optional<DownloadFolder> DownloadFolder::Open(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) {
    errno = ENOENT;
    return std::nullopt;
  }
  int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    int error = errno;
    close(fd);
    errno = error;
    return std::nullopt;
  }
  return DownloadFolder(fd, FolderIdentity{info.st_dev, info.st_ino});
}

DownloadFolder::~DownloadFolder() {
  if (fd_ >= 0) close(fd_);
}

DownloadFolder::DownloadFolder(DownloadFolder&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), identity_(other.identity_) {}

PartFile::PartFile(const DownloadFolder& folder, std::string name)
    : folder_(folder), name_(std::move(name)) {}

PartFile::~PartFile() {
  if (fd_ >= 0) close(fd_);
}

bool PartFile::Fail(int error) {
  problem_ = error;
  return false;
}

bool PartFile::Lock(int fd) {
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) {
      inUse_ = true;
      return false;
    }
    // A file system that keeps no locks: nothing to wait for.
    return true;
  }
}

bool PartFile::StillNamed(int fd) const {
  struct stat held {};
  struct stat named {};
  return fstat(fd, &held) == 0 && held.st_nlink > 0 &&
         fstatat(folder_.Descriptor(), name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         SameFile(held, named);
}

// Read-only, so that claiming never changes the file, nor blocks on a pipe.
PartFile::Claim PartFile::TryClaim() {
  int fd = openat(folder_.Descriptor(), name_.c_str(),
                  O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    // A link in its place is replaced when the file is made, never followed.
    if (errno == ENOENT || errno == ELOOP) return Claim::kMissing;
    Fail(errno);
    return Claim::kRefused;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    Fail(S_ISDIR(info.st_mode) ? EISDIR : EEXIST);
    return Claim::kRefused;
  }
  if (!Lock(fd)) {
    close(fd);
    return Claim::kRefused;
  }
  // Locked only after its download had renamed or removed it: not ours.
  if (!StillNamed(fd)) {
    close(fd);
    return Claim::kRetry;
  }
  fd_ = fd;
  return Claim::kClaimed;
}

bool PartFile::ClaimExisting() {
  for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
    switch (TryClaim()) {
      case Claim::kClaimed:
      case Claim::kMissing:
        return true;
      case Claim::kRefused:
        return false;
      case Claim::kRetry:
        break;
    }
  }
  inUse_ = true;
  return false;
}

// Made anew rather than emptied: a partial file that shares its content
// with another name, or that is read-only, is never written into.
bool PartFile::Create() {
  int fd = openat(folder_.Descriptor(), name_.c_str(),
                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return Fail(errno);
  if (!Lock(fd)) {
    // Another download took it the moment it was made: it is theirs now.
    close(fd);
    return false;
  }
  if (fd_ >= 0) close(fd_);
  fd_ = fd;
  return true;
}

bool PartFile::IsLink() const {
  struct stat info {};
  return fstatat(folder_.Descriptor(), name_.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISLNK(info.st_mode);
}

std::optional<ResumePoint> PartFile::Resumable() const {
  struct stat info {};
  if (fd_ < 0 || fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 ||
      info.st_size <= 0 || !StillNamed(fd_)) {
    return std::nullopt;
  }
  std::optional<ResumePoint> kept = part_meta::Read(folder_.Descriptor(), name_, fd_);
  const auto size = static_cast<uint64_t>(info.st_size);
  if (!kept || !kept->Identified() || (kept->total && size > *kept->total)) return std::nullopt;
  kept->offset = size;
  return kept;
}

// The claimed file opened for writing after its last byte, when it still
// holds exactly `offset` bytes and nothing else shares them.
int PartFile::OpenToAppend(uint64_t offset) {
  struct stat held {};
  struct stat opened {};
  int fd = -1;
  if (fd_ >= 0 && StillNamed(fd_) && fstat(fd_, &held) == 0 && held.st_nlink == 1 &&
      static_cast<uint64_t>(held.st_size) == offset) {
    fd = openat(folder_.Descriptor(), name_.c_str(),
                O_WRONLY | O_APPEND | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  }
  if (fd >= 0 && fstat(fd, &opened) == 0 && SameFile(held, opened)) return fd;
  if (fd >= 0) close(fd);
  errno = EBUSY;
  return -1;
}

int PartFile::OpenForWriting(const BodyStart& start) {
  if (start.offset > 0) {
    int fd = OpenToAppend(start.offset);
    if (fd >= 0) part_meta::Write(folder_.Descriptor(), name_, fd_, start.keep);
    return fd;
  }
  int fd = OpenAnew();
  if (fd >= 0) part_meta::Write(folder_.Descriptor(), name_, fd_, start.keep);
  return fd;
}

int PartFile::OpenAnew() {
  for (int attempt = 0; attempt < kClaimAttempts && !inUse_; ++attempt) {
    if (fd_ < 0) {
      Claim claim = TryClaim();
      if (claim == Claim::kRefused) break;
      if (claim == Claim::kRetry) continue;
    }
    // What holds the name is ours to replace: the file we hold, or a link.
    bool replace = fd_ >= 0 ? StillNamed(fd_) : IsLink();
    if (fd_ >= 0 && !replace) {
      inUse_ = true;
      break;
    }
    if (replace && unlinkat(folder_.Descriptor(), name_.c_str(), 0) != 0 && errno != ENOENT) {
      Fail(errno);
      break;
    }
    if (Create()) return fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (problem_ != EEXIST) break;
    problem_ = 0;  // made by another download meanwhile: look again
  }
  if (inUse_) problem_ = 0;
  errno = problem_ != 0 ? problem_ : EBUSY;
  return -1;
}

bool PartFile::Flush() {
  if (fd_ < 0) return Fail(ENOENT);
  // Some file systems cannot flush at all; they have nothing to report.
  if (fsync(fd_) != 0 && errno != EINVAL) return Fail(errno);
  return true;
}

bool PartFile::NameTaken(const std::string& finalName) const {
  struct stat info {};
  return fstatat(folder_.Descriptor(), finalName.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool PartFile::Rename(const std::string& finalName, bool durable) {
  const int dir = folder_.Descriptor();
  if (fd_ < 0) return Fail(ENOENT);
  // The finished file carries nothing of its partial state.
  part_meta::Forget(dir, name_, fd_);
  if (renameat(dir, name_.c_str(), dir, finalName.c_str()) != 0) return Fail(errno);
  // The name is given; a folder that cannot be flushed does not take it back.
  if (durable) fsync(dir);
  return true;
}

void PartFile::Remove() {
  if (fd_ < 0 || !StillNamed(fd_)) return;
  part_meta::Forget(folder_.Descriptor(), name_, fd_);
  unlinkat(folder_.Descriptor(), name_.c_str(), 0);
}

}  // namespace reelcatch
