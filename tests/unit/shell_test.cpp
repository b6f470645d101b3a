// The window's start and end, and the settings it keeps.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "platform/private_folder.h"
#include "shell/cregister.h"
#include "shell/mod_settings.h"
#include "shell/program_folders.h"
#include "unit/frm_main_fixture.h"

namespace reelcatch {
namespace {

using namespace testing;
namespace fs = std::filesystem;

class ShellTest : public FrmMainFixture {
 protected:
  std::string Get(std::string name, std::string key = "Software\\T") {
    return reg_.REGGetSetting(kHkeyCurrentUser, key, name, "-");
  }
  bool Save(std::string name, std::string value, std::string key = "Software\\T") {
    return reg_.REGSaveSetting(kHkeyCurrentUser, key, name, value);
  }
  // Whether this process has a page file in its private folder.
  static bool HasPageFile() {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(PrivateRuntimeFolder().path, error)) {
      if (entry.path().filename().string().starts_with("Parse-" + std::to_string(getpid()) + "-"))
        return true;
    }
    return false;
  }
  CRegister reg_;
};

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

TEST_F(ShellTest, StartsUpInOrderAndStartsTheWatcherOnlyWhenMonitoring) {
  const std::string var = "Movie.SetVariable _root.";
  EXPECT_EQ(
      Only(startUp_, {"Tray.", "Window.", "Movie.", "Shell.", "Dialogs."}),
      (EventLog{
          "Tray.SetTip Reelcatch", "Tray.SetInTray 1", "Window.SetSize",
          "Movie.LoadMovie " + FaceDir() + "/Main.qml",
          var + "aboutTxt=Version 1.0.0.0\r\nReelcatch is an easy to use program to download video "
                "files from google,youtube,iFilm and other 9 video sharing sites to your PC.",
          "Shell.Launch " + Watcher() + " 4242", var + "autoToDownloadList_CB=1",
          var + "Download_CB=1", var + "Convert_CB=1",
          var + "download_dir=" + Home() + "/Downloaded Videos", var + "anySite_CB=0",
          var + "notify_CB=1", "Window.StartHook"}));
  EXPECT_FALSE(fs::exists(HiveFile())) << "loading writes nothing";
  SaveSettings(reg_, {"/srv/v", false, true, false});
  EXPECT_EQ(Get(kUrlMonValue, kSettingsKey) + Get(kAnySiteValue, kSettingsKey) +
                Get(kNotifyValue, kSettingsKey),
            "False10");
  Restart();
  EXPECT_EQ(Only(startUp_,
                 {"Shell.", var + "auto", var + "download_dir", var + "anySite", var + "notify"}),
            (EventLog{var + "autoToDownloadList_CB=0", var + "download_dir=/srv/v",
                      var + "anySite_CB=1", var + "notify_CB=0"}));
}

TEST_F(ShellTest, EveryWayOutStopsTheWatcherAndAsksOnlyAboutARunThatRuns) {
  const std::string stopped = "Tray.Caption Start Downloading";
  const EventLog end = {"Window.StopHook", "Shell.Launch " + Watcher() + " Exit", "Window.Quit"};
  // During a run, from the tray, with Stop clicked first; the answers to
  // questions; what the log shows before the end.
  const std::tuple<bool, bool, bool, MessageAnswer, EventLog> cases[] = {
      {false, false, false, MessageAnswer::No, {}},
      {false, true, false, MessageAnswer::No, {}},
      {true, false, false, MessageAnswer::No, {kCancelQuestion}},
      {true, true, false, MessageAnswer::Yes, {kCancelQuestion, stopped}},
      {true, false, true, MessageAnswer::Yes, {kCancelQuestion, stopped}}};
  ASSERT_TRUE(Save(kUrlMonValue, "False", kSettingsKey));
  const std::string settings = ReadFile(HiveFile());
  for (const auto& [inRun, fromTray, stopFirst, answer, before] : cases) {
    Restart();
    fakes_->dialogs.SetQuestionAnswer(answer);
    auto leave = [&, fromTray = fromTray, stopFirst = stopFirst] {
      if (stopFirst) frm_->Run().cmdStartDownload_Click();
      if (fromTray) frm_->mnuExit_Click(), AsFake(frm_->EndTimer()).Fire();
      frm_->Flash_FSCommand("IDC_FS_Close", "");
    };
    bool pageFile = false;
    Add(kRefusedPage);
    EXPECT_THROW(
        inRun ? RunAndDuringPageFetch([&] { pageFile = HasPageFile(), leave(); }) : leave(),
        QuitCalled);
    EXPECT_EQ(Only(fakes_->log, {"Window.", "Shell.", "Dialogs.", stopped}), Joined({before, end}));
    EXPECT_EQ(pageFile, inRun);
    EXPECT_FALSE(HasPageFile()) << "the program ends without unwinding: its page file goes first";
    EXPECT_EQ(ReadFile(HiveFile()), settings) << "monitoring is switched off, but not saved";
  }
}

TEST_F(ShellTest, StoreKeepsAnyTextAndIsTheUsersAlone) {
  const std::string values[] = {
      "a\nb\r\n", "a=b",   "[S]",      "%41%", "\xc3\xa9\xff", std::string("n\0l", 3),
      "  x  ",    "\\a\\", "\x7f\x01", ""};
  // Each value is also a name, and a key with the value in its path holds it too.
  for (const std::string& v : values) ASSERT_TRUE(Save("n" + v, v) && Save("n", v, "S]\n[" + v));
  for (const std::string& v : values) EXPECT_EQ(Get("n" + v) + Get("n", "S]\n[" + v), v + v);
  ASSERT_TRUE(Save("*", "unnamed", "\\Software\\T\\"));
  EXPECT_EQ(Get("") + Get("*") + Get("x") + Get("n", "Other"), "unnamedunnamed--");
  EXPECT_EQ(ModeOf(StoreFolder()) * 01000 + ModeOf(HiveFile()), 0700600u);
  // Deleting: a value, then a key whose path is taken as given; never the whole store.
  auto Delete = [&](std::string key, std::string name) {
    return reg_.REGDeleteSetting(kHkeyCurrentUser, key, name);
  };
  ASSERT_TRUE(Save("top", "t", ""));
  EXPECT_EQ(std::vector<bool>({Delete("\\Software\\T", "n"), Delete("Software\\T", "na=b"),
                               Delete("Software\\T", "na=b"), Delete("", ""),
                               Delete("Software\\T\\", ""), Delete("Software\\T", "")}),
            std::vector<bool>({true, true, false, false, false, true}));
  EXPECT_EQ(Get("n") + Get("n", "Other") + Get("n", "S]\n[a=b") + Get("top", ""), "--a=bt");
}

TEST_F(ShellTest, DamagedStoreGivesWhatCanBeReadAndIsReplacedWhole) {
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {std::string("\x00\xff\x13[=]]\n==\n\x80", 10), "-"}, {"[Software\\T]\nGood=%4\n", "-"},
      {"[Software\\T]\nGood=kept\n[Software\\\nGood=lost\n", "kept"}, {"Good=stray\n", "-"},
      {"[Software\\T]\nGood=/home/us", "-"}, {"[Software\\T]\r\nGood=crlf\r\n", "crlf"}};
  // clang-format on
  fs::create_directories(StoreFolder());
  for (const auto& [bytes, good] : cases) {
    WriteFile(HiveFile(), bytes);
    EXPECT_EQ(Get("Good"), good);
    EXPECT_TRUE(Save("New", "saved"));
    EXPECT_EQ(Get("Good") + Get("New"), good + "saved");
  }
  // A write cut short, even for root, leaves the old file as it was.
  const std::string before = ReadFile(HiveFile());
  rlimit old{}, limit{};
  getrlimit(RLIMIT_FSIZE, &old);
  limit = {before.size() + 8, old.rlim_max};
  std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_FALSE(Save("New", std::string(4096, 'x')));
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(ReadFile(HiveFile()), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(StoreFolder()), {}), 1);
  // One that cannot be read may hold good values: it is not replaced.
  fs::remove(HiveFile());
  fs::create_directories(HiveFile());
  EXPECT_FALSE(Save("New", "x"));
}

