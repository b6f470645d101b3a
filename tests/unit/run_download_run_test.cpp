#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "list/add_download_url.h"
#include "run/download_run.h"
#include "shell/frm_main.h"
#include "support/fake_ports.h"
#include "transfer/download.h"
#include "unit/frm_main_fixture.h"

namespace reelcatch {
namespace {

constexpr const char* kPage = "http://www.youtube.com/watch?v=1";
// YouTube pages on a host that refuses at once: their fetch fails fast, with
// the event loop turning while it is under way.
constexpr const char* kRefusedPage = "http://127.0.0.1:1/youtube.com/watch?v=a";
constexpr const char* kRefusedPage2 = "http://127.0.0.1:1/youtube.com/watch?v=b";
constexpr const char* kCancelQuestion = "Are you sure that you want to cancel downloading?";
constexpr const char* kNotConnected =
    "You are not connected to the internet, Please connect first then try again";

const EventLog kRunning = {
    "Tray.SetDownloadCaption Stop Downloading", "Movie.SetVariable _root.downloadBtn=0",
    "Movie.SetVariable _root.startDownload=0", "Movie.SetVariable _root.downloadTab=0"};
const EventLog kEnded = {
    "Movie.SetVariable _root.startDownload=1", "Movie.SetVariable _root.downloadBtn=1",
    "Movie.SetVariable _root.downloadTab=1", "Tray.SetDownloadCaption Start Downloading"};
const EventLog kStopped = {
    "Tray.SetDownloadCaption Start Downloading", "Movie.SetVariable _root.downloadBtn=1",
    "Movie.SetVariable _root.startDownload=1", "Movie.SetVariable _root.downloadTab=1"};

EventLog Joined(std::initializer_list<EventLog> parts) {
  EventLog all;
  for (const EventLog& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct ItemTexts {
  std::string FileName, Status, FileSize;
  friend bool operator==(const ItemTexts&, const ItemTexts&) = default;
  friend std::ostream& operator<<(std::ostream& out, const ItemTexts& t) {
    return out << "{" << t.FileName << " | " << t.Status << " | " << t.FileSize << "}";
  }
};

class DownloadRunTest : public testing::FrmMainFixture {
 protected:
  void SetUp() override {
    FrmMainFixture::SetUp();
    frm_->Form_Load();
    fakes_.log.clear();
  }

  DownloadRun& Run() { return frm_->Run(); }

  void Add(const std::string& url) {
    AddDownloadURL(url, frm_->List(), frm_->Display(), Run().State());
  }
  ItemTexts Texts(int position) {
    const DownloadItem& item = frm_->List().At(position);
    return {item.FileName, item.Status, item.FileSize};
  }
  // The start/stop indicators in the order they were set.
  EventLog Indicators() const {
    return Only(fakes_.log,
                {"Tray.SetDownloadCaption", "Movie.SetVariable _root.downloadBtn",
                 "Movie.SetVariable _root.startDownload", "Movie.SetVariable _root.downloadTab"});
  }
  int Count(const std::string& entry) const {
    return static_cast<int>(std::count(fakes_.log.begin(), fakes_.log.end(), entry));
  }

  // Starts a run (the list must hold a refused page) and runs action once,
  // from the event loop, while the first page is being fetched.
  void RunAndDuringPageFetch(std::function<void()> action) {
    fakes_.loop.SetHook([this, action] {
      if (hookDone_ || !Run().State().Preparing) return;
      hookDone_ = true;
      action();
    });
    Run().cmdStartDownload_Click();
    ASSERT_TRUE(hookDone_);
  }

  void StopThenStartDuringAPageFetch(const std::function<void()>& start);
};

TEST_F(DownloadRunTest, EmptyListIsReportedBeforeAnythingElse) {
  fakes_.network.SetConnected(false);

  Run().cmdStartDownload_Click();

  EXPECT_EQ(fakes_.log, (EventLog{"Movie.SetVariable _root.startDownload=1",
                                  "Dialogs.ShowMessage Please add video URL's first."}));
  ASSERT_EQ(fakes_.dialogs.Messages().size(), 1u);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].title, "Empty List");
}

TEST_F(DownloadRunTest, ListEmptiedDuringARunIsReportedInsteadOfTheStopQuestion) {
  Add(kRefusedPage);

  RunAndDuringPageFetch([&] {
    frm_->Flash_FSCommand("IDC_FS_selectAllD", "");
    frm_->Flash_FSCommand("IDC_FS_removeSelectedD", "");
    Run().cmdStartDownload_Click();
  });

  ASSERT_EQ(fakes_.dialogs.Messages().size(), 1u);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].title, "Empty List");
  EXPECT_TRUE(frm_->List().IsListEmpty());
  EXPECT_FALSE(Run().State().Downloading);
  EXPECT_EQ(Indicators(), Joined({kRunning, {"Movie.SetVariable _root.startDownload=1"}, kEnded}));
}

