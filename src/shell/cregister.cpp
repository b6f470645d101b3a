#include "shell/cregister.h"

#include <exception>

#include "shell/hive_file.h"
#include "shell/safe_file.h"
#include "shell/user_folders.h"

namespace reelcatch {
namespace {

// Far more than two settings ever need; a bigger file is not ours.
constexpr std::size_t kMaxHiveBytes = 1 << 20;

std::string HivePath(std::uint32_t regHKEY) {
  if (regHKEY != kHkeyCurrentUser) return {};
  std::string folder = ConfigFolder();
  return folder.empty() ? std::string() : folder + "/reelcatch/HKEY_CURRENT_USER.conf";
}

std::string ValueName(const std::string& sKey) { return sKey == "*" ? std::string() : sKey; }

Hive ReadHive(const std::string& path) {
  std::string text;
  if (path.empty() || ReadSmallFile(path, kMaxHiveBytes, text) != FileReadResult::kRead) return {};
  return ParseHive(text);
}

// A damaged or oversized file may be replaced; one that is there but cannot
// be read may hold good values, so it is left alone.
bool ReadHiveForChange(const std::string& path, Hive& hive) {
  std::string text;
  if (path.empty()) return false;
  FileReadResult result = ReadSmallFile(path, kMaxHiveBytes, text);
  if (result == FileReadResult::kFailed) return false;
  hive = result == FileReadResult::kRead ? ParseHive(text) : Hive();
  return true;
}

bool HasSubkeys(const Hive& hive, const std::string& keyPath) {
  std::string prefix = keyPath + '\\';
  auto next = hive.lower_bound(prefix);
  return next != hive.end() && next->first.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::string CRegister::REGGetSetting(std::uint32_t regHKEY, const std::string& sSection,
                                     const std::string& sKey, const std::string& sDefault) const {
  try {
    Hive hive = ReadHive(HivePath(regHKEY));
    auto key = hive.find(TrimKeyPath(sSection));
    if (key == hive.end()) return sDefault;
    auto value = key->second.find(ValueName(sKey));
    return value == key->second.end() ? sDefault : value->second;
  } catch (const std::exception&) {
    return sDefault;
  }
}

bool CRegister::REGSaveSetting(std::uint32_t regHKEY, const std::string& sSection,
                               const std::string& sKey, const std::string& sValue) {
  try {
    std::string path = HivePath(regHKEY);
    Hive hive;
    if (!ReadHiveForChange(path, hive)) return false;
    hive[TrimKeyPath(sSection)][ValueName(sKey)] = sValue;
    return ReplaceFileContents(path, FormatHive(hive));
  } catch (const std::exception&) {
    return false;
  }
}

bool CRegister::REGDeleteSetting(std::uint32_t regHKEY, const std::string& sSection,
                                 const std::string& sKey) {
  try {
    std::string path = HivePath(regHKEY);
    Hive hive;
    if (!ReadHiveForChange(path, hive)) return false;
    if (sKey.empty()) {
      auto key = hive.find(sSection);
      if (sSection.empty() || key == hive.end() || HasSubkeys(hive, sSection)) return false;
      hive.erase(key);
    } else {
      auto key = hive.find(TrimKeyPath(sSection));
      if (key == hive.end() || key->second.erase(ValueName(sKey)) == 0) return false;
    }
    return ReplaceFileContents(path, FormatHive(hive));
  } catch (const std::exception&) {
    return false;
  }
}

std::string CRegister::TrimKeyPath(const std::string& path) {
  std::string trimmed = path;
  if (!trimmed.empty() && trimmed.front() == '\\') trimmed.erase(0, 1);
  if (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  return trimmed;
}

}  // namespace reelcatch
