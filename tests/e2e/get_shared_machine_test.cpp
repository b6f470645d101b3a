// reelcatch-get among other programs and users: two runs at once never read
// each other's pages, the page file lives only in a private folder of the
// user's and goes with the run, addresses the full list refuses are named,
// and a saved download folder that could be cut short is not used.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "e2e/get_run_fixture.h"
#include "list/download_list.h"
#include "platform/process_start.h"
#include "shell/hive_file.h"
#include "shell/mod_settings.h"

namespace reelcatch::test {
namespace {

using namespace std::chrono_literals;

const std::string kBodyA = ScriptedServer::GeneratedBody(7000);
const std::string kBodyB = std::string(6000, 'b');

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The names in a folder, links and folders included.
std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

class SharedMachine : public GetRunTest {
 protected:
  void ServeClip() {
    server_.Route("/angryalien.com/clip", EmbedPage(server_.Url("/v/clip.flv")));
    server_.Route("/v/clip.flv", Response::Ok(kBodyA));
  }

  // Waits until a page file shows anywhere under the root.
  bool WaitForAPageFile(ChildProcess& child) {
    auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
      for (const auto& [name, what] : ReadTree(root_)) {
        std::string file = fs::path(name).filename().string();
        if (file.starts_with("Parse") && file.ends_with(".pgd")) return true;
      }
      child.Pump();
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
};

// Run A's page comes in two parts, the second only after run B has asked
// for B's video, that is after B fetched and read its own page.
TEST_F(SharedMachine, TwoRunsAtOnceEachDownloadTheirOwnPagesVideo) {
  const std::string head = "<html><body>" + std::string(3000, ' ');
  const std::string tail = "<embed src=\"" + server_.Url("/v/a.flv") + "\" /></body></html>";
  server_.Route("/angryalien.com/a",
                Response::Head("HTTP/1.1 200 OK",
                               {{"Content-Length", std::to_string(head.size() + tail.size())}})
                    .Send(head)
                    .AwaitRequest("/v/b.flv")
                    .Send(tail));
  server_.Route("/angryalien.com/b", EmbedPage(server_.Url("/v/b.flv")));
  server_.Route("/v/a.flv", Response::Ok(kBodyA));
  server_.Route("/v/b.flv", Response::Ok(kBodyB));
  Tree before = ReadTree(root_);
  const std::vector<std::string> pageA = {server_.Url("/angryalien.com/a")};
  const std::vector<std::string> pageB = {server_.Url("/angryalien.com/b")};

  ChildProcess runA(program_.string(), DownloadArgs(root_ / "videos-a", pageA), Env());
  ASSERT_TRUE(WaitForAPageFile(runA)) << runA.Stderr();
  ChildProcess runB(program_.string(), DownloadArgs(root_ / "videos-b", pageB), Env());
  EXPECT_EQ(runB.Wait(), 0) << runB.Stderr();
  EXPECT_EQ(runA.Wait(), 0) << runA.Stderr();

  auto itemA = ParseListed(runA.Stdout(), pageA);
  auto itemB = ParseListed(runB.Stdout(), pageB);
  EXPECT_EQ(itemA[0].fileName, "a.flv") << Visible(runA.Stdout());
  EXPECT_EQ(itemB[0].fileName, "b.flv") << Visible(runB.Stdout());
  Tree expected = before;
  expected["videos-a"] = "dir";
  expected["videos-a/a.flv"] = DescribeContent(kBodyA);
  expected["videos-b"] = "dir";
  expected["videos-b/b.flv"] = DescribeContent(kBodyB);
  EXPECT_EQ(TreeDifference(After(), expected), "");
}

// Page files named after processes that no longer run are a crash's
// leftovers; one whose process id now belongs to another program, too.
TEST_F(SharedMachine, PageFilesOfRunsThatEndedAreRemovedAtTheNextStart) {
  ChildProcess ended("/bin/true", {});
  ASSERT_EQ(ended.Wait(), 0);
  const std::string self = std::to_string(getpid());
  const unsigned long long started = ProcessStartTicks(getpid()).value();
  struct Case {
    std::string name;
    bool folder;
    bool removed;
  } cases[] = {
      {"Parse-" + std::to_string(ended.Pid()) + "-" + std::to_string(started) + ".pgd", false,
       true},
      {"Parse-" + self + "-" + std::to_string(started + 1) + ".pgd", false, true},
      // This test stands in for a run that is still going.
      {"Parse-" + self + "-" + std::to_string(started) + ".pgd", false, false},
      {"Parse.pgd", false, false},
      {"Parse-12-x.pgd", false, false},
      {"notes.txt", false, false},
      {"Parse-" + std::to_string(ended.Pid()) + "-1.pgd", true, false},
  };
  fs::create_directories(PrivateFolder());
  fs::permissions(PrivateFolder(), fs::perms::owner_all);
  std::set<std::string> kept;
  for (const Case& c : cases) {
    if (c.folder) {
      fs::create_directory(PrivateFolder() / c.name);
    } else {
      WriteBytes(PrivateFolder() / c.name, "left");
    }
    if (!c.removed) kept.insert(c.name);
  }
  ServeClip();

  RunResult run = Download(downloads_, {server_.Url("/angryalien.com/clip")});

  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Names(PrivateFolder()), kept);
}

TEST_F(SharedMachine, ResolvingAPageLeavesNoPageFile) {
  ServeClip();
  Tree before = ReadTree(root_);
  RunResult run = Run({"--resolve", server_.Url("/angryalien.com/clip")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, server_.Url("/v/clip.flv") + "\n");
  EXPECT_EQ(TreeDifference(After(), before), "");
}

// Where the page file may go, and what a run does when there is no such
// place: no other user can create those folders, so a folder of the wrong
// kind stands in for one made by somebody else.
struct PlaceCase {
  std::string name;
  std::vector<std::string> env;  // beside the fixture's
  std::function<void(const fs::path& root)> prepare = nullptr;
  // Why there is no private folder; empty when the run downloads.
  std::string refusal = "";
  // Folders the run may make (and must leave empty).
  std::set<std::string> made = {"run/reelcatch"};

  friend std::ostream& operator<<(std::ostream& out, const PlaceCase& c) { return out << c.name; }
};

std::vector<PlaceCase> PlaceCases() {
  const std::set<std::string> cache = {"home/.cache", "home/.cache/reelcatch"};
  return {
      {.name = "RuntimeFolder", .env = {}},
      {.name = "CacheFolderWithoutARuntimeFolder", .env = {"XDG_RUNTIME_DIR"}, .made = cache},
      {.name = "RuntimeFolderThatOthersCanWriteIsPassedOver",
       .env = {},
       .prepare = [](const fs::path& root) { fs::permissions(root / "run", fs::perms::all); },
       .made = cache},
      {.name = "NoRuntimeFolderAndNoHome",
       .env = {"XDG_RUNTIME_DIR", "HOME", "XDG_CACHE_HOME"},
       .refusal = "no runtime folder and no home folder",
       .made = {}},
      {.name = "PrivateFolderIsALink",
       .env = {},
       .prepare =
           [](const fs::path& root) {
             fs::create_directories(root / "elsewhere");
             fs::create_directory_symlink(root / "elsewhere", root / "run" / "reelcatch");
           },
       .refusal = "a symbolic link"},
      {.name = "PrivateFolderOthersCanWrite",
       .env = {},
       .prepare =
           [](const fs::path& root) {
             fs::create_directories(root / "run" / "reelcatch");
             fs::permissions(root / "run" / "reelcatch", fs::perms::all);
           },
       .refusal = "other users can write into it"},
      {.name = "FileInPlaceOfThePrivateFolder",
       .env = {},
       .prepare = [](const fs::path& root) { WriteBytes(root / "run" / "reelcatch", "x"); },
       .refusal = "not a folder"},
  };
}

class PageFilePlace : public SharedMachine, public ::testing::WithParamInterface<PlaceCase> {};

TEST_P(PageFilePlace, IsAFolderOfTheUsersOwnOrNone) {
  const PlaceCase& place = GetParam();
  ServeClip();
  if (place.prepare) place.prepare(root_);
  Tree before = ReadTree(root_);
  const std::vector<std::string> page = {server_.Url("/angryalien.com/clip")};

  RunResult run = Run(DownloadArgs(downloads_, page), place.env);

  auto item = ParseListed(run.out, page);
  Tree expected = ExpectedTree(before, {});
  if (place.refusal.empty()) {
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(item[0].status, "Complete") << Visible(run.out);
    expected["videos/clip.flv"] = DescribeContent(kBodyA);
  } else {
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(item[0].status, "ERROR") << Visible(run.out);
    EXPECT_EQ(Count(run.err, "no private folder"), 1) << run.err;
    EXPECT_EQ(Count(run.err, "[1] ERROR: No private place for the page file: "), 1) << run.err;
    EXPECT_NE(run.err.find(place.refusal), std::string::npos) << run.err;
  }
  for (const std::string& folder : place.made) {
    if (!before.contains(folder)) expected[folder] = "dir";
  }
  Tree after = ReadTree(root_);
  for (const std::string& folder : place.made) {
    if (!before.contains(folder) && !after.contains(folder)) expected.erase(folder);
  }
  EXPECT_EQ(TreeDifference(after, expected), "");
}

INSTANTIATE_TEST_SUITE_P(Places, PageFilePlace, ::testing::ValuesIn(PlaceCases()),
                         [](const auto& info) { return info.param.name; });

// A full run over 32,767 items takes minutes; the addresses refused are
// named before it starts, and one Ctrl-C ends it.
TEST_F(SharedMachine, EveryAddressTheFullListRefusesIsNamed) {
  constexpr int kRefused = 3;
  std::vector<std::string> addresses;
  for (int i = 0; i < DownloadList::kMaxItems + kRefused; ++i) {
    addresses.push_back("http://example.invalid/" + std::to_string(i));
  }
  // Listed already: no room needed.
  addresses.push_back(addresses.front());
  ChildProcess child(program_.string(), DownloadArgs(downloads_, addresses), Env());
  std::string lastLine = "List full: " + addresses[addresses.size() - 2] + "\n";
  ASSERT_TRUE(child.WaitForStderr(lastLine, 120s)) << child.Stderr().substr(0, 2000);
  child.Signal(SIGINT);
  EXPECT_EQ(child.Wait(), 130);

  std::string refused;
  for (int i = DownloadList::kMaxItems; i < DownloadList::kMaxItems + kRefused; ++i) {
    refused += "List full: " + addresses[static_cast<size_t>(i)] + "\n";
  }
  EXPECT_EQ(child.Stderr().substr(0, refused.size()), refused);
  EXPECT_EQ(Count(child.Stderr(), "List full: "), kRefused);
  EXPECT_EQ(Count(child.Stdout(), "\n"), DownloadList::kMaxItems);
}

// A saved folder is cut at a NUL, and the cut path here is a file of the
// user's: such a folder is not used, nor one with another control character.
TEST_F(SharedMachine, SavedFolderWithAControlCharacterIsNotUsed) {
  const std::string victim = (root_ / "victim.txt").string();
  struct Case {
    const char* name;
    std::string saved;
  } cases[] = {
      {"NUL", victim + std::string(1, '\0') + "/videos"},
      {"escape", (root_ / "videos\x1b[2J").string()},
  };
  ServeClip();
  const fs::path fallback = root_ / "home" / "Downloaded Videos";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(fallback);
    WriteBytes(victim, "the user's own file");
    fs::create_directories(root_ / "home" / ".config" / "reelcatch");
    WriteBytes(root_ / "home" / ".config" / "reelcatch" / "HKEY_CURRENT_USER.conf",
               FormatHive(Hive{{kSettingsKey, HiveKey{{kDownloadDirValue, c.saved}}}}));
    Tree before = After();
    const std::vector<std::string> page = {server_.Url("/angryalien.com/clip")};

    RunResult run = Run({"-q", "--", page.front()});

    EXPECT_EQ(run.status, 0) << run.err;
    Tree expected = before;
    expected["home/Downloaded Videos"] = "dir";
    expected["home/Downloaded Videos/clip.flv"] = DescribeContent(kBodyA);
    EXPECT_EQ(TreeDifference(After(), expected), "");
  }
}

}  // namespace
}  // namespace reelcatch::test