TEST_F(DownloadRunTest, NotConnectedIsReportedAndTheIndicatorsStayIdle) {
  Add(kPage);
  fakes_.network.SetConnected(false);
  fakes_.log.clear();

  Run().cmdStartDownload_Click();

  EXPECT_EQ(fakes_.log,
            (EventLog{"Network.IsConnected", std::string("Dialogs.ShowMessage ") + kNotConnected}));
  ASSERT_EQ(fakes_.dialogs.Messages().size(), 1u);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].title, "Reelcatch");
  EXPECT_EQ(Run().StartButtonCaption(), "Start Downloading");
  EXPECT_FALSE(Run().State().Downloading);
  EXPECT_EQ(Texts(0), (ItemTexts{"Waiting (Auto Detect)", "Waiting", "????"}));
}

TEST_F(DownloadRunTest, FinishedItemsAreSkippedAndTheRunEndsAtOnce) {
  Add(kPage);
  Add(kRefusedPage);
  frm_->List().At(0).Status = "Complete";
  frm_->List().At(1).Status = "ERROR";
  std::filesystem::create_directories(Home());
  fakes_.log.clear();

  Run().cmdStartDownload_Click();

  EXPECT_EQ(Indicators(), Joined({kRunning, kEnded}));
  EXPECT_EQ(Run().StartButtonCaption(), "Start Downloading");
  EXPECT_EQ(Texts(0), (ItemTexts{"Waiting (Auto Detect)", "Complete", "????"}));
  EXPECT_EQ(Texts(1), (ItemTexts{"Waiting (Auto Detect)", "ERROR", "????"}));
  EXPECT_FALSE(Run().State().Downloading);
  EXPECT_TRUE(fakes_.dialogs.Messages().empty());
  EXPECT_TRUE(std::filesystem::is_directory(Home() + "/Downloaded Videos"));
}

TEST_F(DownloadRunTest, ItemsThatCannotBeResolvedEndAsErrors) {
  Add("http://example.com/clip");
  Add(kPage);
  Add(kRefusedPage);
  Add(kRefusedPage2);
  frm_->List().At(1).Status = "Complete";
  frm_->List().At(3).FileName = "mine.flv";
  std::vector<std::string> seen;
  Run().SetStatusObserver([&](int position) { seen.push_back(frm_->List().At(position).Status); });

  Run().cmdStartDownload_Click();

  EXPECT_EQ(Texts(0), (ItemTexts{"Un supported link", "ERROR", "????"}));
  EXPECT_EQ(Texts(1), (ItemTexts{"Waiting (Auto Detect)", "Complete", "????"}));
  // The page was never fetched: the name stays as it was.
  EXPECT_EQ(Texts(2), (ItemTexts{"Waiting (Auto Detect)", "ERROR", "????"}));
  EXPECT_EQ(Texts(3), (ItemTexts{"mine.flv", "ERROR", "????"}));
  EXPECT_EQ(seen, (std::vector<std::string>{"Preperaing (0%)", "ERROR", "Preperaing (0%)", "ERROR",
                                            "Preperaing (0%)", "ERROR"}));
  EXPECT_EQ(Indicators(), Joined({kRunning, kEnded}));
  EXPECT_TRUE(fakes_.dialogs.Messages().empty());
}

TEST_F(DownloadRunTest, StopAnsweredNoChangesNothing) {
  Add(kRefusedPage);
  fakes_.dialogs.SetQuestionAnswer(MessageAnswer::No);
  std::string captionInRun;

  RunAndDuringPageFetch([&] {
    captionInRun = Run().StartButtonCaption();
    Run().cmdStartDownload_Click();
  });

  EXPECT_EQ(captionInRun, "Stop Downloading");
  ASSERT_EQ(fakes_.dialogs.Messages().size(), 1u);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].text, kCancelQuestion);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].icon, MessageIcon::Question);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].title, "Reelcatch");
  EXPECT_FALSE(Run().State().CancelRequested);
  // The run went on to its own end.
  EXPECT_EQ(Indicators(), Joined({kRunning, kEnded}));
  EXPECT_EQ(Texts(0), (ItemTexts{"Waiting (Auto Detect)", "ERROR", "????"}));
}

TEST_F(DownloadRunTest, StopAnsweredYesDuringAPageFetchCancelsThatItemAndEndsTheRun) {
  Add(kRefusedPage);
  Add(kRefusedPage2);
  fakes_.dialogs.SetQuestionAnswer(MessageAnswer::Yes);

  RunAndDuringPageFetch([&] { Run().cmdStartDownload_Click(); });

  EXPECT_EQ(Texts(0), (ItemTexts{"Waiting (Auto Detect)", "Cancelled", "????"}));
  EXPECT_EQ(Texts(1), (ItemTexts{"Waiting (Auto Detect)", "Waiting", "????"}));
  // Idle once, at the stop; not again when the run winds up.
  EXPECT_EQ(Indicators(), Joined({kRunning, kStopped}));
  EXPECT_EQ(Run().StartButtonCaption(), "Start Downloading");
  EXPECT_FALSE(Run().State().Downloading);
  EXPECT_FALSE(Run().DownloadTimer().Enabled());
}

