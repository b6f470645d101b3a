#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/movie_variables.h"
#include "shell/mod_settings.h"
#include "unit/shell_config_folder.h"

namespace reelcatch {
namespace {

using testing::ConfigFolderTest;
using Variables = std::vector<std::pair<std::string, std::string>>;

// Records every variable set, in order; can refuse one name.
class RecordingMovie : public Movie {
 public:
  void LoadMovie(int, const std::string&) override {}
  void SetVariable(const std::string& name, const std::string& value) override {
    if (name == refused) throw std::runtime_error("refused");
    sets.emplace_back(name, value);
  }
  std::string GetVariable(const std::string&) override { return {}; }

  Variables sets;
  std::string refused;
};

class SettingsTest : public ConfigFolderTest {
 protected:
  void Load() {
    LoadSettings(reg_, settings_, movie_, [this](bool state) { monitorCalls_.push_back(state); });
  }
  void Store(const char* name, const std::string& value) {
    ASSERT_TRUE(reg_.REGSaveSetting(kHkeyCurrentUser, kSettingsKey, name, value));
  }
  std::string Stored(const char* name) {
    return reg_.REGGetSetting(kHkeyCurrentUser, kSettingsKey, name, "<missing>");
  }
  static Variables Expected(const char* monitoring, const std::string& folder) {
    return {{"_root.autoToDownloadList_CB", monitoring},
            {"_root.Download_CB", "1"},
            {"_root.Convert_CB", "1"},
            {"_root.download_dir", folder}};
  }

