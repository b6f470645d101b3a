#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "list/add_download_url.h"
#include "run/download_run.h"
#include "shell/frm_main.h"
#include "shell/mod_settings.h"
#include "support/fake_ports.h"
#include "surface/folder_selection.h"
#include "surface/web_site.h"
#include "unit/shell_config_folder.h"

namespace reelcatch {
namespace {

constexpr const char* kChannel = "4242";
constexpr const char* kPage = "http://www.youtube.com/watch?v=";
constexpr const char* kNotConnected =
    "Dialogs.ShowMessage You are not connected to the internet, Please connect first then try "
    "again";

// A main window over fresh fakes, its timers named as the program names them.
struct World {
  explicit World(const std::string& programDir, const std::string& channel = kChannel)
      : frm(fakes.ports(), programDir, channel) {
    AsFake(frm.Run().DownloadTimer()).SetName("tmrDownload");
    AsFake(frm.EndTimer()).SetName("tmrend");
    AsFake(frm.MonitorTimer()).SetName("tmrMonitor");
  }

  void Add(const std::string& url) {
    AddDownloadURL(url, frm.List(), frm.Display(), frm.Run().State());
  }
  // The list as the ends of its addresses ("A B C").
  std::string ListText() {
    std::string text;
    for (const DownloadItem& item : frm.List().Items()) {
      if (!text.empty()) text += ' ';
      text += item.Video_URL.substr(std::string(kPage).size());
    }
    return text;
  }

  FakePorts fakes;
  FrmMain frm;
};

class FsCommandTest : public testing::ConfigFolderTest {
 protected:
  void SetUp() override {
    ConfigFolderTest::SetUp();
    std::filesystem::create_directories(ProgramDir());
  }

  std::string ProgramDir() const { return temp_.Path() + "/program"; }
  std::string Watcher() const { return ProgramDir() + "/reelcatch-clip"; }

  // Started, with A (complete), B and C listed, B's file name cell
  // selected, the grid in view, no network, and a new address in the face.
  std::unique_ptr<World> Started() {
    auto world = std::make_unique<World>(ProgramDir());
    world->frm.Form_Load();
    for (const char* end : {"A", "B", "C"}) world->Add(kPage + std::string(end));
    world->frm.List().At(0).Status = "Complete";
    world->frm.Display().FillDownloadList();
    world->fakes.grid.SelectCell({1, kColFileName});
    world->fakes.grid.SetVisible(true);
    world->fakes.network.SetConnected(false);
    world->fakes.movie.Preset("_root.video_url", kPage + std::string("new"));
    world->fakes.dialogs.SetPickedFolder("/srv/videos");
    world->fakes.log.clear();
    return world;
  }

  // Runs one command; true when it ended the program.
  static bool Send(World& world, const std::string& command, const std::string& args) {
    try {
      world.frm.Flash_FSCommand(command, args);
    } catch (const QuitCalled&) {
      return true;
    }
    return false;
  }

