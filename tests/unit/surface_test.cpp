// The face's commands, each run through the window as the face sends it.
#include <gtest/gtest.h>

#include "shell/mod_settings.h"
#include "surface/folder_selection.h"
#include "surface/web_site.h"
#include "unit/frm_main_fixture.h"

namespace reelcatch {
namespace {

using namespace testing;

class SurfaceTest : public FrmMainFixture {
 protected:
  // With A (complete), B and C listed and B's file name cell selected, no
  // network, and a new address typed into the face.
  void Listed(const std::string& channel = "4242") {
    Restart(channel);
    for (const char* end : {"A", "B", "C"}) Add(std::string("http://blip.tv/") + end);
    frm_->List().Edit(0).Status = "Complete";
    frm_->Display().FillDownloadList();
    fakes_->grid.SelectCell({1, kColFileName});
    fakes_->network.connected = false;
    fakes_->movie.vars["_root.video_url"] = "http://blip.tv/new";
    fakes_->dialogs.picked = std::string("/srv/v\0ideos", 12);
    fakes_->log.clear();
  }
  // Runs one command; true when it ended the program.
  bool Send(const std::string& command) {
    try {
      frm_->Flash_FSCommand(command, "1 2 IDC_FS_Close");
    } catch (const QuitCalled&) {
      return true;
    }
    return false;
  }
  std::string Saved(const char* name) {
    return CRegister().REGGetSetting(kHkeyCurrentUser, kSettingsKey, name, "-");
  }
};

TEST_F(SurfaceTest, EachCommandRunsItsOwnOperationAndOnlyByItsExactName) {
  const std::string exit = "Shell.Launch " + Watcher() + " Exit", sel = "Grid.SetRowSelected ";
  const EventLog browse = {std::string("Dialogs.PickFolder ") + kBrowsePrompt,
                           "Movie.SetVariable _root.download_dir=/srv/v"};
  // The command; what it does; the list after it; and monitoring as saved.
  // clang-format off
  const std::tuple<const char*, EventLog, const char*, const char*> cases[] = {
      {"IDC_FS_Drag", {"Window.DragWindow"}, "A B C ", "-"},
      {"IDC_FS_About", {"Grid.SetVisible 0"}, "A B C ", "-"},
      {"IDC_FS_Minimize", {"Window.Minimize"}, "A B C ", "-"},
      {"IDC_FS_Tray", {"Window.Hide", "Tray.SetInTray 1"}, "A B C ", "-"},
      {"IDC_FS_Close", {"Window.StopHook", exit, "Window.Quit"}, "A B C ", "-"},
      {"IDC_FS_Slider", {"Grid.SetVisible 0"}, "A B C ", "-"},
      {"IDC_FS_Download", {"Grid.SetVisible 1", "Grid.BringToFront"}, "A B C ", "-"},
      {"IDC_FS_Help", {"Shell.Open " + FaceDir() + "/Help.html"}, "A B C ", "-"},
      {"ID_FS_webSite", {std::string("Shell.Open ") + kWebSite}, "A B C ", "-"},
      {"IDC_FS_startDownload", {"tmrDownload.SetEnabled 1"}, "A B C ", "-"},
      {"IDC_FS_stopDownload", {"Network.IsConnected", kNotConnected}, "A B C ", "-"},
      {"IDC_FS_addDownloadURL",
       {"Movie.GetVariable _root.video_url", "Movie.SetVariable _root.hintTxt="},
       "A B C new ",
       "-"},
      {"IDC_FS_selectAllD", {sel + "0", sel + "1", sel + "2"}, "A B C ", "-"},
      {"IDC_FS_removeSelectedD", {}, "A C ", "-"}, {"IDC_FS_moveUp", {}, "B A C ", "-"},
      {"IDC_FS_moveDown", {}, "A C B ", "-"}, {"ID_FS_clearComplete", {}, "B C ", "-"},
      {"ID_FS_downloadBrowse", browse, "A B C ", "True"},
      {"ID_FS_autoDownloadCheck", {"Shell.Launch " + Watcher() + " 4242"}, "A B C ", "True"},
      {"ID_FS_autoDownloadUncheck", {exit}, "A B C ", "False"},
      {"ID_FS_anySiteCheck", {}, "A B C ", "True"}, {"ID_FS_anySiteUncheck", {}, "A B C ", "True"}};
  // clang-format on
  for (const auto& [command, expected, list, monitoring] : cases) {
    SCOPED_TRACE(command);
    std::filesystem::remove(HiveFile());
    Listed();
    EXPECT_EQ(Send(command), std::string(command) == "IDC_FS_Close");
    EXPECT_EQ(fakes_->log, expected);
    std::string shown;
    for (const DownloadItem& item : frm_->List().Items()) shown += item.Video_URL.substr(15) + " ";
    EXPECT_EQ(shown, list);
    EXPECT_EQ(fakes_->grid.RowCount(), frm_->List().Count());
    EXPECT_EQ(Saved(kUrlMonValue), monitoring);
    if (std::string(command).starts_with("ID_FS_anySite")) {
      EXPECT_EQ(Saved(kAnySiteValue), std::string(command).ends_with("Check") ? "1" : "0");
    }
    std::string lower = command;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    for (const std::string& other : {lower, std::string(command) + " ", std::string("IDC_FS_")}) {
      EXPECT_FALSE(Send(other));
      EXPECT_EQ(fakes_->log, expected) << other;
    }
  }
}

TEST_F(SurfaceTest, CommandsThatDependOnWhatIsThere) {
  Listed();
  fakes_->tray.available = false;
  Send("IDC_FS_Tray");
  EXPECT_EQ(fakes_->log, EventLog{"Window.Minimize"}) << "a hidden window could never come back";
  Listed("");
  Send("ID_FS_autoDownloadCheck");
  EXPECT_EQ(Only(fakes_->log, {"Shell."}), EventLog{}) << "no channel, so no watcher could deliver";
}

TEST_F(SurfaceTest, AFullListSaysOnceHowManyAddressesItRefused) {
  const std::string page = "http://blip.tv/A";
  // clang-format off
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { Send("IDC_FS_addDownloadURL"); }, "1 address was"},
      {[&] { frm_->AddGivenAddresses({page + "1", " ", page + "2", page}); }, "2 addresses were"}};
  // clang-format on
  for (const auto& [add, told] : cases) {
    Listed();
    for (int i = 3; i < DownloadList::kMaxItems; ++i)
      frm_->List().AddItem(std::to_string(i), "", "", "");
    add();
    EXPECT_EQ(frm_->List().Count(), DownloadList::kMaxItems);
    EXPECT_EQ(Only(fakes_->log, {"Dialogs."}),
              EventLog{"Dialogs.ShowMessage The download list is full (32767 items): " + told +
                       " not added."});
  }
}

}  // namespace
}  // namespace reelcatch
