#include "run/part_meta.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string_view>

namespace reelcatch::part_meta {
namespace {

constexpr const char* kValidatorName = "user.reelcatch.validator";
constexpr const char* kSizeName = "user.reelcatch.size";
constexpr const char* kSidecarSuffix = ".meta";
constexpr size_t kMaxSidecar = 2048;

std::string Sidecar(const std::string& partName) { return partName + kSidecarSuffix; }

std::optional<uint64_t> Number(std::string_view text) {
  uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool NoAttributes(int error) { return error == ENOTSUP || error == EOPNOTSUPP; }

// Sets or removes one attribute; false with errno set when that failed.
bool SetAttribute(int fd, const char* name, const std::string& value) {
  if (!value.empty()) return fsetxattr(fd, name, value.data(), value.size(), 0) == 0;
  return fremovexattr(fd, name) == 0 || errno == ENODATA;
}

// One attribute: its value, "" when the file has none; none when unreadable.
std::optional<std::string> GetAttribute(int fd, const char* name) {
  char value[kMaxSidecar];
  ssize_t size = fgetxattr(fd, name, value, sizeof value);
  if (size >= 0) return std::string(value, static_cast<size_t>(size));
  if (errno == ENODATA) return std::string();
  return std::nullopt;
}

std::string SidecarText(const ResumePoint& keep) {
  return "validator " + keep.validator + "\nsize " +
         (keep.total ? std::to_string(*keep.total) : std::string()) + "\n";
}

std::optional<ResumePoint> ParseSidecar(std::string_view text) {
  constexpr std::string_view kValidator = "validator ", kSize = "\nsize ";
  size_t size = text.find(kSize);
  if (!text.starts_with(kValidator) || size == std::string_view::npos || !text.ends_with('\n')) {
    return std::nullopt;
  }
  ResumePoint kept;
  kept.validator = text.substr(kValidator.size(), size - kValidator.size());
  if (!kept.validator.empty() && !UsableValidator(kept.validator)) return std::nullopt;
  std::string_view total = text.substr(size + kSize.size());
  total.remove_suffix(1);
  if (!total.empty()) {
    kept.total = Number(total);
    if (!kept.total) return std::nullopt;
  }
  return kept;
}

// Written under a name of its own and renamed, so that no reader ever
// finds half of it.
bool WriteSidecar(int folder, const std::string& partName, const ResumePoint& keep) {
  const std::string name = Sidecar(partName), fresh = name + ".new";
  unlinkat(folder, fresh.c_str(), 0);
  int fd = openat(folder, fresh.c_str(),
                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0644);
  if (fd < 0) return false;
  const std::string text = SidecarText(keep);
  bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  written = close(fd) == 0 && written;
  if (written && renameat(folder, fresh.c_str(), folder, name.c_str()) == 0) return true;
  unlinkat(folder, fresh.c_str(), 0);
  return false;
}

std::optional<ResumePoint> ReadSidecar(int folder, const std::string& partName) {
  int fd = openat(folder, Sidecar(partName).c_str(),
                  O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  char text[kMaxSidecar];
  ssize_t size = -1;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) size = read(fd, text, sizeof text);
  close(fd);
  if (size <= 0 || static_cast<size_t>(size) == sizeof text) return std::nullopt;
  return ParseSidecar(std::string_view(text, static_cast<size_t>(size)));
}

void RemoveSidecar(int folder, const std::string& partName) {
  struct stat info {};
  const std::string name = Sidecar(partName);
  if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)) {
    unlinkat(folder, name.c_str(), 0);
  }
}

}  // namespace

bool Write(int folder, const std::string& partName, int fd, const ResumePoint& keep) {
  ResumePoint kept = keep;
  if (!UsableValidator(kept.validator)) kept.validator.clear();
  if (!kept.Identified()) {
    Forget(folder, partName, fd);
    return false;
  }
  std::string size = kept.total ? std::to_string(*kept.total) : std::string();
  if (SetAttribute(fd, kValidatorName, kept.validator) && SetAttribute(fd, kSizeName, size)) {
    RemoveSidecar(folder, partName);
    return true;
  }
  if (!NoAttributes(errno)) return false;
  return WriteSidecar(folder, partName, kept);
}

std::optional<ResumePoint> Read(int folder, const std::string& partName, int fd) {
  std::optional<std::string> validator = GetAttribute(fd, kValidatorName);
  std::optional<std::string> size = GetAttribute(fd, kSizeName);
  if (!validator || !size) {
    if (!NoAttributes(errno)) return std::nullopt;
    return ReadSidecar(folder, partName);
  }
  if (validator->empty() && size->empty()) return ReadSidecar(folder, partName);
  ResumePoint kept;
  kept.validator = *validator;
  if (!kept.validator.empty() && !UsableValidator(kept.validator)) return std::nullopt;
  if (!size->empty()) {
    kept.total = Number(*size);
    if (!kept.total) return std::nullopt;
  }
  return kept;
}

void Forget(int folder, const std::string& partName, int fd) {
  if (fd >= 0) {
    fremovexattr(fd, kValidatorName);
    fremovexattr(fd, kSizeName);
  }
  RemoveSidecar(folder, partName);
}

}  // namespace reelcatch::part_meta