TEST_F(ShellTest, StoredSettingsAreReadWithCare) {
  const std::string home = Home() + "/Downloaded Videos", plain = "/[v=1] %20\xc2\xa0\xe9";
  const std::pair<std::string, std::string> folders[] = {
      {"", ""}, {plain, plain}, {"/a\nb", home}, {"/a\x7f", home}, {"/a\xc2\x80", home}};
  for (const auto& [stored, used] : folders) {
    ASSERT_TRUE(Save(kDownloadDirValue, stored, kSettingsKey));
    EXPECT_EQ(ReadDownloadDir(reg_), used);
  }
  // clang-format off
  const std::tuple<const char*, bool, bool> truths[] = {  // the text, whether it is read, as what
      {"True", true, true}, {" fALSE\t", true, false}, {"-0.0", true, false}, {"+.5", true, true},
      {"007", true, true}, {"1.", true, true}, {"", false, false}, {".", false, false},
      {"1.2.3", false, false}, {"1e3", false, false}, {"truex", false, false}};
  // clang-format on
  for (auto [text, understood, value] : truths) {
    for (bool before : {false, true}) {
      bool read = before;
      EXPECT_EQ(ReadTruthValue(text, read), understood) << text;
      EXPECT_EQ(read, understood ? value : before) << text;
    }
  }
}

