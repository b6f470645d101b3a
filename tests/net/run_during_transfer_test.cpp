// The run over real HTTP, with the window's commands arriving while a video
// is being transferred.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "list/add_download_url.h"
#include "list/status_cell.h"
#include "run/download_run.h"
#include "shell/frm_main.h"
#include "support/fake_ports.h"
#include "support/scripted_server.h"
#include "transfer/download.h"
#include "unit/shell_config_folder.h"

namespace reelcatch {
namespace {

namespace fs = std::filesystem;
using test::Response;
using test::ScriptedServer;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A body as a short text: its size and the letters it is made of.
std::string Described(const std::string& body) {
  std::string letters;
  for (char c : body) {
    if (letters.find(c) == std::string::npos) letters += c;
  }
  return std::to_string(body.size()) + " bytes of " + letters;
}

class RunDuringTransfer : public testing::ConfigFolderTest {
 protected:
  void SetUp() override {
    ConfigFolderTest::SetUp();
    fs::create_directories(ProgramDir());
    frm_ = std::make_unique<FrmMain>(fakes_.ports(), ProgramDir(), "1");
    frm_->Control().SetTimeouts(10, 10);
    frm_->Form_Load();
    frm_->CurrentSettings().DownloadDir = Videos().string();
  }
  void TearDown() override { frm_.reset(); }

  std::string ProgramDir() const { return temp_.Path() + "/program"; }
  fs::path Videos() const { return fs::path(temp_.Path()) / "videos"; }
  DownloadRun& Run() { return frm_->Run(); }
  const DownloadItem& Item(int position) { return frm_->List().At(position); }

  // A page in the PutFile format pointing at name, a video served in two
  // halves with a pause between them, so the run is seen mid-transfer.
  std::string Serve(const std::string& name, const std::string& body) {
    server_.Route("/putfile.com/v/" + name,
                  Response::Ok("<embed src=\"" + server_.Url("/" + name) + "\">"));
    size_t half = body.size() / 2;
    server_.Route("/" + name,
                  Response::Head("HTTP/1.1 200 OK",
                                 {{"Content-Length", std::to_string(body.size())}})
                      .Send(body.substr(0, half))
                      .Pause(std::chrono::milliseconds(60))
                      .Send(body.substr(half)));
    return server_.Url("/putfile.com/v/" + name);
  }

  void Add(const std::string& url) {
    AddDownloadURL(url, frm_->List(), frm_->Display(), Run().State());
  }

  // Runs action once, from the event loop, while the video of the item
  // with this address is being transferred.
  void DuringTransferOf(const std::string& address, std::function<void()> action) {
    fakes_.loop.SetHook([this, address, action] {
      if (done_ || Run().State().Preparing || !Run().State().Downloading) return;
      int position = Run().State().CurrentIndex;
      if (!frm_->List().Exists(position)) return;
      const DownloadItem& item = frm_->List().At(position);
      if (item.Video_URL != address || !ReadsAsNumber(item.Status)) return;
      done_ = true;
      action();
    });
  }

  testing::ScopedEnv media_{"REELCATCH_MEDIA_HOST", ""};
  ScriptedServer server_;
  FakePorts fakes_;
  std::unique_ptr<FrmMain> frm_;
  bool done_ = false;
};

TEST_F(RunDuringTransfer, AddressAddedBehindASkippedItemWaitsForTheNextRun) {
  std::string a = Serve("a.flv", std::string(20000, 'a'));
  std::string c = Serve("c.flv", std::string(3000, 'c'));
  Add(a);
  Add(Serve("b.flv", "b"));
  frm_->List().At(1).Status = "Complete";
  DuringTransferOf(a, [&] { Add(c); });

  Run().cmdStartDownload_Click();

  ASSERT_TRUE(done_);
  EXPECT_EQ(Item(0).Status, "Complete");
  EXPECT_EQ(Item(1).Status, "Complete");
  EXPECT_EQ(Item(2).Status, "Waiting");
  EXPECT_FALSE(fs::exists(Videos() / "c.flv"));
}

TEST_F(RunDuringTransfer, AddressAddedDuringTheLastTransferIsDownloadedBySameRun) {
  std::string a = Serve("a.flv", std::string(20000, 'a'));
  std::string c = Serve("c.flv", std::string(3000, 'c'));
  Add(a);
  DuringTransferOf(a, [&] { Add(c); });

  Run().cmdStartDownload_Click();

  ASSERT_TRUE(done_);
  EXPECT_EQ(Item(1).Status, "Complete");
  EXPECT_EQ(ReadFile(Videos() / "c.flv"), std::string(3000, 'c'));
}

enum class Moment {
  kTransfer,         // while b's video arrives
  kBeforePageFetch,  // in the refill that shows b's preparation, before its page is fetched
};

struct EditCase {
  const char* name;
  // Edits the list while the second item (b) is worked on.
  std::function<void(FrmMain&)> edit;
  // Expected addresses' last parts and statuses afterwards, in list order.
  std::vector<std::pair<std::string, std::string>> expected;
  Moment when = Moment::kTransfer;
  // b's server sends half the video and then waits for ever.
  bool bStalls = false;

