#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace reelcatch::testing {

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = getenv(name_.c_str())) old_ = old;
    setenv(name_.c_str(), value.c_str(), 1);
  }
  ~ScopedEnv() { old_ ? setenv(name_.c_str(), old_->c_str(), 1) : unsetenv(name_.c_str()); }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// A fresh folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "reelcatch-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Points the settings store and the home folder into a fresh folder.
class ConfigFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(temp_.Path().empty()); }

  std::string Home() const { return temp_.Path() + "/home"; }
  std::string StoreFolder() const { return temp_.Path() + "/config/reelcatch"; }
  std::string HiveFile() const { return StoreFolder() + "/HKEY_CURRENT_USER.conf"; }

  TempFolder temp_;
  ScopedEnv config_{"XDG_CONFIG_HOME", temp_.Path() + "/config"};
  ScopedEnv home_{"HOME", Home()};
};

}  // namespace reelcatch::testing
