// The download run as the window and the clipboard start it, over pages
// whose fetch fails fast.
#include <gtest/gtest.h>

#include "run/transfer_rate.h"
#include "unit/frm_main_fixture.h"

namespace reelcatch {
namespace {

using namespace testing;

constexpr const char* kPage = "http://www.youtube.com/watch?v=1";
const std::string kVar = "Movie.SetVariable _root.";
const EventLog kRunning = {"Tray.Caption Stop Downloading", kVar + "downloadBtn=0",
                           kVar + "startDownload=0", kVar + "downloadTab=0"};
const EventLog kEnded = {kVar + "startDownload=1", kVar + "downloadBtn=1", kVar + "downloadTab=1",
                         "Tray.Caption Start Downloading"};
const EventLog kStopped = {kCancelQuestion, "Tray.Caption Start Downloading",
                           kVar + "downloadBtn=1", kVar + "startDownload=1",
                           kVar + "downloadTab=1"};
const EventLog kEmpty = {kVar + "startDownload=1",
                         "Dialogs.ShowMessage Please add video URL's first."};

class RunTest : public FrmMainFixture {
 protected:
  std::string Items(std::string DownloadItem::*field) {
    std::string items;
    for (const DownloadItem& item : frm_->List().Items()) items += item.*field + "|";
    return items;
  }
  EventLog Seen() { return Only(fakes_->log, {"Movie.", "tmrDownload.", "Dialogs.", "Shell."}); }
  EventLog Indicators() {
    return Only(fakes_->log, {"Tray.Caption", kVar + "d", kVar + "s", "Dialogs."});
  }
};

TEST_F(RunTest, EachItemEndsAsItsPageAllowsAndFinishedOnesAreSkipped) {
  Add("http://x.com/clip\nhttp://blip.tv/1\nhttp://blip.tv/2\n" + std::string(kRefusedPage));
  frm_->List().Edit(1).Status = "Complete";
  frm_->List().Edit(2).Status = "ERROR";
  frm_->List().Edit(3).FileName = "mine.flv";
  frm_->Run().cmdStartDownload_Click();
  EXPECT_EQ(Items(&DownloadItem::FileName),
            "Un supported link|Waiting (Auto Detect)|Waiting (Auto Detect)|mine.flv|");
  EXPECT_EQ(Items(&DownloadItem::Status), "ERROR|Complete|ERROR|ERROR|");
  EXPECT_EQ(Indicators(), Joined({kRunning, kEnded}));
}

TEST_F(RunTest, StepsTakenDuringAPageFetch) {
  // y: the next question is answered Yes; s: Start/Stop is clicked; b: the
  // face's button is pressed; t: the start command comes and its timer ticks;
  // e: the list is emptied; c: the clipboard is watched, delivers and is
  // polled. Then the indicators, the statuses, and whether a
  // start asked for while the stopped run wound up came once it was over.
  const std::tuple<const char*, EventLog, const char*, bool> cases[] = {
      {"s", Joined({kRunning, {kCancelQuestion}, kEnded}), "ERROR|ERROR|", false},
      {"ys", Joined({kRunning, kStopped}), "Cancelled|Waiting|", false},
      {"ysb", Joined({kRunning, kStopped}), "Cancelled|Waiting|", true},
      {"yst", Joined({kRunning, kStopped}), "Cancelled|Waiting|", true},
      {"es", Joined({kRunning, kEmpty, kEnded}), "", false},
      {"c", Joined({kRunning, kEnded}), "ERROR|ERROR|Waiting|Waiting|", false}};
  for (const auto& [steps, indicators, statuses, restarts] : cases) {
    SCOPED_TRACE(steps);
    Restart();
    Add(kRefusedPage + std::string("\nhttp://127.0.0.1:1/blip.tv/2"));
    RunAndDuringPageFetch([&, steps = std::string(steps)] {
      for (char step : steps) {
        if (step == 'y') fakes_->dialogs.answers.push_back(MessageAnswer::Yes);
        if (step == 's') frm_->Run().cmdStartDownload_Click();
        if (step == 'b') frm_->Flash_FSCommand("IDC_FS_stopDownload", "");
        if (step == 't') frm_->Flash_FSCommand("IDC_FS_startDownload", "");
        if (step == 't') AsFake(frm_->Run().DownloadTimer()).Fire();
        if (step == 'e') frm_->Display().SelectAllItems(), frm_->Display().RemoveSelected();
        if (step == 'c') frm_->chkMonitor_Click(), fakes_->clipboard.text = kPage;
        if (step == 'c')
          frm_->txtMonitor_Change("http://blip.tv/1"), AsFake(frm_->MonitorTimer()).Fire();
      }
    });
    EXPECT_EQ(Indicators(), indicators);
    EXPECT_EQ(fakes_->dialogs.lastTitle == "Empty List", steps[0] == 'e');
    EXPECT_EQ(Items(&DownloadItem::Status), statuses);
    EXPECT_EQ(Only(fakes_->log, {"Network."}).size(), 1u) << "one run only";
    EXPECT_EQ(Only(fakes_->log, {"tmrDownload.SetEnabled 1"}).empty(), !restarts);
    EXPECT_EQ(fakes_->log.back() == "tmrDownload.SetEnabled 1", restarts);
  }
}

TEST_F(RunTest, ClipboardDeliveryAddsShowsAndArmsTheStartUnlessEmpty) {
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

TEST_F(RunTest, ClipboardPollingTakesEachNewTextOnceAndStartsAtOnce) {
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

// The meter fed made-up moments (ms, bytes; no bytes: nothing arrived),
// then asked for the speed and the time left of a file of the given size.
TEST(TransferRateTest, SpeedOverTheLastSecondsAndTimeLeft) {
  const std::tuple<std::vector<std::pair<int, uint64_t>>, uint64_t, std::string> cases[] = {
      {{{0, 0}, {900, 90000}}, 0, ""},  // not a second seen yet
      {{{0, 0}, {1000, 102400}, {2000, 204800}}, 1228800, "100.0 KB/s · 0:10 left"},
      {{{0, 0}, {2000, 2048000}}, 0, "1.0 MB/s"},
      {{{0, 0}, {1000, 512}}, 513, "512 B/s · 0:01 left"},
      {{{0, 0}, {1000, 5000}}, 5000, "4.9 KB/s · 0:00 left"},
      {{{0, 0}, {1000, 1}}, 3790, "1 B/s · 1:03:09 left"},
      // An early burst leaves the window; a quiet server slows.
      {{{0, 0}, {1000, 9000000}, {2000, 9001024}, {7000, 9006144}}, 0, "1.0 KB/s"},
      {{{0, 0}, {1000, 10240}, {3000, UINT64_MAX}}, 20000, "3.3 KB/s · 0:03 left"},
      {{{0, 0}, {1000, 10240}, {6000, UINT64_MAX}}, 20480, "0 B/s"},
      {{{0, 0}, {2000, 200000}, {2500, 1000}}, 0, ""},  // begun anew
  };
  for (const auto& [notes, size, shown] : cases) {
    TransferRate rate;
    for (auto [ms, bytes] : notes) {
      TransferRate::Clock::time_point at{std::chrono::milliseconds(ms + 1000000)};
      bytes == UINT64_MAX ? rate.NoteQuiet(at) : rate.Note(at, bytes);
    }
    std::string text;
    if (auto speed = rate.BytesPerSecond()) text = SpeedText(*speed);
    if (auto left = rate.SecondsLeft(size)) text += " \xC2\xB7 " + TimeLeftText(*left);
    EXPECT_EQ(text, shown);
  }
}

}  // namespace
}  // namespace reelcatch
