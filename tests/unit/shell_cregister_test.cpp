#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "shell/cregister.h"
#include "unit/shell_config_folder.h"

namespace reelcatch {
namespace {

using testing::ConfigFolderTest;

constexpr const char* kKey = "Software\\Test\\Key";

class CRegisterTest : public ConfigFolderTest {
 protected:
  std::string Get(const std::string& name, const std::string& fallback = "<default>") const {
    return reg_.REGGetSetting(kHkeyCurrentUser, kKey, name, fallback);
  }
  bool Save(const std::string& name, const std::string& value) {
    return reg_.REGSaveSetting(kHkeyCurrentUser, kKey, name, value);
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(StoreFolder())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  CRegister reg_;
};

TEST(TrimKeyPathTest, RemovesOneBackslashAtEachEnd) {
  struct Case {
    const char* path;
    const char* trimmed;
  } cases[] = {
      {"\\a\\b\\", "a\\b"}, {"\\\\a", "\\a"}, {"a\\\\", "a\\"}, {"\\", ""},
      {"\\\\", ""},         {"", ""},         {"a\\b", "a\\b"},
  };
  for (const Case& c : cases) EXPECT_EQ(CRegister::TrimKeyPath(c.path), c.trimmed) << c.path;
}

TEST_F(CRegisterTest, MissingIsTheDefaultButStoredEmptyIsEmpty) {
  EXPECT_EQ(Get("Name"), "<default>");  // no file at all
  EXPECT_EQ(reg_.REGGetSetting(kHkeyCurrentUser, kKey, "Name"), "");
  ASSERT_TRUE(Save("Empty", ""));
  EXPECT_EQ(Get("Empty"), "");
  EXPECT_EQ(Get("Other"), "<default>");  // key there, value not
  EXPECT_EQ(reg_.REGGetSetting(kHkeyCurrentUser, "Software\\Other", "Empty", "d"), "d");
}

TEST_F(CRegisterTest, AnyTextRoundTrips) {
  const std::string values[] = {
      "plain",
      "line one\nline two\r\n",
      "a=b==c",
      "[Section]",
      "]",
      "%41 is not an escape%",
      "non-ASCII \xc3\xa9 and stray \xff\xfe bytes",
      std::string("nul\0inside", 10),
      "  blanks kept  ",
      "\\back\\slashes\\",
      "\x7f\x01\t",
  };
  for (std::size_t i = 0; i < std::size(values); ++i) {
    ASSERT_TRUE(Save("v" + std::to_string(i), values[i]));
  }
  const std::string oddName = "name=with [odd]\nbytes";
  ASSERT_TRUE(Save(oddName, "odd"));
  ASSERT_TRUE(reg_.REGSaveSetting(kHkeyCurrentUser, "A]\n[B", "x", "section"));

  CRegister fresh;
  for (std::size_t i = 0; i < std::size(values); ++i) {
    EXPECT_EQ(fresh.REGGetSetting(kHkeyCurrentUser, kKey, "v" + std::to_string(i)), values[i]);
  }
  EXPECT_EQ(fresh.REGGetSetting(kHkeyCurrentUser, kKey, oddName), "odd");
  EXPECT_EQ(fresh.REGGetSetting(kHkeyCurrentUser, "A]\n[B", "x"), "section");
}

TEST_F(CRegisterTest, KeyPathsAreTrimmedAndStarIsTheDefaultValue) {
  ASSERT_TRUE(reg_.REGSaveSetting(kHkeyCurrentUser, "\\Software\\Test\\Key\\", "*", "unnamed"));
  ASSERT_TRUE(Save("*x", "named"));
  EXPECT_EQ(Get("*"), "unnamed");
  EXPECT_EQ(Get(""), "unnamed");
  EXPECT_EQ(Get("*x"), "named");
  EXPECT_NE(ReadHiveFile().find("[Software\\Test\\Key]\n"), std::string::npos);
}

TEST_F(CRegisterTest, StoreIsPrivateToTheUser) {
  ASSERT_TRUE(Save("Name", "value"));
  struct stat info {};
  ASSERT_EQ(stat(StoreFolder().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(HiveFile().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(CRegisterTest, DamagedFileGivesWhatCanBeReadAndCanBeReplaced) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* good;  // value of "Good", or the default
  } cases[] = {
      {"garbage", std::string("\x00\xff\x13[=]]\n==\n\x80\x81", 12), "<default>"},
      {"values before any header", "Good=stray\n", "<default>"},
      {"truncated header", "[Software\\Test\\Key]\nGood=kept\n[Software\\Te\nGood=lost\n", "kept"},
      {"cut-off last line", "[Software\\Test\\Key]\nGood=/home/us", "<default>"},
      {"broken escape", "[Software\\Test\\Key]\nGood=%4\n", "<default>"},
      {"CR LF line ends", "[Software\\Test\\Key]\r\nGood=crlf\r\n", "crlf"},
  };
  for (const Case& c : cases) {
    WriteHiveFile(c.bytes);
    EXPECT_EQ(Get("Good"), c.good) << c.what;
    EXPECT_TRUE(Save("New", "saved")) << c.what;
    EXPECT_EQ(Get("New"), "saved") << c.what;
    EXPECT_EQ(Get("Good"), c.good) << c.what;
  }
}

TEST_F(CRegisterTest, UnwritableStoreFailsTheSave) {
  std::ofstream(temp_.Path() + "/file") << "a regular file";
  testing::ScopedEnv underFile("XDG_CONFIG_HOME", temp_.Path() + "/file/config");
  EXPECT_FALSE(Save("Name", "value"));
  EXPECT_EQ(Get("Name"), "<default>");
}

TEST_F(CRegisterTest, UnreadableFileIsNeitherReadNorReplaced) {
  std::filesystem::create_directories(HiveFile());
  EXPECT_EQ(Get("Name"), "<default>");
  EXPECT_FALSE(Save("Name", "value"));
  EXPECT_TRUE(std::filesystem::is_directory(HiveFile()));
}

// Caps the size of files this process may write, so even root sees writes
// fail part-way.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  sighandler_t oldHandler_;
};

TEST_F(CRegisterTest, FailedWriteLeavesTheOldFileWhole) {
  ASSERT_TRUE(Save("Name", "old value"));
  const std::string before = ReadHiveFile();
  {
    ScopedFileSizeLimit limit(before.size() + 8);
    EXPECT_FALSE(Save("Name", std::string(4096, 'x')));
  }
  EXPECT_EQ(ReadHiveFile(), before);
  EXPECT_EQ(Get("Name"), "old value");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"HKEY_CURRENT_USER.conf"});
}

TEST_F(CRegisterTest, DeleteRemovesOnlyWhatExists) {
  ASSERT_TRUE(Save("Name", "value"));
  ASSERT_TRUE(Save("*", "unnamed"));
  ASSERT_TRUE(reg_.REGSaveSetting(kHkeyCurrentUser, "Parent\\Child", "x", "1"));
  ASSERT_TRUE(reg_.REGSaveSetting(kHkeyCurrentUser, "Parent", "x", "1"));
  ASSERT_TRUE(reg_.REGSaveSetting(kHkeyCurrentUser, "Parent Sibling", "x", "1"));
  ASSERT_TRUE(reg_.REGSaveSetting(kHkeyCurrentUser, "Lone", "x", "1"));
  ASSERT_TRUE(reg_.REGSaveSetting(kHkeyCurrentUser, "Lone Sibling", "x", "1"));

  struct Case {
    const char* section;
    const char* name;
    bool deleted;
  } cases[] = {
      {"\\Software\\Test\\Key\\", "Name", true},
      {kKey, "Name", false},  // already gone
      {kKey, "*", true},
      {"No\\Such\\Key", "Name", false},
      {"Parent", "", false},  // has a subkey
      {"\\Lone", "", false},  // whole-key paths are not trimmed
      {"Lone", "", true},
      {"Lone", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(reg_.REGDeleteSetting(kHkeyCurrentUser, c.section, c.name), c.deleted)
        << c.section << " / " << c.name;
  }
  EXPECT_EQ(Get("Name"), "<default>");
  EXPECT_EQ(Get("*"), "<default>");
  EXPECT_EQ(reg_.REGGetSetting(kHkeyCurrentUser, "Lone", "x", "gone"), "gone");
  EXPECT_EQ(reg_.REGGetSetting(kHkeyCurrentUser, "Lone Sibling", "x"), "1");
  EXPECT_EQ(reg_.REGGetSetting(kHkeyCurrentUser, "Parent\\Child", "x"), "1");
}

TEST_F(CRegisterTest, OtherHivesHoldNothing) {
  constexpr std::uint32_t kHkeyLocalMachine = 0x80000002;
  EXPECT_FALSE(reg_.REGSaveSetting(kHkeyLocalMachine, kKey, "Name", "value"));
  EXPECT_EQ(reg_.REGGetSetting(kHkeyLocalMachine, kKey, "Name", "d"), "d");
  EXPECT_FALSE(std::filesystem::exists(StoreFolder()));
}

}  // namespace
}  // namespace reelcatch
