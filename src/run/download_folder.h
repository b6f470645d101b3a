#pragma once

#include <sys/types.h>

#include <compare>
#include <optional>
#include <string>

#include "transfer/download.h"

namespace reelcatch {

// Which folder it is, whatever path led to it.
struct FolderIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  auto operator<=>(const FolderIdentity&) const = default;
};

// The download folder as one item sees it. The path is resolved once, when
// the item begins; everything done for the item afterwards (making its
// partial file, naming it, removing it) happens in that same folder, even if
// the path is swapped for a link in the meantime.
class DownloadFolder {
 public:
  // None, with errno set, when the path names no folder that can be opened.
  static std::optional<DownloadFolder> Open(const std::string& path);

  ~DownloadFolder();
  DownloadFolder(DownloadFolder&& other) noexcept;
  DownloadFolder& operator=(DownloadFolder&& other) = delete;
  DownloadFolder(const DownloadFolder&) = delete;
  DownloadFolder& operator=(const DownloadFolder&) = delete;

  int Descriptor() const { return fd_; }
  FolderIdentity Identity() const { return identity_; }

 private:
  DownloadFolder(int fd, FolderIdentity identity) : fd_(fd), identity_(identity) {}
  int fd_ = -1;
  FolderIdentity identity_;
};

// The partial file of one item's transfer. From the moment it is claimed
// until it has its final name (or is given up) it is held with an exclusive
// lock, so that two downloads never write, empty, rename or remove the same
// partial file: the second one finds it in use and leaves it alone.
class PartFile {
 public:
  PartFile(const DownloadFolder& folder, std::string name);
  // Closing lets the lock go; the file stays as it is.
  ~PartFile();
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  const std::string& Name() const { return name_; }

  // Claims the partial file an earlier transfer left, without changing it.
  // True when there is none (it is made when the transfer needs it). False
  // when another download holds it (InUse) or something else is in its
  // place (Problem).
  bool ClaimExisting();
  // What the claimed file holds and what was kept with it, when a transfer
  // may ask for the rest of it: none when there is no such file, it is
  // empty or shares its content with another name, nothing ties it to one
  // file on the server, or it holds more than that whole file.
  std::optional<ResumePoint> Resumable() const;
  // For the transfer, once the address has answered: the claimed file with
  // the body appended to what it holds (start.offset bytes), or made anew.
  // What start says to keep is kept with it. A descriptor of its own that
  // the transfer owns and closes (the lock stays here), or -1 with errno set.
  int OpenForWriting(const BodyStart& start);
  // Whether something in the folder already has this name.
  bool NameTaken(const std::string& finalName) const;
  // Puts what was written on the disk, before it may replace an older file.
  bool Flush();
  // Gives the written file its final name, replacing an older file of that
  // name; durable puts the folder's new entry on the disk as well.
  bool Rename(const std::string& finalName, bool durable);
  // Removes the partial file; never anything that took its place.
  void Remove();

  bool InUse() const { return inUse_; }
  // What went wrong, as errno; 0 when nothing did.
  int Problem() const { return problem_; }

 private:
  enum class Claim { kClaimed, kMissing, kRetry, kRefused };
  Claim TryClaim();
  bool Lock(int fd);
  bool StillNamed(int fd) const;
  bool IsLink() const;
  bool Create();
  int OpenAnew();
  int OpenToAppend(uint64_t offset);
  bool Fail(int error);

  const DownloadFolder& folder_;
  std::string name_;
  int fd_ = -1;
  bool inUse_ = false;
  int problem_ = 0;
};

}  // namespace reelcatch
