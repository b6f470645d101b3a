#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "list/add_download_url.h"
#include "platform/private_folder.h"
#include "run/download_run.h"
#include "shell/frm_main.h"
#include "shell/mod_settings.h"
#include "support/fake_ports.h"
#include "transfer/download.h"
#include "unit/frm_main_fixture.h"

namespace reelcatch {
namespace {

constexpr const char* kCancelQuestion = "Are you sure that you want to cancel downloading?";
constexpr const char* kAboutText =
    "Version 1.0.0.0\r\nReelcatch is an easy to use program to download video files from "
    "google,youtube,iFilm and other 9 video sharing sites to your PC.";

class FrmMainTest : public testing::FrmMainFixture {
 protected:
  std::string DefaultFolder() const { return Home() + "/Downloaded Videos"; }

  // Whether this process has a page file in the private folder.
  static bool HasOwnPageFile() {
    const std::string own = "Parse-" + std::to_string(getpid()) + "-";
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(PrivateRuntimeFolder().path, error)) {
      if (entry.path().filename().string().starts_with(own)) return true;
    }
    return false;
  }
};

TEST_F(FrmMainTest, StartsUpInOrderWithMonitoringStartedBeforeTheHook) {
  frm_->Form_Load();

  EXPECT_EQ(
      Only(fakes_.log,
           {"Tray.", "Window.", "Movie.", "Grid.SetGeometry", "Grid.SetDataSource", "Shell."}),
      (EventLog{"Tray.SetTip Reelcatch", "Tray.SetInTray 1", "Window.SetSize 640x550",
                "Movie.LoadMovie 0 " + ProgramDir() + "/Main.qml",
                "Grid.SetGeometry 40,220,575,178", "Grid.SetDataSource none",
                std::string("Movie.SetVariable _root.aboutTxt=") + kAboutText,
                "Shell.Launch " + Watcher() + " " + kChannel,
                "Movie.SetVariable _root.autoToDownloadList_CB=1",
                "Movie.SetVariable _root.Download_CB=1", "Movie.SetVariable _root.Convert_CB=1",
                "Movie.SetVariable _root.download_dir=" + DefaultFolder(), "Window.StartHook"}));
  EXPECT_TRUE(fakes_.tray.InTray());
  EXPECT_TRUE(frm_->CurrentSettings().URLMon);
  // Nothing starts by itself.
  EXPECT_FALSE(frm_->Run().DownloadTimer().Enabled());
  EXPECT_FALSE(frm_->EndTimer().Enabled());
  EXPECT_FALSE(frm_->MonitorTimer().Enabled());
  EXPECT_TRUE(fakes_.dialogs.Messages().empty());
}

TEST_F(FrmMainTest, AboutTextHasOneLineBreakAndNothingAfterTheLastSentence) {
  frm_->Form_Load();
  EXPECT_EQ(fakes_.movie.Var("_root.aboutTxt"), kAboutText);
}

TEST_F(FrmMainTest, GridIsPlacedAndFormattedAtStartButStaysBehindTheFace) {
  frm_->Form_Load();

  EXPECT_EQ(fakes_.grid.GetGeometry(), (MemoryGrid::Geometry{40, 220, 575, 178}));
  EXPECT_EQ(fakes_.grid.Column(kColVideoUrl).caption, "Video URL");
  EXPECT_EQ(fakes_.grid.Column(kColFileName).edit, ColumnEdit::Editable);
  EXPECT_EQ(fakes_.grid.Column(kColStatus).edit, ColumnEdit::Disabled);
  EXPECT_FALSE(fakes_.grid.RowSelectors());
  // The first binding drops the columns again, so it has to format anew.
  EXPECT_FALSE(frm_->Display().GridFormatted());
  EXPECT_FALSE(fakes_.grid.Visible());
  EXPECT_FALSE(fakes_.grid.InFront());

  AddDownloadURL("http://www.youtube.com/watch?v=1", frm_->List(), frm_->Display(),
                 frm_->Run().State());
  EXPECT_EQ(fakes_.grid.RowCount(), 1);
  EXPECT_EQ(fakes_.grid.Column(kColVideoUrl).caption, "Video URL");
  EXPECT_TRUE(frm_->Display().GridFormatted());
}

TEST_F(FrmMainTest, MonitoringSwitchedOffInTheSettingsLaunchesNoWatcherAtStart) {
  CRegister reg;
  ASSERT_TRUE(reg.REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kUrlMonValue, "False"));

  frm_->Form_Load();

  EXPECT_TRUE(fakes_.shell.Launches().empty());
  EXPECT_EQ(fakes_.movie.Var("_root.autoToDownloadList_CB"), "0");
  EXPECT_EQ(fakes_.log.back(), "Window.StartHook");
}

