#include "resolve/page_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/process_start.h"

namespace reelcatch {

namespace {

constexpr std::string_view kStem = "Parse-";
constexpr std::string_view kExtension = ".pgd";

template <typename Number>
bool ReadNumber(std::string_view text, Number& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

struct Owner {
  pid_t pid = 0;
  unsigned long long ticks = 0;
};

// The process a page file's name names; none for any other name.
std::optional<Owner> OwnerOf(std::string_view name) {
  if (!name.starts_with(kStem) || !name.ends_with(kExtension)) return std::nullopt;
  name = name.substr(kStem.size(), name.size() - kStem.size() - kExtension.size());
  std::size_t dash = name.find('-');
  Owner owner;
  if (dash == std::string_view::npos || !ReadNumber(name.substr(0, dash), owner.pid) ||
      !ReadNumber(name.substr(dash + 1), owner.ticks) || owner.pid <= 0) {
    return std::nullopt;
  }
  return owner;
}

// A process that ended, or whose id now belongs to a later process.
bool HasEnded(const Owner& owner) {
  std::optional<unsigned long long> started = ProcessStartTicks(owner.pid);
  return !started || *started != owner.ticks;
}

// Creates the file anew; a file under this very name can only be a leftover
// of an earlier process that had the same id and start time.
int CreateExclusive(const std::string& path) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
    if (unlink(path.c_str()) != 0) return -1;
  }
  errno = EEXIST;
  return -1;
}

std::string PageFileName(pid_t pid, unsigned long long startTicks) {
  return std::string(kStem) + std::to_string(pid) + "-" + std::to_string(startTicks) +
         std::string(kExtension);
}

// Removes the page files in folder whose process no longer runs.
void RemoveLeftPageFiles(const std::string& folder) {
  // Without /proc nothing can be told about other processes: keep all.
  if (!ProcessStartTicks(getpid())) return;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  while (dirent* entry = readdir(dir)) {
    std::optional<Owner> owner = OwnerOf(entry->d_name);
    // A folder of that name is no page file; unlinkat leaves it.
    if (owner && HasEnded(*owner)) unlinkat(dirfd(dir), entry->d_name, 0);
  }
  closedir(dir);
}

}  // namespace

PageFile::PageFile(const PrivateFolder& folder) {
  if (!folder.Usable()) {
    error_ = folder.error;
    return;
  }
  // Checked again right before use: the folder may have changed since.
  PrivateFolder checked = EnsurePrivateFolder(folder.path);
  if (!checked.Usable()) {
    error_ = checked.error;
    return;
  }
  RemoveLeftPageFiles(checked.path);
  std::string path =
      checked.path + "/" + PageFileName(getpid(), ProcessStartTicks(getpid()).value_or(0));
  int fd = CreateExclusive(path);
  if (fd < 0) {
    error_ = path + ": " + std::strerror(errno);
    return;
  }
  close(fd);
  path_ = std::move(path);
}

PageFile::~PageFile() { Remove(); }

PageFile::PageFile(PageFile&& other) noexcept
    : path_(std::exchange(other.path_, {})), error_(std::move(other.error_)) {}

PageFile& PageFile::operator=(PageFile&& other) noexcept {
  if (this != &other) {
    Remove();
    path_ = std::exchange(other.path_, {});
    error_ = std::move(other.error_);
  }
  return *this;
}

void PageFile::Remove() {
  if (path_.empty()) return;
  unlink(path_.c_str());
  path_.clear();
}

}  // namespace reelcatch
