// The download run over real HTTP while the user edits the list or stops the
// run: it keeps to its own item, and writes each item's statuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <ostream>
#include <sstream>

#include "list/add_download_url.h"
#include "list/status_cell.h"
#include "run/download_run.h"
#include "shell/frm_main.h"
#include "support/fake_ports.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace reelcatch {
namespace {

using namespace std::chrono_literals;
using test::Response;
namespace fs = std::filesystem;

struct Edit {
  const char* name;
  // Before the run, or when b is shown as prepared ("fetch"), while its page
  // arrives in a refill ("refill"), or while its video arrives ("transfer").
  std::string when;
  // Words: "delete N", "up N", "add" (d), "fail N" (marks it ERROR), "name N X",
  // "stop".
  std::string act;
  std::string items;          // each "<letter>[=<file name> not its own]:<status>"
  std::string statuses = "";  // those a and b were given, when to be checked

  friend std::ostream& operator<<(std::ostream& out, const Edit& r) { return out << r.name; }
};

// Settings and page files go to the test's own folder.
bool PointHomeAt(const fs::path& home) {
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  unsetenv("XDG_RUNTIME_DIR");
  return setenv("REELCATCH_MEDIA_HOST", "", 1) == 0;
}

class Edits : public testing::TestWithParam<Edit> {
 public:
  Edits() {
    frm->Control().SetTimeouts(10, 10);
    frm->Form_Load();
    frm->CurrentSettings().DownloadDir = (dir / "videos").string();
    run.SetStatusObserver([this](int position) {
      const DownloadItem& item = list.At(position);
      std::string& seen = statuses[item.Video_URL.back()];
      if (!seen.ends_with("|" + item.Status)) seen += "|" + item.Status;
    });
  }
  void Add(char x) { AddDownloadURL(Page(x), list, frm->Display(), run.State()); }
  std::string Page(char x) { return server.Url("/angryalien.com/") + x; }
  // A page of several reads, and a video that comes in two halves.
  void Serve(char x, const std::string& body) {
    std::string video = "/v/" + std::string(1, x) + ".flv";
    server.Route("/angryalien.com/" + std::string(1, x),
                 Response::Ok("<embed src=\"{base}" + video + "\">" + std::string(5000, ' ')));
    server.Route(
        video, Response::Head("HTTP/1.1 200 OK", {{"Content-Length", std::to_string(body.size())}})
                   .Send(body.substr(0, body.size() / 2))
                   .Pause(60ms)
                   .Send(body.substr(body.size() / 2)));
  }
  void Act(const std::string& words) {
    std::istringstream in(words);
    for (std::string word, name; in >> word;) {
      int id = 0;
      if (word == "delete" || word == "up" || word == "fail" || word == "name") in >> id;
      if (word == "delete") list.DeleteItem(int16_t(id));
      if (word == "up") list.MoveItemUp(int16_t(id));
      if (word == "fail") list.Edit(id - 1).Status = "ERROR";
      if (word == "name") in >> list.Edit(id - 1).FileName;
      if (word == "add") Add('d');
      if (word == "stop") fakes.dialogs.SetQuestionAnswer(MessageAnswer::Yes);
      if (word == "stop") run.cmdStartDownload_Click();
    }
    frm->Display().FillDownloadList();
  }
  int Running() { return list.PositionOfKey(run.State().CurrentKey); }
  // Only the running item's row shows its preparation or progress, and is the current one.
  void CheckRows() {
    std::string running = Running() >= 0 ? list.At(Running()).Video_URL : "";
    for (int row = 0; run.State().Downloading && row < fakes.grid.RowCount(); ++row) {
      std::string status = fakes.grid.CellText(row, kColStatus);
      bool current = run.State().Preparing && frm->Display().CurrentRow() == row;
      if (current || ReadsAsNumber(status) || status.starts_with("Preperaing")) {
        EXPECT_EQ(fakes.grid.CellText(row, kColVideoUrl), running) << status;
      }
    }
  }