  std::string Stored(const char* name) const {
    return CRegister().REGGetSetting(kHkeyCurrentUser, kSettingsKey, name, "<missing>");
  }
};

struct CommandCase {
  const char* command;
  EventLog expected;
  const char* list;
};

TEST_F(FsCommandTest, EachCommandRunsItsOwnOperationWhateverTheArgs) {
  const std::string help = "Shell.Open " + ProgramDir() + "/Help.html";
  const std::string exitWatcher = "Shell.Launch " + Watcher() + " Exit";
  const CommandCase cases[] = {
      {"IDC_FS_Drag", {"Window.DragWindow"}, "A B C"},
      {"IDC_FS_Minimize", {"Window.Minimize"}, "A B C"},
      {"IDC_FS_Tray", {"Window.Hide", "Tray.SetInTray 1"}, "A B C"},
      {"IDC_FS_Close", {"Window.StopHook", exitWatcher, "Window.Quit"}, "A B C"},
      {"IDC_FS_Slider", {"Grid.SetVisible 0"}, "A B C"},
      {"IDC_FS_Download", {"Grid.SetVisible 1", "Grid.BringToFront"}, "A B C"},
      {"IDC_FS_About", {"Grid.SetVisible 0"}, "A B C"},
      {"IDC_FS_Help", {help}, "A B C"},
      {"ID_FS_webSite", {std::string("Shell.Open ") + kWebSite}, "A B C"},
      {"IDC_FS_startDownload", {"tmrDownload.SetEnabled 1"}, "A B C"},
      {"IDC_FS_stopDownload", {"Network.IsConnected", kNotConnected}, "A B C"},
      {"IDC_FS_addDownloadURL",
       {"Movie.GetVariable _root.video_url", "Grid.SetDataSource 4 rows"},
       "A B C new"},
      {"IDC_FS_selectAllD",
       {"Grid.SetRowSelected 0 1", "Grid.SetRowSelected 1 1", "Grid.SetRowSelected 2 1"},
       "A B C"},
      {"IDC_FS_removeSelectedD", {"Grid.SetDataSource 2 rows"}, "A C"},
      {"IDC_FS_moveUp", {"Grid.SetDataSource 3 rows"}, "B A C"},
      {"IDC_FS_moveDown", {"Grid.SetDataSource 3 rows"}, "A C B"},
      {"ID_FS_clearComplete", {"Grid.SetDataSource 2 rows"}, "B C"},
      {"ID_FS_downloadBrowse",
       {std::string("Dialogs.PickFolder ") + kBrowsePrompt,
        "Movie.SetVariable _root.download_dir=/srv/videos"},
       "A B C"},
      {"ID_FS_autoDownloadCheck", {"Shell.Launch " + Watcher() + " " + kChannel}, "A B C"},
      {"ID_FS_autoDownloadUncheck", {exitWatcher}, "A B C"},
  };
  for (const CommandCase& c : cases) {
    for (const char* args : {"", "1 2 IDC_FS_Close"}) {
      SCOPED_TRACE(std::string(c.command) + " with args \"" + args + "\"");
      std::unique_ptr<World> world = Started();
      bool ended = Send(*world, c.command, args);
      EXPECT_EQ(ended, std::string(c.command) == "IDC_FS_Close");
      EXPECT_EQ(world->fakes.log, c.expected);
      EXPECT_EQ(world->ListText(), c.list);
    }
  }
}

TEST_F(FsCommandTest, NamesInAnotherLetterCaseOrUnknownDoNothing) {
  const char* names[] = {"IDC_FS_Drag",
                         "IDC_FS_Minimize",
                         "IDC_FS_Tray",
                         "IDC_FS_Close",
                         "IDC_FS_Slider",
                         "IDC_FS_Download",
                         "IDC_FS_About",
                         "IDC_FS_Help",
                         "ID_FS_webSite",
                         "IDC_FS_startDownload",
                         "IDC_FS_stopDownload",
                         "IDC_FS_addDownloadURL",
                         "IDC_FS_selectAllD",
                         "IDC_FS_removeSelectedD",
                         "IDC_FS_moveUp",
                         "IDC_FS_moveDown",
                         "ID_FS_clearComplete",
                         "ID_FS_downloadBrowse",
                         "ID_FS_autoDownloadCheck",
                         "ID_FS_autoDownloadUncheck"};
  std::vector<std::string> commands = {"", "IDC_FS_", "IDC_FS_Close ", "IDC_FS_Quit"};
  for (std::string name : names) {
    std::string lower = name, upper = name;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    commands.push_back(lower);
    commands.push_back(upper);
  }
  for (const std::string& command : commands) {
    SCOPED_TRACE("\"" + command + "\"");
    std::unique_ptr<World> world = Started();
    EXPECT_FALSE(Send(*world, command, ""));
    EXPECT_TRUE(world->fakes.log.empty());
    EXPECT_EQ(world->ListText(), "A B C");
  }
}

struct AddCase {
  const char* name;
  std::string entered;
  std::string added;  // empty: nothing added
};

TEST_F(FsCommandTest, AddSkipsBlankAddressesAndTrimsOthers) {
  const std::string page = kPage + std::string("x");
  const AddCase cases[] = {
      {"empty", "", ""},
      {"blanks only", "    ", ""},
      {"blanks around", "  " + page + " ", page},
      {"unsupported", "just text", "just text"},
  };
  for (const AddCase& c : cases) {
    SCOPED_TRACE(c.name);
    World world(ProgramDir());
    world.frm.Form_Load();
    world.fakes.movie.Preset("_root.video_url", c.entered);

    world.frm.Flash_FSCommand("IDC_FS_addDownloadURL", "");

    if (c.added.empty()) {
      EXPECT_TRUE(world.frm.List().IsListEmpty());
    } else {
      ASSERT_EQ(world.frm.List().Count(), 1);
      EXPECT_EQ(world.frm.List().At(0).Video_URL, c.added);
    }
  }
}

TEST_F(FsCommandTest, TrayWithoutANotificationAreaMinimisesInsteadOfHiding) {
  std::unique_ptr<World> world = Started();
  world->fakes.tray.SetAvailable(false);

  world->frm.Flash_FSCommand("IDC_FS_Tray", "");

  EXPECT_EQ(world->fakes.log, (EventLog{"Window.Minimize"}));
  EXPECT_TRUE(world->fakes.window.IsVisible());
}

TEST_F(FsCommandTest, StartOnlyArmsTheTimerWhoseTickRunsTheToggle) {
  std::unique_ptr<World> world = Started();

  world->frm.Flash_FSCommand("IDC_FS_startDownload", "");
  EXPECT_EQ(world->frm.Run().DownloadTimer().Interval(), 200);
  EXPECT_TRUE(world->fakes.dialogs.Messages().empty());

  world->fakes.log.clear();
  EXPECT_TRUE(AsFake(world->frm.Run().DownloadTimer()).Fire());
  EXPECT_EQ(world->fakes.log, (EventLog{"tmrDownload.Tick", "tmrDownload.SetEnabled 0",
                                        "Network.IsConnected", kNotConnected}));
}

TEST_F(FsCommandTest, BrowseSavesBothSettingsWhetherOrNotAFolderWasChosen) {
  struct {
    const char* picked;
    std::string folder;
  } cases[] = {{"", Home() + "/Downloaded Videos"}, {"/srv/videos", "/srv/videos"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("picked \"") + c.picked + "\"");
    std::filesystem::remove(HiveFile());
    World world(ProgramDir());
    world.frm.Form_Load();
    world.fakes.movie.ClearSets();
    world.fakes.dialogs.SetPickedFolder(c.picked);

    world.frm.Flash_FSCommand("ID_FS_downloadBrowse", "");

    EXPECT_EQ(world.fakes.dialogs.FolderPrompts(), (std::vector<std::string>{kBrowsePrompt}));
    EXPECT_EQ(world.frm.CurrentSettings().DownloadDir, c.folder);
    EXPECT_EQ(world.fakes.movie.Sets().empty(), std::string(c.picked).empty());
    EXPECT_EQ(Stored(kDownloadDirValue), c.folder);
    EXPECT_EQ(Stored(kUrlMonValue), "True");
  }
}

TEST_F(FsCommandTest, MonitoringCommandsLaunchTheWatcherEveryTimeAndSave) {
  World world(ProgramDir());
  world.frm.Form_Load();
  world.fakes.log.clear();

  world.frm.Flash_FSCommand("ID_FS_autoDownloadUncheck", "");
  EXPECT_FALSE(world.frm.CurrentSettings().URLMon);
  EXPECT_EQ(Stored(kUrlMonValue), "False");

  world.frm.Flash_FSCommand("ID_FS_autoDownloadCheck", "");
  world.frm.Flash_FSCommand("ID_FS_autoDownloadCheck", "");
  EXPECT_TRUE(world.frm.CurrentSettings().URLMon);
  EXPECT_EQ(Stored(kUrlMonValue), "True");

  const std::string launch = "Shell.Launch " + Watcher() + " ";
  EXPECT_EQ(Only(world.fakes.log, {"Shell."}),
            (EventLog{launch + "Exit", launch + kChannel, launch + kChannel}));
}

// With no channel (no private folder for its socket) no watcher could
// deliver: none is started or stopped, and the setting stays the user's.
TEST_F(FsCommandTest, WithoutAChannelTheWatcherIsNeverLaunched) {
  World world(ProgramDir(), "");
  world.frm.Form_Load();
  world.frm.Flash_FSCommand("ID_FS_autoDownloadUncheck", "");
  world.frm.Flash_FSCommand("ID_FS_autoDownloadCheck", "");
  EXPECT_TRUE(world.frm.CurrentSettings().URLMon);
  EXPECT_EQ(Stored(kUrlMonValue), "True");
  EXPECT_EQ(Only(world.fakes.log, {"Shell."}), EventLog{});
}

// Each way addresses come in says once that the full list refused some.
TEST_F(FsCommandTest, AFullListIsToldOncePerAddition) {
  const std::string page = kPage + std::string("new");
  auto typed = [](const std::string& text) {
    return [text](World& w) {
      w.fakes.movie.Preset("_root.video_url", text);
      w.frm.Flash_FSCommand("IDC_FS_addDownloadURL", "");
    };
  };
  struct Case {
    const char* name;
    std::function<void(World&)> add;
    std::string told;  // empty: no message
  } cases[] = {
      {"one typed", typed(page), "1 address was"},
      {"three pasted lines", typed(page + "1\n" + page + "2\n" + page + "3"), "3 addresses were"},
      {"one listed already", typed(kPage + std::string("0")), ""},
      {"three from a later start",
       [&](World& w) {
         w.frm.AddGivenAddresses({page + "1", " ", page + "2", page + "3"});
       },
       "3 addresses were"},
      {"one from the watcher", [&](World& w) { w.frm.txtMonitor_Change(page); }, "1 address was"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    World world(ProgramDir());
    world.frm.Form_Load();
    for (int i = 0; i < DownloadList::kMaxItems; ++i) {
      world.frm.List().AddItem(kPage + std::to_string(i), "", "", "");
    }
    c.add(world);

    EXPECT_EQ(world.frm.List().Count(), DownloadList::kMaxItems);
    const auto& messages = world.fakes.dialogs.Messages();
    if (c.told.empty()) {
      EXPECT_TRUE(messages.empty());
      continue;
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "The download list is full (32767 items): " + c.told + " not added.");
    EXPECT_EQ(messages[0].icon, MessageIcon::Exclamation);
  }
}

struct WheelCase {
  bool focused;
  int delta;
  EventLog expected;
  int top;  // first row in view afterwards, from row 1
};

TEST_F(FsCommandTest, WheelScrollsOneRowPerTurnOnlyWhileTheGridHasTheFocus) {
  const WheelCase cases[] = {
      {true, -120, {"Grid.ScrollRows 1"}, 2},
      {true, 120, {"Grid.ScrollRows 0"}, 0},
      {true, 360, {"Grid.ScrollRows 0"}, 0},
      {true, -360, {"Grid.ScrollRows 1"}, 2},
      {false, -120, {}, 1},
      {false, 120, {}, 1},
  };
  std::unique_ptr<World> world = Started();
  for (const WheelCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.delta) + (c.focused ? " focused" : " not focused"));
    for (int action : {0, 0, 0, 1}) world->fakes.grid.ScrollRows(action);
    world->fakes.grid.SetFocus(c.focused);
    world->fakes.log.clear();

    world->frm.MainWindowWheel(c.delta);

    EXPECT_EQ(world->fakes.log, c.expected);
    EXPECT_EQ(world->fakes.grid.ScrollTop(), c.top);
  }
}

}  // namespace
}  // namespace reelcatch
