// The private folder for sockets and scratch files: what it accepts, what
// it makes, what it closes and what it refuses, and where it is put.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/private_folder.h"
#include "unit/shell_config_folder.h"

namespace reelcatch {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;
using testing::TempFolder;

constexpr uid_t kNobody = 65534;

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

void MakeFolder(const std::string& path, mode_t mode) {
  fs::create_directories(path);
  chmod(path.c_str(), mode);
}

TEST(PrivateFolderTest, MakesClosesOrRefuses) {
  enum Setup { kMissing, kMissingParents, kFolder, kLink, kFile, kOthers };
  struct Case {
    const char* name;
    Setup setup;
    mode_t mode;  // of the folder as found
    bool usable;
    const char* why;  // part of the error when refused
  };
  const Case cases[] = {
      {"missing", kMissing, 0, true, ""},
      {"missing with its parents", kMissingParents, 0, true, ""},
      {"ours, closed", kFolder, 0700, true, ""},
      {"ours, others may read and enter", kFolder, 0755, true, ""},
      {"ours, others may write", kFolder, 0777, false, "can write"},
      {"ours, the group may write", kFolder, 0770, false, "can write"},
      {"a symbolic link to a closed folder", kLink, 0700, false, "symbolic link"},
      {"a file", kFile, 0600, false, "not a folder"},
      {"another user's", kOthers, 0700, false, "another user"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    std::string path = temp.Path() + (c.setup == kMissingParents ? "/a/b/reelcatch" : "/reelcatch");
    switch (c.setup) {
      case kMissing:
      case kMissingParents:
        break;
      case kFolder:
        MakeFolder(path, c.mode);
        break;
      case kLink:
        MakeFolder(temp.Path() + "/real", c.mode);
        fs::create_symlink(temp.Path() + "/real", path);
        break;
      case kFile:
        std::ofstream(path) << "x";
        chmod(path.c_str(), c.mode);
        break;
      case kOthers:
        if (geteuid() != 0) {
          // Only root can give a folder away.
          continue;
        }
        MakeFolder(path, c.mode);
        ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
        break;
    }

    PrivateFolder folder = EnsurePrivateFolder(path);

    EXPECT_EQ(folder.Usable(), c.usable) << folder.error;
    if (c.usable) {
      EXPECT_EQ(folder.path, path);
      EXPECT_TRUE(fs::is_directory(fs::symlink_status(path)));
      EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_all);
    } else {
      EXPECT_TRUE(folder.path.empty());
      EXPECT_NE(folder.error.find(c.why), std::string::npos) << folder.error;
      // What was refused is left as it was found.
      if (c.setup == kFolder) {
        EXPECT_EQ(ModeOf(path) & 0777, c.mode);
      }
    }
  }
}

TEST(PrivateFolderTest, RefusesARelativePath) {
  EXPECT_FALSE(EnsurePrivateFolder("reelcatch").Usable());
  EXPECT_FALSE(EnsurePrivateFolder("").Usable());
}

TEST(PrivateFolderTest, RuntimeFolderOnlyWhenItIsTheUsersOwn) {
  enum Where { kRuntime, kCache, kHomeCache, kNone };
  struct Case {
    const char* name;
    const char* runtime;  // relative to the temporary folder; "" unset
    mode_t runtimeMode;
    const char* cache;
    const char* home;
    Where where;
  };
  const Case cases[] = {
      {"runtime folder of our own", "/run", 0700, "/cache", "/home", kRuntime},
      {"no runtime folder", "", 0, "/cache", "/home", kCache},
      {"a shared runtime folder, as /tmp is", "/run", 01777, "/cache", "/home", kCache},
      {"a runtime folder that is missing", "/gone", 0, "/cache", "/home", kCache},
      {"a relative runtime folder", "run", 0, "/cache", "/home", kCache},
      {"no cache folder either", "", 0, "", "/home", kHomeCache},
      {"a relative cache folder", "", 0, "cache", "/home", kHomeCache},
      {"no home either", "", 0, "", "", kNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    auto at = [&](const char* path) {
      std::string text = path;
      return text.empty() || text[0] != '/' ? text : temp.Path() + text;
    };
    if (c.runtimeMode != 0) MakeFolder(at(c.runtime), c.runtimeMode);
    ScopedEnv runtime("XDG_RUNTIME_DIR", at(c.runtime));
    ScopedEnv cache("XDG_CACHE_HOME", at(c.cache));
    ScopedEnv home("HOME", at(c.home));

    PrivateFolder folder = PrivateRuntimeFolder();

    switch (c.where) {
      case kRuntime:
        EXPECT_EQ(folder.path, at(c.runtime) + "/reelcatch");
        break;
      case kCache:
        EXPECT_EQ(folder.path, at(c.cache) + "/reelcatch");
        break;
      case kHomeCache:
        EXPECT_EQ(folder.path, at(c.home) + "/.cache/reelcatch");
        break;
      case kNone:
        EXPECT_FALSE(folder.Usable());
        EXPECT_FALSE(folder.error.empty());
        break;
    }
    if (folder.Usable()) {
      EXPECT_EQ(ModeOf(folder.path), 0700u);
    }
  }
}

}  // namespace
}  // namespace reelcatch
