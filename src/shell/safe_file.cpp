#include "shell/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace reelcatch {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }
  // Closing can report a failed delayed write, so it has its own result.
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

std::string ParentOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeFolders(const std::string& folder) {
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  if (errno != ENOENT) return false;
  std::string parent = ParentOf(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    ssize_t written = write(fd, content.data() + done, content.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

bool WriteTemporary(const std::string& path, const std::string& content, std::string& tempPath) {
  std::vector<char> name(path.begin(), path.end());
  for (char ch : std::string(".XXXXXX")) name.push_back(ch);
  name.push_back('\0');
  FileDescriptor file(mkostemp(name.data(), O_CLOEXEC));
  if (file.Get() < 0) return false;
  tempPath = name.data();
  bool written =
      fchmod(file.Get(), 0600) == 0 && WriteAll(file.Get(), content) && fsync(file.Get()) == 0;
  return file.Close() && written;
}

// Makes the rename itself durable; the new contents are whole either way.
void SyncFolder(const std::string& folder) {
  FileDescriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() >= 0) fsync(dir.Get());
}

}  // namespace

FileReadResult ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& content) {
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) return errno == ENOENT ? FileReadResult::kMissing : FileReadResult::kFailed;
  std::string data;
  char buffer[8192];
  for (;;) {
    ssize_t got = read(file.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return FileReadResult::kFailed;
    if (got == 0) break;
    data.append(buffer, static_cast<std::size_t>(got));
    if (data.size() > maxBytes) return FileReadResult::kOversized;
  }
  content = std::move(data);
  return FileReadResult::kRead;
}

bool ReplaceFileContents(const std::string& path, const std::string& content) {
  std::string folder = ParentOf(path);
  if (!MakeFolders(folder)) return false;
  std::string tempPath;
  if (!WriteTemporary(path, content, tempPath) || rename(tempPath.c_str(), path.c_str()) != 0) {
    if (!tempPath.empty()) unlink(tempPath.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

}  // namespace reelcatch