  CRegister reg_;
  Settings settings_;
  RecordingMovie movie_;
  std::vector<bool> monitorCalls_;
};

TEST_F(SettingsTest, FirstStartMonitorsAndUsesTheDefaultFolder) {
  Load();
  const std::string folder = Home() + "/Downloaded Videos";
  EXPECT_TRUE(settings_.URLMon);
  EXPECT_EQ(monitorCalls_, std::vector<bool>{true});
  EXPECT_EQ(settings_.DownloadDir, folder);
  EXPECT_EQ(movie_.sets, Expected("1", folder));
  EXPECT_FALSE(std::filesystem::exists(HiveFile()));  // loading writes nothing
}

// A path is cut at a NUL, and the cut path may be a file of the user's: a
// folder with a control character in it is no folder.
TEST_F(SettingsTest, StoredFolderWithAControlCharacterGivesTheDefault) {
  const std::string fallback = Home() + "/Downloaded Videos";
  struct Case {
    const char* name;
    std::string stored;
    std::string used;
  } cases[] = {
      {"empty", "", ""},
      {"plain", "/srv/videos", "/srv/videos"},
      {"NUL", std::string("/home/u/.bashrc\0/x", 18), fallback},
      {"line feed", "/srv/a\nb", fallback},
      {"escape", "/srv/\x1b[2J", fallback},
      {"DEL", "/srv/a\x7f", fallback},
      {"C1 control in UTF-8",
       "/srv/a\xc2\x9b"
       "2J",
       fallback},
      {"no-break space",
       "/srv/a\xc2\xa0"
       "b",
       "/srv/a\xc2\xa0"
       "b"},
      {"Latin-1 byte", "/srv/vid\xe9os", "/srv/vid\xe9os"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Store(kDownloadDirValue, c.stored);
    movie_.sets.clear();
    Load();
    EXPECT_EQ(settings_.DownloadDir, c.used);
    EXPECT_EQ(movie_.sets, Expected("1", c.used));
    EXPECT_EQ(ReadDownloadDir(reg_), c.used);
  }
}

TEST_F(SettingsTest, StoredMonitoringSwitch) {
  struct Case {
    const char* stored;
    bool on;
  } cases[] = {{"0", false}, {"TRUE", true}, {"false", false}, {"2", true}, {"yes", false}};
  for (const Case& c : cases) {
    Store(kUrlMonValue, c.stored);
    settings_ = Settings();
    movie_.sets.clear();
    monitorCalls_.clear();
    Load();
    EXPECT_EQ(settings_.URLMon, c.on) << c.stored;
    EXPECT_EQ(monitorCalls_, c.on ? std::vector<bool>{true} : std::vector<bool>{}) << c.stored;
    ASSERT_FALSE(movie_.sets.empty());
    EXPECT_EQ(movie_.sets.front().second, c.on ? "1" : "0") << c.stored;
  }
}

TEST(ReadTruthValueTest, WordsAndNumbersOnly) {
  struct Case {
    const char* text;
    bool understood;
    bool value;
  } cases[] = {
      {"True", true, true},  {"fALSE", true, false}, {" true\t", true, true},
      {"-0.0", true, false}, {"+.5", true, true},    {"007", true, true},
      {" 0 ", true, false},  {"1.", true, true},     {"", false, false},
      {"-", false, false},   {".", false, false},    {"1.2.3", false, false},
      {"1e3", false, false}, {"0x1", false, false},  {"truex", false, false},
      {"yes", false, false}, {"1 0", false, false},  {"++1", false, false},
  };
  for (const Case& c : cases) {
    for (bool before : {false, true}) {
      bool value = before;
      EXPECT_EQ(ReadTruthValue(c.text, value), c.understood) << c.text;
      EXPECT_EQ(value, c.understood ? c.value : before) << c.text;
    }
  }
}

TEST_F(SettingsTest, SavingWritesCapitalisedTruthAndIsRepeatable) {
  settings_ = {"/srv/videos", true};
  SaveSettings(reg_, settings_);
  const std::string first = ReadHiveFile();
  SaveSettings(reg_, settings_);
  EXPECT_EQ(ReadHiveFile(), first);
  EXPECT_EQ(Stored(kUrlMonValue), "True");
  EXPECT_EQ(Stored(kDownloadDirValue), "/srv/videos");

  settings_.URLMon = false;
  SaveSettings(reg_, settings_);
  EXPECT_EQ(Stored(kUrlMonValue), "False");
}

TEST_F(SettingsTest, FolderWithAwkwardCharactersSurvivesSaveAndLoad) {
  const std::string folder = "/media/[disc=1]/second line/vid\xc3\xa9os %20";
  SaveSettings(reg_, {folder, false});
  Load();
  EXPECT_EQ(settings_.DownloadDir, folder);
  EXPECT_FALSE(settings_.URLMon);
  EXPECT_TRUE(monitorCalls_.empty());
}

TEST_F(SettingsTest, DamagedFileLoadsDefaultsAndIsRepairedBySaving) {
  WriteHiveFile("[Software\\Orvalis Reel\nURL Mon=False\nDownload Dir=/x\n\xff\xfe\x00");
  Load();
  EXPECT_TRUE(settings_.URLMon);
  EXPECT_EQ(settings_.DownloadDir, Home() + "/Downloaded Videos");

  SaveSettings(reg_, {"/srv/videos", false});
  Settings reloaded;
  LoadSettings(reg_, reloaded, movie_, nullptr);
  EXPECT_EQ(reloaded.DownloadDir, "/srv/videos");
  EXPECT_FALSE(reloaded.URLMon);
}

TEST_F(SettingsTest, RefusedVariableDoesNotStopTheOthers) {
  movie_.refused = "_root.Download_CB";
  SendSettingsToMovie({"/srv", false}, movie_);
  EXPECT_EQ(movie_.sets, (Variables{{"_root.autoToDownloadList_CB", "0"},
                                    {"_root.Convert_CB", "1"},
                                    {"_root.download_dir", "/srv"}}));
}

TEST(SetMovieVariableTest, TextStaysTextAndTruthBecomesDigits) {
  RecordingMovie movie;
  SetMovieVariable(movie, "_root.a", "some text");
  SetMovieVariable(movie, "_root.b", std::string("more"));
  SetMovieVariable(movie, "_root.c", true);
  SetMovieVariable(movie, "_root.d", false);
  EXPECT_EQ(
      movie.sets,
      (Variables{
          {"_root.a", "some text"}, {"_root.b", "more"}, {"_root.c", "1"}, {"_root.d", "0"}}));
}

}  // namespace
}  // namespace reelcatch
