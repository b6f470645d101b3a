#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "list/add_download_url.h"
#include "run/download_run.h"
#include "shell/frm_main.h"
#include "shell/mod_settings.h"
#include "support/fake_ports.h"
#include "transfer/download.h"
#include "unit/frm_main_fixture.h"

namespace reelcatch {
namespace {

constexpr const char* kPage = "http://www.youtube.com/watch?v=1";
constexpr const char* kOtherPage = "http://www.dailymotion.com/video/2";
constexpr const char* kNotConnected =
    "You are not connected to the internet, Please connect first then try again";

class ClipboardMonitorTest : public testing::FrmMainFixture {
 protected:
  int NotConnectedMessages() const {
    int count = 0;
    for (const FakeMessage& message : fakes_.dialogs.Messages())
      count += message.text == kNotConnected;
    return count;
  }
};

TEST_F(ClipboardMonitorTest, DeliveryWhileIdleAddsShowsAndArmsTheStart) {
  LoadAndForget();
  fakes_.network.SetConnected(false);

  frm_->txtMonitor_Change(kPage);

  EXPECT_EQ(Only(fakes_.log, {"Grid.SetDataSource", "Movie.", "tmrDownload.", "Dialogs."}),
            (EventLog{"Grid.SetDataSource 1 rows",
                      std::string("Movie.SetVariable _root.video_url=") + kPage,
                      "tmrDownload.SetEnabled 1"}));
  ASSERT_EQ(frm_->List().Count(), 1);
  EXPECT_EQ(frm_->List().At(0).FileName, "Waiting (Auto Detect)");
  EXPECT_EQ(frm_->Run().DownloadTimer().Interval(), 200);

  // The run starts from the tick, not from the delivery.
  EXPECT_TRUE(fakes_.dialogs.Messages().empty());
  AsFake(frm_->Run().DownloadTimer()).Fire();
  EXPECT_EQ(NotConnectedMessages(), 1);
}

struct SecondDeliveryCase {
  const char* name;
  std::string second;
  int rows;
  bool armed;
};

TEST_F(ClipboardMonitorTest, SecondDeliveryAddsOnlyWhatIsNewButAlwaysShowsAndArms) {
  const SecondDeliveryCase cases[] = {
      {"same address", kPage, 1, true},
      {"another page", kOtherPage, 2, true},
      {"no supported site", "some copied words", 2, true},
      {"empty", "", 1, false},
  };
  for (const SecondDeliveryCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakePorts fakes;
    FrmMain frm(fakes.ports(), ProgramDir(), kChannel);
    frm.txtMonitor_Change(kPage);
    frm.Run().DownloadTimer().SetEnabled(false);
    fakes.movie.Preset("_root.video_url", "");
    fakes.log.clear();

    frm.txtMonitor_Change(c.second);

    EXPECT_EQ(frm.List().Count(), c.rows);
    EXPECT_EQ(frm.Run().DownloadTimer().Enabled(), c.armed);
    if (!c.armed) {
      EXPECT_TRUE(fakes.log.empty());
      continue;
    }
    EXPECT_EQ(fakes.movie.Var("_root.video_url"), c.second);
  }
}

TEST_F(ClipboardMonitorTest, DeliveryOfAnUnsupportedAddressBecomesAnErrorRow) {
  frm_->txtMonitor_Change("some copied words");
  ASSERT_EQ(frm_->List().Count(), 1);
  EXPECT_EQ(frm_->List().At(0).FileName, "ERROR");
  EXPECT_EQ(frm_->List().At(0).Status, "Link is not supported");
}

TEST_F(ClipboardMonitorTest, DeliveryDuringARunAddsTheRowButStartsNothing) {
  LoadAndForget();

  RunAndDuringPageFetch([&] { frm_->txtMonitor_Change(kPage); });

  EXPECT_EQ(frm_->List().Count(), 2);
  EXPECT_EQ(fakes_.movie.Var("_root.video_url"), kPage);
  EXPECT_TRUE(Only(fakes_.log, {"tmrDownload.SetEnabled 1"}).empty());
  EXPECT_TRUE(fakes_.dialogs.Messages().empty());
}

struct PollStep {
  const char* clipboard;
  bool examined;
};

TEST_F(ClipboardMonitorTest, PollingExaminesEachNewTextOnceAndStartsAtOnce) {
  LoadAndForget();
  fakes_.network.SetConnected(false);
  frm_->chkMonitor_Click();
  ASSERT_TRUE(frm_->MonitorTimer().Enabled());
  EXPECT_EQ(frm_->MonitorTimer().Interval(), 2000);
  EXPECT_TRUE(frm_->CurrentSettings().URLMon);

  const PollStep steps[] = {
      {kPage, true},      {kPage, false}, {"some copied words", false},
      {"", false},        {kPage, true},  // the clipboard changed in between
      {kOtherPage, true},
  };
  int examined = 0;
  for (const PollStep& step : steps) {
    SCOPED_TRACE(std::string("clipboard \"") + step.clipboard + "\"");
    fakes_.clipboard.SetText(step.clipboard);
    fakes_.movie.Preset("_root.video_url", "");

    ASSERT_TRUE(AsFake(frm_->MonitorTimer()).Fire());

    examined += step.examined;
    EXPECT_EQ(fakes_.movie.Var("_root.video_url"), step.examined ? step.clipboard : "");
    // Not connected: each start shows the message at once.
    EXPECT_EQ(NotConnectedMessages(), examined);
  }
  EXPECT_EQ(frm_->List().Count(), 2);
  EXPECT_FALSE(frm_->Run().DownloadTimer().Enabled());
  // The watcher is not involved, and nothing is saved.
  EXPECT_TRUE(Only(fakes_.log, {"Shell."}).empty());
  EXPECT_FALSE(std::filesystem::exists(HiveFile()));
}

TEST_F(ClipboardMonitorTest, SwitchingPollingOffAndOnForgetsTheLastText) {
  LoadAndForget();
  fakes_.network.SetConnected(false);
  fakes_.clipboard.SetText(kPage);
  frm_->chkMonitor_Click();
  AsFake(frm_->MonitorTimer()).Fire();

  frm_->chkMonitor_Click();
  EXPECT_FALSE(frm_->MonitorTimer().Enabled());
  EXPECT_FALSE(frm_->CurrentSettings().URLMon);
  EXPECT_FALSE(AsFake(frm_->MonitorTimer()).Fire());

  frm_->chkMonitor_Click();
  AsFake(frm_->MonitorTimer()).Fire();
  EXPECT_EQ(NotConnectedMessages(), 2);
}

TEST_F(ClipboardMonitorTest, PollingDuringARunAddsButNeverTogglesTheRun) {
  LoadAndForget();
  fakes_.clipboard.SetText(kPage);
  frm_->chkMonitor_Click();

  RunAndDuringPageFetch([&] { AsFake(frm_->MonitorTimer()).Fire(); });

  EXPECT_EQ(frm_->List().Count(), 2);
  EXPECT_EQ(fakes_.movie.Var("_root.video_url"), kPage);
  // Toggling now would have asked whether to cancel.
  EXPECT_TRUE(fakes_.dialogs.Messages().empty());
}

TEST_F(ClipboardMonitorTest, ShutdownWithMonitoringOffStillStopsTheWatcherOnce) {
  CRegister reg;
  ASSERT_TRUE(reg.REGSaveSetting(kHkeyCurrentUser, kSettingsKey, kUrlMonValue, "False"));
  frm_->Form_Load();

  EXPECT_THROW(frm_->Flash_FSCommand("IDC_FS_Close", ""), QuitCalled);

  EXPECT_EQ(fakes_.shell.Launches(), (std::vector<FakeLaunch>{{Watcher(), {"Exit"}}}));
}

}  // namespace
}  // namespace reelcatch
