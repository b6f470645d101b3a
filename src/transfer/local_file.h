#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace reelcatch {

// The file a transfer writes, owned for the transfer only.
class LocalFile {
 public:
  // Creates `path` anew. A regular file or a symbolic link already there is
  // removed first, so nothing is ever written through a link; anything else
  // there (a folder, a device) is left alone and the creation fails.
  static std::optional<LocalFile> Create(const std::string& path);
  // Takes over a descriptor opened elsewhere; none when fd is negative.
  static std::optional<LocalFile> Adopt(int fd);

  ~LocalFile();
  LocalFile(LocalFile&& other) noexcept;
  LocalFile& operator=(LocalFile&& other) noexcept;
  LocalFile(const LocalFile&) = delete;
  LocalFile& operator=(const LocalFile&) = delete;

  // Writes all of it; false when the disk refuses.
  bool Append(const char* data, std::size_t size);
  // False when the last writes could not be completed.
  bool Close();
  // errno of the last failed Append or Close; 0 when none failed.
  int Error() const { return error_; }
  // Empties the file: nothing written so far is kept.
  bool Discard();

 private:
  explicit LocalFile(int fd) : fd_(fd) {}
  int fd_ = -1;
  int error_ = 0;
};

}  // namespace reelcatch