  friend std::ostream& operator<<(std::ostream& out, const EditCase& c) { return out << c.name; }
};

class RunEdits : public RunDuringTransfer, public ::testing::WithParamInterface<EditCase> {
 protected:
  // Runs action once, from the event loop, in the refill that first shows
  // the item with this address as being prepared.
  void BeforePageFetchOf(const std::string& address, std::function<void()> action) {
    fakes_.loop.SetHook([this, address, action] {
      if (done_ || Run().State().Preparing || !Run().State().Downloading) return;
      int position = frm_->List().PositionOfKey(Run().State().CurrentKey);
      if (position < 0 || frm_->List().At(position).Video_URL != address) return;
      if (frm_->List().At(position).Status != "Preperaing (0%)") return;
      done_ = true;
      action();
    });
  }
};

TEST_P(RunEdits, KeepTheRunsWritesOnTheItemBeingDownloaded) {
  const EditCase& edit = GetParam();
  std::map<std::string, std::string> bodies = {
      {"a", "aaaa"}, {"b", std::string(20000, 'b')}, {"c", "cccc"}};
  std::string a = Serve("a.flv", bodies["a"]);
  std::string b = Serve("b.flv", bodies["b"]);
  std::string c = Serve("c.flv", bodies["c"]);
  if (edit.bStalls) {
    // A transfer that went on would wait here for its server, not end.
    frm_->Control().SetTimeouts(10, 3600);
    server_.Route("/b.flv", Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "20000"}})
                                .Send(bodies["b"].substr(0, 10000))
                                .Hold());
  }
  Add(a);
  Add(b);
  Add(c);
  auto action = [&] { edit.edit(*frm_); };
  if (edit.when == Moment::kTransfer) {
    DuringTransferOf(b, action);
  } else {
    BeforePageFetchOf(b, action);
  }

  Run().cmdStartDownload_Click();

  ASSERT_TRUE(done_);
  EXPECT_FALSE(Run().State().CancelRequested);
  const auto& expected = edit.expected;
  ASSERT_EQ(frm_->List().Count(), static_cast<int>(expected.size()));
  std::map<std::string, std::string> saved;
  for (const auto& entry : fs::directory_iterator(Videos())) {
    saved[entry.path().filename().string()] = Described(ReadFile(entry.path()));
  }
  for (int i = 0; i < frm_->List().Count(); ++i) {
    SCOPED_TRACE(i);
    const auto& [name, status] = expected[i];
    EXPECT_EQ(Item(i).ID, i + 1);
    EXPECT_TRUE(Item(i).Video_URL.ends_with(name + ".flv")) << Item(i).Video_URL;
    EXPECT_EQ(Item(i).Status, status);
    // Each finished item has its own video under its own name.
    if (status == "Complete") {
      EXPECT_EQ(Item(i).FileName, name + ".flv");
      EXPECT_EQ(saved[name + ".flv"], Described(bodies[name]));
    }
  }
  EXPECT_EQ(frm_->Display().Copy()->size(), expected.size());
  // Nothing is left half done, not even of an item that was removed.
  for (const auto& [file, content] : saved) EXPECT_FALSE(file.ends_with(".part")) << file;
}