  test::ScriptedServer server;
  test::TempDir dir;
  FakePorts fakes;
  bool homeSet = PointHomeAt(dir.Path());
  std::unique_ptr<FrmMain> frm =
      std::make_unique<FrmMain>(fakes.ports(), ProgramFolders{dir.Path(), dir.Path()}, "1");
  DownloadList& list = frm->List();
  DownloadRun& run = frm->Run();
  std::map<char, std::string> statuses;
};

// Each item that finishes has its own video under its own name, and nothing is left half done.
TEST_P(Edits, KeepTheRunOnItsOwnItem) {
  const Edit& c = GetParam();
  std::map<char, std::string> bodies = {
      {'a', "aaaa"}, {'b', std::string(20000, 'b')}, {'c', "cccc"}, {'d', "dddd"}};
  for (auto [x, body] : bodies) Serve(x, body);
  for (char x : {'a', 'b', 'c'}) Add(x);
  if (c.act.ends_with("stalling")) {  // b's server sends half its video, then waits for ever
    frm->Control().SetTimeouts(10, 3600);
    server.Route("/v/b.flv", Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "20000"}})
                                 .Send(bodies['b'].substr(0, 10000))
                                 .Hold());
  }
  if (c.when == "before") Act(c.act);
  bool done = c.act.empty() || c.when == "before";
  fakes.loop.SetHook([&] {
    CheckRows();
    if (done || Running() < 0 || list.At(Running()).Video_URL != Page('b')) return;
    const std::string& status = list.At(Running()).Status;
    bool preparing = run.State().Preparing;
    if ((c.when == "fetch" && !preparing && status == "Preperaing (0%)") ||
        (c.when == "refill" && preparing && frm->Display().FillBusy()) ||
        (c.when == "transfer" && !preparing && ReadsAsNumber(status))) {
      done = true;
      Act(c.act);
    }
  });

  run.cmdStartDownload_Click();

  ASSERT_TRUE(done);
  std::string items;
  std::vector<test::RecordedRequest> requests = server.Requests();
  for (const DownloadItem& item : list.Items()) {
    std::string own = item.Video_URL.substr(item.Video_URL.size() - 1);
    bool named = item.FileName != own + ".flv" && item.Status == "Complete";
    bool fetched = std::any_of(requests.begin(), requests.end(), [&](const auto& r) {
      return item.Video_URL.ends_with(r.target) && item.Status == "Cancelled";
    });
    items += own + (named ? "=" + item.FileName : "") + ":" + item.Status +
             (fetched ? " fetched " : " ");
  }
  EXPECT_EQ(items, c.items + " ");
  EXPECT_EQ(c.statuses.empty() ? "" : statuses['a'] + "\n" + statuses['b'], c.statuses);
  EXPECT_EQ(frm->Display().Copy()->size(), size_t(list.Count()));
  for (const DownloadItem& item : list.Items()) {
    std::string file = test::ReadFile(dir / "videos" / item.FileName);
    EXPECT_EQ(item.Status == "Complete" ? file : "",
              item.Status == "Complete" ? bodies[item.Video_URL.back()] : "");
  }
  for (const auto& entry : fs::directory_iterator(dir / "videos")) {
    EXPECT_NE(entry.path().extension(), ".part") << "nothing is left half done";
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(WhileBIsWorkedOn, Edits, testing::Values(
    Edit{"RemoveTheItemInFront", "transfer", "delete 1", "b:Complete c:Complete"},
    // The transfer stops at once, its partial file goes, and the run takes up
    // the item that came into its place.
    Edit{"RemoveTheRunningItem", "transfer", "delete 2", "a:Complete c:Complete"},
    Edit{"RemoveTheRunningItemWhileItsServerWaits", "transfer", "delete 2 stalling",
         "a:Complete c:Complete"},
    Edit{"MoveTheRunningItemUp", "transfer", "up 2", "b:Complete a:Complete c:Complete"},
    // The run goes on behind its item: one moved in front of it waits for the next run.
    Edit{"MoveTheItemBehindUp", "transfer", "up 3", "a:Complete c:Waiting b:Complete"},
    Edit{"AddAnAddress", "transfer", "add", "a:Complete b:Complete c:Complete d:Complete"},
    // Behind an item this run only skipped, an address waits for the next run.
    Edit{"AddAnAddressBehindASkippedItem", "transfer", "fail 3 add",
         "a:Complete b:Complete c:ERROR d:Waiting"},
    // The page fetched is the running item's own, wherever it now is.
    Edit{"RemoveTheItemInFrontBeforeThePageFetch", "fetch", "delete 1", "b:Complete c:Complete"},
    Edit{"RemoveTheRunningItemBeforeThePageFetch", "fetch", "delete 2", "a:Complete c:Complete"},
    // A stop confirmed before the fetch begins: nothing more is fetched.
    Edit{"StopBeforeThePageFetch", "fetch", "stop", "a:Complete b:Cancelled c:Waiting"},
    Edit{"RemoveAndAddInARefillWhileThePageArrives", "refill", "delete 1 add",
         "b:Complete c:Complete d:Complete"},
    // A name the user typed stays the file's name.
    Edit{"NameTypedBeforeTheRun", "before", "name 2 mine.flv",
         "a:Complete b=mine.flv:Complete c:Complete"},
    // The first page is measured against its own HEAD, the next one against
    // the last video's size.
    Edit{"NoEdit", "", "", "a:Complete b:Complete c:Complete",
         "|Preperaing (0%)|Preperaing (41%)|Preperaing (81%)|Preperaing (100%)|Start Downloading..."
         "|100|Complete\n|Preperaing (0%)|Preperaing...|Start Downloading...|10|20|31|41|51|61|72"
         "|82|92|100|Complete"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace reelcatch