TEST_F(FrmMainTest, ShutdownFromIdleUnhooksStopsTheWatcherAndQuitsWithoutSaving) {
  LoadAndForget();

  EXPECT_THROW(frm_->Flash_FSCommand("IDC_FS_Close", ""), QuitCalled);

  EXPECT_EQ(fakes_.log,
            (EventLog{"Window.StopHook", "Shell.Launch " + Watcher() + " Exit", "Window.Quit"}));
  EXPECT_TRUE(fakes_.dialogs.Messages().empty());
  // Monitoring was switched off on the way out, but that is not stored.
  EXPECT_FALSE(std::filesystem::exists(HiveFile()));
}

TEST_F(FrmMainTest, ExitFromTheTrayMenuWaitsForTheEndTimer) {
  LoadAndForget();

  frm_->mnuExit_Click();
  EXPECT_EQ(fakes_.log, (EventLog{"tmrend.SetEnabled 1"}));
  EXPECT_EQ(frm_->EndTimer().Interval(), 200);

  fakes_.log.clear();
  EXPECT_THROW(AsFake(frm_->EndTimer()).Fire(), QuitCalled);
  EXPECT_EQ(fakes_.log, (EventLog{"tmrend.Tick", "tmrend.SetEnabled 0", "Window.StopHook",
                                  "Shell.Launch " + Watcher() + " Exit", "Window.Quit"}));
  EXPECT_FALSE(frm_->EndTimer().Enabled());
}

struct ShutdownDuringRunCase {
  const char* name;
  bool fromTray;
  MessageAnswer answer;
};

class ShutdownDuringRunTest : public FrmMainTest,
                              public ::testing::WithParamInterface<ShutdownDuringRunCase> {};

TEST_P(ShutdownDuringRunTest, AsksToCancelAndEndsWhateverTheAnswer) {
  const ShutdownDuringRunCase& c = GetParam();
  LoadAndForget();
  fakes_.dialogs.SetQuestionAnswer(c.answer);
  bool pageFileDuringTheRun = false;

  EXPECT_THROW(RunAndDuringPageFetch([&] {
                 pageFileDuringTheRun = HasOwnPageFile();
                 if (c.fromTray) {
                   frm_->mnuExit_Click();
                   AsFake(frm_->EndTimer()).Fire();
                 } else {
                   frm_->Flash_FSCommand("IDC_FS_Close", "");
                 }
               }),
               QuitCalled);

  ASSERT_EQ(fakes_.dialogs.Messages().size(), 1u);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].icon, MessageIcon::Question);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].title, "Reelcatch");
  EventLog afterQuestion = From(fakes_.log, std::string("Dialogs.ShowMessage ") + kCancelQuestion);
  EventLog stopped = {
      "Tray.SetDownloadCaption Start Downloading", "Movie.SetVariable _root.downloadBtn=1",
      "Movie.SetVariable _root.startDownload=1", "Movie.SetVariable _root.downloadTab=1"};
  EventLog expected = {std::string("Dialogs.ShowMessage ") + kCancelQuestion};
  if (c.answer == MessageAnswer::Yes)
    expected.insert(expected.end(), stopped.begin(), stopped.end());
  expected.insert(expected.end(),
                  {"Window.StopHook", "Shell.Launch " + Watcher() + " Exit", "Window.Quit"});
  EXPECT_EQ(afterQuestion, expected);
  // The program ends without unwinding: its page file goes first.
  EXPECT_TRUE(pageFileDuringTheRun);
  EXPECT_FALSE(HasOwnPageFile());
}

