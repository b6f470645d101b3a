// Addresses from the clipboard: delivered by the watcher, or polled.
#include <gtest/gtest.h>

#include "unit/frm_main_fixture.h"

namespace reelcatch {
namespace {

using namespace testing;

constexpr const char* kPage = "http://www.youtube.com/watch?v=1";

class MonitorTest : public FrmMainFixture {
 protected:
  EventLog Seen() { return Only(fakes_->log, {"Movie.", "tmrDownload.", "Dialogs.", "Shell."}); }
};

TEST_F(MonitorTest, DeliveryAddsShowsAndArmsTheStartUnlessEmpty) {
  const std::pair<std::string, int> deliveries[] = {
      {kPage, 1}, {kPage, 1}, {"some words", 2}, {"", 2}};
  for (const auto& [text, count] : deliveries) {
    fakes_->log.clear();
    frm_->txtMonitor_Change(text);
    EXPECT_EQ(frm_->List().Count(), count);
    EXPECT_EQ(Seen(), (text.empty() ? EventLog{}
                                    : EventLog{"Movie.SetVariable _root.video_url=" + text,
                                               "tmrDownload.SetEnabled 1"}));
  }
  EXPECT_EQ(frm_->List().At(1).Status, "Link is not supported");
  fakes_->network.connected = false;
  EXPECT_TRUE(AsFake(frm_->Run().DownloadTimer()).Fire());
  EXPECT_EQ(fakes_->log.back(), kNotConnected);
}

TEST_F(MonitorTest, PollingTakesEachNewTextOnceAndStartsAtOnce) {
  fakes_->network.connected = false;
  frm_->chkMonitor_Click();
  EXPECT_TRUE(frm_->CurrentSettings().URLMon);
  // Each clipboard text, and whether it is taken.
  const std::pair<std::string, bool> polls[] = {{kPage, true},    {kPage, false},
                                                {"words", false}, {"", false},
                                                {kPage, true},    {"http://blip.tv/2", true}};
  for (const auto& [text, taken] : polls) {
    fakes_->log.clear();
    fakes_->clipboard.text = text;
    ASSERT_TRUE(AsFake(frm_->MonitorTimer()).Fire());
    EXPECT_EQ(Seen(), (taken ? EventLog{"Movie.SetVariable _root.video_url=" + text, kNotConnected}
                             : EventLog{}))
        << text;
  }
  EXPECT_EQ(frm_->List().Count(), 2);
  frm_->chkMonitor_Click();
  EXPECT_FALSE(frm_->CurrentSettings().URLMon);
  EXPECT_FALSE(AsFake(frm_->MonitorTimer()).Fire());
  frm_->chkMonitor_Click();
  AsFake(frm_->MonitorTimer()).Fire();
  EXPECT_EQ(fakes_->log.back(), kNotConnected) << "switched off and on, the last text is forgotten";
  EXPECT_FALSE(std::filesystem::exists(HiveFile()));
}

TEST_F(MonitorTest, DuringARunAddressesAreAddedButNothingStarts) {
  fakes_->clipboard.text = kPage;
  frm_->chkMonitor_Click();
  Add(kRefusedPage);
  RunAndDuringPageFetch([&] {
    frm_->txtMonitor_Change("http://blip.tv/1");
    AsFake(frm_->MonitorTimer()).Fire();
  });
  EXPECT_EQ(frm_->List().Count(), 3);
  EXPECT_TRUE(Only(fakes_->log, {"tmrDownload.SetEnabled 1", "Dialogs."}).empty());
}

}  // namespace
}  // namespace reelcatch