INSTANTIATE_TEST_SUITE_P(
    Edits, RunEdits,
    ::testing::Values(EditCase{"RemoveTheItemInFront",
                               [](FrmMain& frm) {
                                 frm.List().DeleteItem(1);
                                 frm.Display().FillDownloadList();
                               },
                               {{"b", "Complete"}, {"c", "Complete"}}},
                      // The transfer stops at once, its partial file goes, and the run
                      // takes up the item that came into its place.
                      EditCase{"RemoveTheRunningItem",
                               [](FrmMain& frm) {
                                 frm.List().DeleteItem(2);
                                 frm.Display().FillDownloadList();
                               },
                               {{"a", "Complete"}, {"c", "Complete"}}},
                      EditCase{"RemoveTheRunningItemWhileItsServerWaits",
                               [](FrmMain& frm) {
                                 frm.List().DeleteItem(2);
                                 frm.Display().FillDownloadList();
                               },
                               {{"a", "Complete"}, {"c", "Complete"}},
                               Moment::kTransfer,
                               true},
                      EditCase{"MoveTheRunningItemUp",
                               [](FrmMain& frm) {
                                 frm.List().MoveItemUp(2);
                                 frm.Display().FillDownloadList();
                               },
                               {{"b", "Complete"}, {"a", "Complete"}, {"c", "Complete"}}},
                      // The run goes on behind its item: one moved in front of it waits
                      // for the next run.
                      EditCase{"MoveTheItemBehindUp",
                               [](FrmMain& frm) {
                                 frm.List().MoveItemUp(3);
                                 frm.Display().FillDownloadList();
                               },
                               {{"a", "Complete"}, {"c", "Waiting"}, {"b", "Complete"}}},
                      // The page fetched is the running item's own, wherever it now is.
                      EditCase{"RemoveTheItemInFrontBeforeThePageFetch",
                               [](FrmMain& frm) {
                                 frm.List().DeleteItem(1);
                                 frm.Display().FillDownloadList();
                               },
                               {{"b", "Complete"}, {"c", "Complete"}},
                               Moment::kBeforePageFetch},
                      EditCase{"LeaveTheRunningItemAloneBeforeThePageFetch",
                               [](FrmMain& frm) {
                                 frm.List().DeleteItem(3);
                                 frm.List().DeleteItem(1);
                                 frm.Display().FillDownloadList();
                               },
                               {{"b", "Complete"}},
                               Moment::kBeforePageFetch},
                      EditCase{"RemoveTheRunningItemBeforeThePageFetch",
                               [](FrmMain& frm) {
                                 frm.List().DeleteItem(2);
                                 frm.Display().FillDownloadList();
                               },
                               {{"a", "Complete"}, {"c", "Complete"}},
                               Moment::kBeforePageFetch}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunDuringTransfer, ProgressGoesToTheRunningItemsRowAfterTheGridWasRebuilt) {
  std::string a = Serve("a.flv", "aaaa");
  std::string b = Serve("b.flv", std::string(60000, 'b'));
  Add(a);
  Add(b);
  Add(Serve("c.flv", "cccc"));
  bool wrongRow = false;
  bool rightRow = false;
  DuringTransferOf(b, [&] {
    // A removal rebuilds the grid without looking the running row up
    // again: b's row is now the first, and the second shows c.
    frm_->List().DeleteItem(1);
    frm_->Display().FillDownloadList();
    fakes_.loop.SetHook([&] {
      if (fakes_.grid.RowCount() != 2 || Item(0).Status == "Complete") return;
      wrongRow = wrongRow || ReadsAsNumber(fakes_.grid.CellText(1, kColStatus));
      rightRow = rightRow || ReadsAsNumber(fakes_.grid.CellText(0, kColStatus));
    });
  });

  Run().cmdStartDownload_Click();

  EXPECT_EQ(Item(0).Status, "Complete");
  EXPECT_FALSE(wrongRow) << "progress of b written into c's row";
  EXPECT_TRUE(rightRow);
}

TEST_F(RunDuringTransfer, PreparationGoesToTheRunningItemsRowWhenTheListChangesInARefill) {
  Add(Serve("a.flv", "aaaa"));
  Add(Serve("x.flv", "xxxx"));
  std::string b = Serve("b.flv", std::string(5000, 'b'));
  // A page of several reads, so its progress goes on after the edit.
  server_.Route("/putfile.com/v/b.flv", Response::Ok("<embed src=\"" + server_.Url("/b.flv") +
                                                     "\">" + std::string(10000, ' ')));
  Add(b);
  Add(Serve("c.flv", "cccc"));
  frm_->List().At(0).Status = "Complete";
  frm_->List().At(1).Status = "Complete";
  const uint64_t bKey = frm_->List().At(2).Key;
  std::string wrongRow;
  auto check = [&] {
    if (!Run().State().Preparing || Run().State().CurrentKey != bKey) return;
    std::optional<int> row = frm_->Display().CurrentRow();
    for (int r = 0; r < fakes_.grid.RowCount(); ++r) {
      std::string address = fakes_.grid.CellText(r, kColVideoUrl);
      bool shownAsPreparing = fakes_.grid.CellText(r, kColStatus).starts_with("Preperaing");
      if (address != b && (row == r || shownAsPreparing)) wrongRow = address;
    }
  };
  fakes_.loop.SetHook([&] {
    // In a refill of the run's, while b's page arrives: the item in front
    // of x goes and an address comes in the same turn.
    if (done_ || !Run().State().Preparing || !frm_->Display().FillBusy()) return;
    done_ = true;
    frm_->List().DeleteItem(1);
    Add(Serve("d.flv", "dddd"));
    fakes_.loop.SetHook(check);
  });

  Run().cmdStartDownload_Click();

  ASSERT_TRUE(done_);
  EXPECT_EQ(wrongRow, "") << "b's preparation shown in the row of another item";
  EXPECT_EQ(Item(1).Video_URL, b);
  EXPECT_EQ(Item(1).Status, "Complete");
}

TEST_F(RunDuringTransfer, FailedTransfersNeverCountAsCompleteAndKeepTheOlderFile) {
  fs::create_directories(Videos());
  for (const char* name : {"cut.flv", "gone.flv"}) {
    std::ofstream(Videos() / name) << "older";
  }
  server_.Route("/putfile.com/v/cut", Response::Ok("<a href=\"" + server_.Url("/cut.flv") + "\">"));
  server_.Route("/cut.flv",
                Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "9000"}}).Send("12345"));
  server_.Route("/putfile.com/v/gone",
                Response::Ok("<a href=\"" + server_.Url("/gone.flv") + "\">"));
  server_.Route("/gone.flv", Response::WithStatus("HTTP/1.1 404 Not Found", "no such video"));
  Add(server_.Url("/putfile.com/v/cut"));
  Add(server_.Url("/putfile.com/v/gone"));

  Run().cmdStartDownload_Click();

  EXPECT_EQ(Item(0).Status, "ERROR");
  EXPECT_EQ(Item(1).Status, "ERROR");
  EXPECT_EQ(ReadFile(Videos() / "cut.flv"), "older");
  EXPECT_EQ(ReadFile(Videos() / "gone.flv"), "older");
  EXPECT_EQ(ReadFile(Videos() / "cut.flv.part"), "12345");
}