INSTANTIATE_TEST_SUITE_P(
    AllWays, ShutdownDuringRunTest,
    ::testing::Values(ShutdownDuringRunCase{"CloseYes", false, MessageAnswer::Yes},
                      ShutdownDuringRunCase{"CloseNo", false, MessageAnswer::No},
                      ShutdownDuringRunCase{"TrayYes", true, MessageAnswer::Yes},
                      ShutdownDuringRunCase{"TrayNo", true, MessageAnswer::No}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrmMainTest, ShutdownAfterAConfirmedStopNeitherAsksAgainNorStartsANewRun) {
  LoadAndForget();
  fakes_.dialogs.QueueAnswer(MessageAnswer::Yes);

  EXPECT_THROW(RunAndDuringPageFetch([&] {
                 frm_->Run().cmdStartDownload_Click();
                 frm_->Flash_FSCommand("IDC_FS_Close", "");
               }),
               QuitCalled);

  EXPECT_EQ(fakes_.dialogs.Messages().size(), 1u);
  EXPECT_EQ(
      From(fakes_.log, std::string("Dialogs.ShowMessage ") + kCancelQuestion),
      (EventLog{std::string("Dialogs.ShowMessage ") + kCancelQuestion,
                "Tray.SetDownloadCaption Start Downloading",
                "Movie.SetVariable _root.downloadBtn=1", "Movie.SetVariable _root.startDownload=1",
                "Movie.SetVariable _root.downloadTab=1", "Window.StopHook",
                "Shell.Launch " + Watcher() + " Exit", "Window.Quit"}));
}

struct MouseDownCase {
  int button;
  bool monitoring;
  EventLog expected;
};

TEST_F(FrmMainTest, RightPressPopsTheMenuWithTheMonitoringCheckMark) {
  const MouseDownCase cases[] = {
      {2, true, {"Window.BringToForeground", "Tray.SetMonitorChecked 1", "Tray.PopupMenu"}},
      {2, false, {"Window.BringToForeground", "Tray.SetMonitorChecked 0", "Tray.PopupMenu"}},
      {1, true, {}},
  };
  LoadAndForget();
  for (const MouseDownCase& c : cases) {
    SCOPED_TRACE("button " + std::to_string(c.button));
    fakes_.log.clear();
    frm_->CurrentSettings().URLMon = c.monitoring;
    fakes_.tray.PresetMonitorChecked(!c.monitoring);
    frm_->SysTray_MouseDown(c.button, 0);
    EXPECT_EQ(fakes_.log, c.expected);
  }
}

struct DoubleClickCase {
  const char* name;
  int button;
  bool visible;
  bool minimized;
  EventLog expected;
};

TEST_F(FrmMainTest, LeftDoubleClickAndTheFirstItemRestoreTheWindowFromEveryState) {
  const DoubleClickCase cases[] = {
      {"hidden", 1, false, false, {"Window.Restore"}},
      {"visible and minimised", 1, true, true, {"Window.Restore"}},
      {"hidden while minimised", 1, false, true, {"Window.Restore"}},
      {"visible", 1, true, false, {"Window.Restore"}},
      {"right button", 2, false, false, {}},
  };
  LoadAndForget();
  for (const DoubleClickCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool fromTheMenu : {false, true}) {
      if (fromTheMenu && c.button != 1) continue;
      SCOPED_TRACE(fromTheMenu ? "first item" : "double-click");
      fakes_.log.clear();
      fakes_.window.SetState(c.visible, c.minimized);
      if (fromTheMenu) {
        frm_->mnuReelcatch_Click();
      } else {
        frm_->SysTray_MouseDblClick(c.button, 0);
      }
      EXPECT_EQ(fakes_.log, c.expected);
    }
  }
}

TEST_F(FrmMainTest, DownloadItemReadingStartArmsTheStartTimerOnly) {
  LoadAndForget();
  fakes_.tray.PresetDownloadCaption("Start Downloading");

  frm_->mnuDownload_Click();

  EXPECT_EQ(fakes_.log, (EventLog{"tmrDownload.SetEnabled 1"}));
  EXPECT_EQ(frm_->Run().DownloadTimer().Interval(), 200);
}

TEST_F(FrmMainTest, DownloadItemDuringARunAsksTheStopQuestion) {
  LoadAndForget();
  fakes_.dialogs.SetQuestionAnswer(MessageAnswer::No);
  std::string captionInRun;

  RunAndDuringPageFetch([&] {
    captionInRun = fakes_.tray.DownloadCaption();
    frm_->mnuDownload_Click();
  });

  EXPECT_EQ(captionInRun, "Stop Downloading");
  ASSERT_EQ(fakes_.dialogs.Messages().size(), 1u);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].text, kCancelQuestion);
  EXPECT_FALSE(frm_->Run().DownloadTimer().Enabled());
  // Answered No: the run went on to its own end.
  EXPECT_EQ(fakes_.tray.DownloadCaption(), "Start Downloading");
  EXPECT_FALSE(frm_->Run().State().Downloading);
}

struct MonitorItemCase {
  bool checked;
  const char* launchArg;
  const char* shown;
};

TEST_F(FrmMainTest, MonitorItemTogglesFromTheCheckMarkAndShowsTheSettingsWithoutSaving) {
  const MonitorItemCase cases[] = {{false, kChannel, "1"}, {true, "Exit", "0"}};
  LoadAndForget();
  for (const MonitorItemCase& c : cases) {
    SCOPED_TRACE(c.checked ? "checked" : "unchecked");
    fakes_.log.clear();
    fakes_.tray.PresetMonitorChecked(c.checked);

    frm_->mnuMonitor_Click();

    EXPECT_EQ(
        fakes_.log,
        (EventLog{"Shell.Launch " + Watcher() + " " + c.launchArg,
                  std::string("Movie.SetVariable _root.autoToDownloadList_CB=") + c.shown,
                  "Movie.SetVariable _root.Download_CB=1", "Movie.SetVariable _root.Convert_CB=1",
                  "Movie.SetVariable _root.download_dir=" + DefaultFolder()}));
    EXPECT_EQ(frm_->CurrentSettings().URLMon, !c.checked);
  }
  EXPECT_FALSE(std::filesystem::exists(HiveFile()));
}

}  // namespace
}  // namespace reelcatch
