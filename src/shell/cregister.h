#pragma once

#include <cstdint>
#include <string>

namespace reelcatch {

// The predefined handle of the current user's hive.
inline constexpr std::uint32_t kHkeyCurrentUser = 0x80000001;

// A small registry-style store of string values: a hive holds keys named by
// backslash-separated paths, a key holds named values, and the value name
// "*" stands for the key's unnamed default value. Only the current user's
// hive exists; it is the file HKEY_CURRENT_USER.conf in the "reelcatch"
// folder of ConfigFolder(), looked up at every call (so $XDG_CONFIG_HOME
// can point it elsewhere). No call ever throws: a store that cannot be read
// holds no values, and one that cannot be written keeps its old contents.
class CRegister {
 public:
  // The stored value, or sDefault when the key or the value is missing. A
  // stored empty value is empty, not the default.
  std::string REGGetSetting(std::uint32_t regHKEY, const std::string& sSection,
                            const std::string& sKey, const std::string& sDefault = "") const;
  // Creates the key when needed; true when the value was written to disk.
  bool REGSaveSetting(std::uint32_t regHKEY, const std::string& sSection, const std::string& sKey,
                      const std::string& sValue);
  // Deletes the value sKey of the key; with an empty sKey, deletes the key
  // itself, which must have no subkeys and is named exactly as given.
  bool REGDeleteSetting(std::uint32_t regHKEY, const std::string& sSection,
                        const std::string& sKey = "");

  // Drops one leading and then one trailing backslash.
  static std::string TrimKeyPath(const std::string& path);
};

}  // namespace reelcatch