TEST_F(RunDuringTransfer, ACompleteTransferReplacesTheOlderFile) {
  fs::create_directories(Videos());
  std::ofstream(Videos() / "a.flv") << std::string(50000, 'o');
  Add(Serve("a.flv", "new body"));

  Run().cmdStartDownload_Click();

  EXPECT_EQ(Item(0).Status, "Complete");
  EXPECT_EQ(ReadFile(Videos() / "a.flv"), "new body");
  EXPECT_FALSE(fs::exists(Videos() / "a.flv.part"));
}

struct StopMoment {
  const char* name;
  // True in the turn of the event loop in which the user confirms the stop.
  std::function<bool(const RunState&, const DownloadItem&)> when;
  size_t requestsAllowed;
};

class RunStops : public RunDuringTransfer, public ::testing::WithParamInterface<StopMoment> {};

// Whenever the stop comes, nothing more is fetched, the item is "Cancelled"
// and the run ends at once (the server never answers, so a fetch started
// after the stop would hang until its time limit).
TEST_P(RunStops, EndTheRunWithoutFetchingAnythingMore) {
  server_.SetDefault(Response::Silent());
  Add(server_.Url("/putfile.com/v/never"));
  Add(server_.Url("/putfile.com/v/after"));
  fakes_.dialogs.SetQuestionAnswer(MessageAnswer::Yes);
  fakes_.loop.SetHook([this] {
    if (done_ || !Run().State().Downloading) return;
    if (!GetParam().when(Run().State(), Item(0))) return;
    done_ = true;
    Run().cmdStartDownload_Click();
  });

  Run().cmdStartDownload_Click();

  ASSERT_TRUE(done_);
  EXPECT_EQ(Item(0).Status, "Cancelled");
  EXPECT_EQ(Item(1).Status, "Waiting");
  EXPECT_FALSE(Run().State().Downloading);
  EXPECT_LE(server_.Requests().size(), GetParam().requestsAllowed);
}

INSTANTIATE_TEST_SUITE_P(
    Moments, RunStops,
    ::testing::Values(
        StopMoment{"BeforeThePageFetchBegins",
                   [](const RunState& state, const DownloadItem& item) {
                     return !state.Preparing && item.Status == "Preperaing (0%)";
                   },
                   0},
        StopMoment{"WhileThePageFetchWaits",
                   [](const RunState& state, const DownloadItem&) { return state.Preparing; },
                   1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace reelcatch