TEST_F(ShellTest, PrivateFolderIsClosedToOthersOrRefused) {
  const std::string path = temp_.Path() + "/p";
  // Its mode, and whether another user owns it; whether it is used.
  for (auto [mode, theirs, usable] :
       {std::tuple{0755u, false, true}, {0770u, false, false}, {0700u, true, false}}) {
    fs::create_directory(path);
    chmod(path.c_str(), mode);
    if (theirs && chown(path.c_str(), 4242, static_cast<gid_t>(-1)) != 0) continue;
    EXPECT_EQ(EnsurePrivateFolder(path).path, usable ? path : "");
    EXPECT_EQ(ModeOf(path), usable ? 0700u : mode);
  }
  ScopedEnv runtime("XDG_RUNTIME_DIR", ""), cache("XDG_CACHE_HOME", "relative");
  EXPECT_EQ(PrivateRuntimeFolder().path, Home() + "/.cache/reelcatch");
}

// The face and the watcher beside the program (the build tree), else where
// the package puts them, else beside the program all the same.
TEST_F(ShellTest, FaceAndWatcherAreFoundBesideTheProgramOrWhereInstalled) {
  const std::string both[] = {"share/reelcatch/Main.qml", "lib/reelcatch/reelcatch-clip"};
  // The files present (under a fresh root), the two folders found.
  const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
      {{"bin/Main.qml", "bin/reelcatch-clip", both[0], both[1]}, "bin", "bin"},
      {{both[0], both[1]}, "share/reelcatch", "lib/reelcatch"},
      {{"bin/reelcatch-clip", both[0]}, "share/reelcatch", "bin"},
      {{"share/reelcatch/Help.html", "lib/reelcatch/Main.qml"}, "bin", "bin"}};
  int n = 0;
  for (const auto& [files, face, watcher] : cases) {
    const fs::path root = temp_.Path() + "/" + std::to_string(++n);
    for (const std::string& file : files) {
      fs::create_directories((root / file).parent_path());
      std::ofstream(root / file) << "x";
    }
    ProgramFolders found = FindProgramFolders((root / "bin").string());
    EXPECT_EQ(found.face, (root / face).string()) << n;
    EXPECT_EQ(found.watcher, (root / watcher).string()) << n;
  }
}

}  // namespace
}  // namespace reelcatch
