// The download run as the window drives it, over pages whose fetch fails fast.
#include <gtest/gtest.h>

#include "unit/frm_main_fixture.h"

namespace reelcatch {
namespace {

using namespace testing;

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

EventLog Joined(std::initializer_list<EventLog> parts) {
  EventLog all;
  for (const EventLog& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class RunTest : public FrmMainFixture {
 protected:
  std::string Items(std::string DownloadItem::*field) {
    std::string items;
    for (const DownloadItem& item : frm_->List().Items()) items += item.*field + "|";
    return items;
  }
  EventLog Indicators() {
    return Only(fakes_->log, {"Tray.Caption", kVar + "d", kVar + "s", "Dialogs."});
  }
};

TEST_F(RunTest, StartSaysWhyNothingCanRun) {
  frm_->Run().cmdStartDownload_Click();
  EXPECT_EQ(fakes_->log, kEmpty);
  EXPECT_EQ(fakes_->dialogs.lastTitle, "Empty List");
  Add("http://example.com/clip");
  fakes_->network.connected = false;
  fakes_->log.clear();
  frm_->Run().cmdStartDownload_Click();
  EXPECT_EQ(fakes_->log, (EventLog{"Network.IsConnected", kNotConnected}));
  EXPECT_EQ(Items(&DownloadItem::Status), "Link is not supported|");
}

TEST_F(RunTest, EachItemEndsAsItsPageAllowsAndFinishedOnesAreSkipped) {
  for (const char* page :
       {"http://x.com/clip", "http://blip.tv/1", "http://blip.tv/2", kRefusedPage})
    Add(page);
  frm_->List().Edit(0).Status = "Waiting";
  frm_->List().Edit(1).Status = "Complete";
  frm_->List().Edit(2).Status = "ERROR";
  frm_->List().Edit(3).FileName = "mine.flv";
  std::vector<std::string> seen;
  frm_->Run().SetStatusObserver([&](int p) { seen.push_back(frm_->List().At(p).Status); });
  frm_->Run().cmdStartDownload_Click();
  EXPECT_EQ(Items(&DownloadItem::FileName),
            "Un supported link|Waiting (Auto Detect)|Waiting (Auto Detect)|mine.flv|");
  EXPECT_EQ(Items(&DownloadItem::Status), "ERROR|Complete|ERROR|ERROR|");
  EXPECT_EQ(seen,
            (std::vector<std::string>{"Preperaing (0%)", "ERROR", "Preperaing (0%)", "ERROR"}));
  EXPECT_EQ(Indicators(), Joined({kRunning, kEnded}));
  EXPECT_TRUE(std::filesystem::is_directory(Home() + "/Downloaded Videos"));
}

TEST_F(RunTest, StepsTakenDuringAPageFetch) {
  // y: the next question is answered Yes; s: Start/Stop is clicked; b: the
  // face's button is pressed; t: the start command comes and its timer ticks;
  // e: the list is emptied; a: an address is added.
  // Whether a start asked for while a stopped run winds up comes once it is over.
  const std::tuple<const char*, EventLog, const char*, bool> cases[] = {
      {"s", Joined({kRunning, {kCancelQuestion}, kEnded}), "Complete|ERROR|ERROR|", false},
      {"ys", Joined({kRunning, kStopped}), "Complete|Cancelled|Waiting|", false},
      {"ysb", Joined({kRunning, kStopped}), "Complete|Cancelled|Waiting|", true},
      {"yst", Joined({kRunning, kStopped}), "Complete|Cancelled|Waiting|", true},
      {"es", Joined({kRunning, kEmpty, kEnded}), "", false},
      {"a", Joined({kRunning, kEnded}), "Complete|ERROR|ERROR|Waiting|", false}};
  for (const auto& [steps, indicators, statuses, restarts] : cases) {
    SCOPED_TRACE(steps);
    Restart();
    for (const char* page : {"http://blip.tv/1", kRefusedPage, "http://127.0.0.1:1/blip.tv/2"})
      Add(page);
    frm_->List().Edit(0).Status = "Complete";
    RunAndDuringPageFetch([&, steps = std::string(steps)] {
      for (char step : steps) {
        if (step == 'y') fakes_->dialogs.answers.push_back(MessageAnswer::Yes);
        if (step == 's') frm_->Run().cmdStartDownload_Click();
        if (step == 'b') frm_->Flash_FSCommand("IDC_FS_stopDownload", "");
        if (step == 't') frm_->Flash_FSCommand("IDC_FS_startDownload", "");
        if (step == 't') AsFake(frm_->Run().DownloadTimer()).Fire();
        if (step == 'e') frm_->Display().SelectAllItems(), frm_->Display().RemoveSelected();
        if (step == 'a') Add("http://www.dailymotion.com/video/x");
      }
      EXPECT_EQ(frm_->Display().CurrentRow(),
                frm_->List().IsListEmpty() ? std::nullopt : std::optional(1));
    });
    EXPECT_EQ(Indicators(), indicators);
    EXPECT_EQ(Items(&DownloadItem::Status), statuses);
    EXPECT_EQ(Only(fakes_->log, {"Network."}).size(), 1u) << "one run only";
    EXPECT_EQ(fakes_->log.back() == "tmrDownload.SetEnabled 1", restarts);
  }
}

}  // namespace
}  // namespace reelcatch