// Stops a run during its first page fetch, then asks for a new start
// through start() before the stopped run has wound up.
void DownloadRunTest::StopThenStartDuringAPageFetch(const std::function<void()>& start) {
  Add(kRefusedPage);
  Add(kRefusedPage2);
  fakes_.log.clear();
  fakes_.dialogs.QueueAnswer(MessageAnswer::Yes);

  RunAndDuringPageFetch([&] {
    Run().cmdStartDownload_Click();
    start();
  });

  // One run only, and the start armed once it was over.
  EXPECT_EQ(Count("Network.IsConnected"), 1);
  EXPECT_EQ(Indicators(), Joined({kRunning, kStopped}));
  EXPECT_EQ(fakes_.log.back(), "tmrDownload.SetEnabled 1");
  EXPECT_EQ(Texts(0).Status, "Cancelled");
  EXPECT_EQ(Texts(1).Status, "Waiting");

  fakes_.network.SetConnected(false);
  ASSERT_TRUE(AsFake(Run().DownloadTimer()).Fire());
  ASSERT_FALSE(fakes_.dialogs.Messages().empty());
  EXPECT_EQ(fakes_.dialogs.Messages().back().text, kNotConnected);
}

TEST_F(DownloadRunTest, AStopCommandWhileAStoppedRunWindsUpWaitsForItsEnd) {
  StopThenStartDuringAPageFetch([&] { frm_->Flash_FSCommand("IDC_FS_stopDownload", ""); });
}

TEST_F(DownloadRunTest, AStartTickWhileAStoppedRunWindsUpWaitsForItsEnd) {
  StopThenStartDuringAPageFetch([&] {
    frm_->Flash_FSCommand("IDC_FS_startDownload", "");
    AsFake(Run().DownloadTimer()).Fire();
  });
}

TEST_F(DownloadRunTest, AddingDuringARunKeepsTheRunningRow) {
  Add(kPage);
  Add(kRefusedPage);
  frm_->List().At(0).Status = "Complete";
  std::optional<int> rowBefore, rowAfter;

  RunAndDuringPageFetch([&] {
    rowBefore = frm_->Display().CurrentRow();
    Add("http://www.dailymotion.com/video/x");
    rowAfter = frm_->Display().CurrentRow();
  });

  EXPECT_EQ(rowBefore, std::optional<int>(1));
  EXPECT_EQ(rowAfter, std::optional<int>(1));
  EXPECT_EQ(frm_->List().Count(), 3);
}

struct Added {
  std::string url;
  ItemTexts texts;
};

struct AddCase {
  std::string entered;
  std::vector<Added> added;
};

TEST_F(DownloadRunTest, EachAddedLineIsTrimmedAndGetsThePlaceholdersOfItsKind) {
  const ItemTexts waiting{"Waiting (Auto Detect)", "Waiting", "????"};
  const ItemTexts unsupported{"ERROR", "Link is not supported", "????"};
  const AddCase cases[] = {
      {kPage, {{kPage, waiting}}},
      {"HTTP://WWW.YOUTUBE.COM/watch?v=2", {{"HTTP://WWW.YOUTUBE.COM/watch?v=2", waiting}}},
      {" \thttp://blip.tv/file/3 \r\n", {{"http://blip.tv/file/3", waiting}}},
      {"http://example.com/clip", {{"http://example.com/clip", unsupported}}},
      {"http://blip.tv/file/4\r\n\r\n http://example.com/other\nhttp://blip.tv/file/5",
       {{"http://blip.tv/file/4", waiting},
        {"http://example.com/other", unsupported},
        {"http://blip.tv/file/5", waiting}}},
      {"http://blip.tv/file/a b", {{"http://blip.tv/file/a b", waiting}}},
      {"", {}},
      {" \t\r\n \n", {}},
  };
  for (const AddCase& c : cases) {
    SCOPED_TRACE("\"" + c.entered + "\"");
    int before = frm_->List().Count();
    Add(c.entered);
    ASSERT_EQ(frm_->List().Count(), before + static_cast<int>(c.added.size()));
    for (size_t i = 0; i < c.added.size(); ++i) {
      int position = before + static_cast<int>(i);
      EXPECT_EQ(frm_->List().At(position).Video_URL, c.added[i].url);
      EXPECT_EQ(frm_->List().At(position).ID, position + 1);
      EXPECT_EQ(Texts(position), c.added[i].texts);
    }
  }
  EXPECT_EQ(fakes_.grid.RowCount(), frm_->List().Count());
}

TEST_F(DownloadRunTest, AnAddressAlreadyListedIsNotAddedAgain) {
  Add(kPage);
  Add(kPage);
  EXPECT_EQ(frm_->List().Count(), 1);
  Add("http://www.youtube.com/watch?V=1");
  EXPECT_EQ(frm_->List().Count(), 2);
}

TEST_F(DownloadRunTest, AnUnsupportedAddressStillCountsAsAnItemForTheStart) {
  Add("http://example.com/clip");
  fakes_.network.SetConnected(false);

  Run().cmdStartDownload_Click();

  ASSERT_EQ(fakes_.dialogs.Messages().size(), 1u);
  EXPECT_EQ(fakes_.dialogs.Messages()[0].text, kNotConnected);
}

}  // namespace
}  // namespace reelcatch
