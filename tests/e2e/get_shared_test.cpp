// reelcatch-get on a shared machine: a download folder another run or
// another user works in too, two runs at once, the private folder of the
// page files, a full list, and a saved download folder that could be cut short.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <set>

#include "e2e/get_fixture.h"
#include "list/download_list.h"
#include "platform/process_start.h"
#include "shell/hive_file.h"
#include "shell/mod_settings.h"

namespace reelcatch::test {
namespace {

using namespace std::chrono_literals;

const std::string kClip = ScriptedServer::GeneratedBody(30000);
constexpr size_t kHeld = 8192;

// A video whose first kHeld bytes come at once and the rest once the gate opens.
Response HeldVideo(const std::string& body, const std::string& gate) {
  return Response::Head("HTTP/1.1 200 OK", {{"Content-Length", std::to_string(body.size())}})
      .Send(body.substr(0, kHeld))
      .Await(gate)
      .Send(body.substr(kHeld));
}

void WaitFor(const std::function<bool()>& done, ChildProcess& child) {
  auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!done() && std::chrono::steady_clock::now() < deadline) child.Pump();
}

// The second run finds the first one's partial file in use: it ends its item
// with that reason and leaves the file alone, and the first run finishes it.
TEST_F(GetTest, SecondRunLeavesTheFirstRunsPartialFileAlone) {
  std::string first = Page("first", "/a/clip.flv", HeldVideo(kClip, "first"));
  std::string second = Page("second", "/b/clip.flv", Response::Ok(std::string(20000, 'b')));
  Tree before = ReadTree(root.Path());

  auto firstRun = Start(Args({first}));
  WaitFor([&] { return ReadFile(videos / "clip.flv.part").size() == kHeld; }, *firstRun);
  RunResult secondRun = Run(Args({second}));

  EXPECT_EQ(secondRun.status, 1);
  EXPECT_EQ(secondRun.err, "[1] ERROR: in use by another download\n");
  EXPECT_EQ(ReadFile(videos / "clip.flv.part"), kClip.substr(0, kHeld));
  server.Open("first");
  EXPECT_EQ(firstRun->Wait(), 0) << firstRun->Stderr();
  EXPECT_EQ(After(), Expected(before, {{"clip.flv", Describe(kClip)}}));
}

class FolderSwap : public GetTest, public ::testing::WithParamInterface<bool> {};

// The folder is swapped for a link before the first item's answer comes, or
// while its body is held: that item ends in the folder it began in, nothing
// of it goes through the link; the next item follows the path where it leads now.
TEST_P(FolderSwap, CannotRedirectTheItemBeingTransferred) {
  const bool beforeTheAnswer = GetParam();
  Response held = beforeTheAnswer ? Response::Raw("").Await("swap").Send(
                                        "HTTP/1.1 200 OK\r\nContent-Length: 30000\r\n\r\n" + kClip)
                                  : HeldVideo(kClip, "swap");
  std::vector<std::string> pages = {Page("one", "/v/one.flv", std::move(held)),
                                    Page("two", "/v/two.flv", Response::Ok("two"))};
  fs::create_directories(videos);
  fs::create_directories(root / "elsewhere");
  Tree before = ReadTree(root.Path());

  auto run = Start(Args(pages));
  WaitFor(
      [&] {
        if (!beforeTheAnswer) return ReadFile(videos / "one.flv.part").size() == kHeld;
        for (const RecordedRequest& request : server.Requests()) {
          if (request.method == "GET" && request.target == "/v/one.flv") return true;
        }
        return false;
      },
      *run);
  fs::rename(videos, root / "moved");
  fs::create_directory_symlink(root / "elsewhere", videos);
  server.Open("swap");

  EXPECT_EQ(run->Wait(), 0) << run->Stderr();
  before["videos"] = "link -> " + (root / "elsewhere").string();
  before["moved"] = "dir";
  before["moved/one.flv"] = Describe(kClip);
  before["elsewhere/two.flv"] = Describe("two");
  EXPECT_EQ(After(), before);
}

INSTANTIATE_TEST_SUITE_P(Moments, FolderSwap, ::testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "BeforeTheAnswer" : "WhileTheBodyIsHeld");
});

// A crash right after the rename keeps the new file whole and its name: the
// file is on the disk before it replaces the older one, the folder's entry right after.
TEST_F(GetTest, NewFileIsOnTheDiskBeforeItReplacesTheOlderOne) {
  if (access("/usr/bin/strace", X_OK) != 0) GTEST_SKIP() << "strace is not installed";
  std::string page = Page("clip", "/v/clip.flv", Response::Ok(kClip));
  fs::create_directories(videos);
  WriteFile(videos / "clip.flv", "older");
  std::vector<std::string> args = {"-f",
                                   "-y",
                                   "-qq",
                                   "-o",
                                   (root / "trace").string(),
                                   "-e",
                                   "trace=fsync,fdatasync,rename,renameat,renameat2",
                                   kProgram};
  for (const std::string& arg : Args({page})) args.push_back(arg);
  // The leak checker cannot work under a tracer; the rest of the sanitizers can.
  const char* asan = std::getenv("ASAN_OPTIONS");
  ChildProcess run("/usr/bin/strace", args,
                   Env({"ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":detect_leaks=0"}));
  int status = run.Wait();
  std::vector<std::string> calls;
  std::istringstream lines(ReadFile(root / "trace"));
  for (std::string line; std::getline(lines, line);) calls.push_back(line);
  if (calls.empty()) GTEST_SKIP() << "this machine does not let strace trace: " << run.Stderr();

  EXPECT_EQ(status, 0) << run.Stderr();
  EXPECT_EQ(ReadFile(videos / "clip.flv"), kClip);
  auto line = [&](const std::string& a, const std::string& b) {
    for (size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].find(a) != std::string::npos && calls[i].find(b) != std::string::npos) {
        return int(i);
      }
    }
    return -1;
  };
  int flushed = line("sync(", "<" + videos.string() + "/clip.flv.part>");
  int renamed = line("\"clip.flv.part\"", "\"clip.flv\"");
  int folderFlushed = line("fsync(", "<" + videos.string() + ">)");
  ASSERT_GE(flushed, 0) << ReadFile(root / "trace");
  EXPECT_LT(flushed, renamed) << ReadFile(root / "trace");
  EXPECT_GT(folderFlushed, renamed) << ReadFile(root / "trace");
}

// Run A's page comes in two parts, the second only after run B has asked for
// B's video, that is after B fetched and read its own page.
TEST_F(GetTest, TwoRunsAtOnceEachDownloadTheirOwnPagesVideo) {
  const std::string head = "<html>" + std::string(3000, ' ');
  const std::string tail = "<embed src=\"" + server.Url("/v/a.flv") + "\" />";
  std::string a = Page("a", "/v/a.flv", Response::Ok("a video"));
  std::string b = Page("b", "/v/b.flv", Response::Ok("b video"));
  server.Route("/angryalien.com/a",
               Response::Head("HTTP/1.1 200 OK",
                              {{"Content-Length", std::to_string(head.size() + tail.size())}})
                   .Send(head)
                   .AwaitRequest("/v/b.flv")
                   .Send(tail));

  auto runA = Start(Args({a}, {"-d", (root / "videos-a").string()}));
  std::error_code none;
  WaitFor(
      [&] {
        for (const auto& entry : fs::directory_iterator(root / "run/reelcatch", none)) {
          if (entry.path().extension() == ".pgd") return true;
        }
        return false;
      },
      *runA);
  RunResult runB = Run(Args({b}, {"-d", (root / "videos-b").string()}));
  EXPECT_EQ(runA->Wait(), 0) << runA->Stderr();

  EXPECT_EQ(runB.status, 0) << runB.err;
  EXPECT_EQ(ReadTree(root / "videos-a"), (Tree{{"a.flv", Describe("a video")}}));
  EXPECT_EQ(ReadTree(root / "videos-b"), (Tree{{"b.flv", Describe("b video")}}));
}

// Page files named after processes that no longer run are a crash's
// leftovers; one whose process id now belongs to another program, too.
TEST_F(GetTest, PageFilesOfRunsThatEndedAreRemovedAtTheNextStart) {
  ChildProcess ended("/bin/true", {});
  ASSERT_EQ(ended.Wait(), 0);
  const std::string self = "Parse-" + std::to_string(getpid()) + "-";
  const unsigned long long ticks = ProcessStartTicks(getpid()).value();
  const std::string started = std::to_string(ticks) + ".pgd";
  const std::string gone = "Parse-" + std::to_string(ended.Pid()) + "-";
  const fs::path folder = root / "run/reelcatch";
  fs::create_directories(folder);
  fs::permissions(folder, fs::perms::owner_all);
  // This test stands in for a run that is still going.
  std::set<std::string> kept = {self + started, "Parse.pgd", "Parse-12-x.pgd", "notes.txt"};
  for (const std::string& name : kept) WriteFile(folder / name, "left");
  fs::create_directory(folder / (gone + "1.pgd"));
  kept.insert(gone + "1.pgd");
  WriteFile(folder / (gone + started), "left");
  WriteFile(folder / (self + std::to_string(ticks + 1) + ".pgd"), "left");

  RunResult run = Run(Args({Page("clip", "/v/clip.flv", Response::Ok(kClip))}));

  EXPECT_EQ(run.status, 0) << run.err;
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, kept);
}

TEST_F(GetTest, ResolvingAPageLeavesNoPageFile) {
  std::string page = Page("clip", "/v/clip.flv", Response::Ok(kClip));
  Tree before = ReadTree(root.Path());
  RunResult run = Run({"--resolve", page});
  EXPECT_EQ(run.out, server.Url("/v/clip.flv") + "\n");
  EXPECT_EQ(After(), before);
}

// Where the page file may go, and what a run does when there is no such
// place: no other user can create those folders, so a folder of the wrong
// kind stands in for one made by somebody else.
struct Place {
  std::string name;
  std::vector<std::string> env;  // beside the fixture's
  std::function<void(const fs::path& root)> prepare;
  std::string refusal;         // why there is no private folder; empty when the run downloads
  std::set<std::string> made;  // folders the run may make (and must leave empty)

  friend std::ostream& operator<<(std::ostream& out, const Place& c) { return out << c.name; }
};

const std::set<std::string> kCache = {"home/.cache", "home/.cache/reelcatch"};

class PageFilePlace : public GetTest, public ::testing::WithParamInterface<Place> {};

TEST_P(PageFilePlace, IsAFolderOfTheUsersOwnOrNone) {
  const Place& place = GetParam();
  std::string page = Page("clip", "/v/clip.flv", Response::Ok(kClip));
  if (place.prepare) place.prepare(root.Path());
  Tree before = ReadTree(root.Path());

  RunResult run = Run(Args({page}), place.env);

  Tree expected = Expected(before, {});
  if (place.refusal.empty()) {
    EXPECT_EQ(Listed(run.out), "clip.flv|Complete|29.3 KB\n") << run.err;
    expected["videos/clip.flv"] = Describe(kClip);
  } else {
    EXPECT_EQ(Listed(run.out), "Waiting (Auto Detect)|ERROR|????\n");
    size_t open = run.err.find('(');
    size_t close = run.err.find(")\n");
    ASSERT_LT(open, close) << run.err;
    std::string why = run.err.substr(open + 1, close - open - 1);
    EXPECT_NE(why.find(place.refusal), std::string::npos) << why;
    EXPECT_EQ(run.err, "reelcatch-get: pages cannot be fetched: no private folder (" + why +
                           ")\n[1] ERROR: No private place for the page file: " + why + "\n");
  }
  Tree after = ReadTree(root.Path());
  for (const std::string& folder : place.made) {
    if (after.contains(folder)) expected[folder] = "dir";
  }
  EXPECT_EQ(after, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Places, PageFilePlace,
    ::testing::Values(
        Place{"RuntimeFolder", {}, nullptr, "", {"run/reelcatch"}},
        Place{"CacheFolderWithoutARuntimeFolder", {"XDG_RUNTIME_DIR"}, nullptr, "", kCache},
        Place{"RuntimeFolderThatOthersCanWriteIsPassedOver",
              {},
              [](const fs::path& root) { fs::permissions(root / "run", fs::perms::all); },
              "",
              kCache},
        Place{"NoRuntimeFolderAndNoHome",
              {"XDG_RUNTIME_DIR", "HOME", "XDG_CACHE_HOME"},
              nullptr,
              "no runtime folder and no home folder",
              {}},
        Place{"PrivateFolderIsALink",
              {},
              [](const fs::path& root) {
                fs::create_directories(root / "elsewhere");
                fs::create_directory_symlink(root / "elsewhere", root / "run/reelcatch");
              },
              "a symbolic link",
              {}},
        Place{"PrivateFolderOthersCanWrite",
              {},
              [](const fs::path& root) {
                fs::create_directories(root / "run/reelcatch");
                fs::permissions(root / "run/reelcatch", fs::perms::all);
              },
              "other users can write into it",
              {}},
        Place{"FileInPlaceOfThePrivateFolder",
              {},
              [](const fs::path& root) { WriteFile(root / "run/reelcatch", "x"); },
              "not a folder",
              {}}),
    [](const auto& info) { return info.param.name; });

// A full run over 32,767 items takes minutes; the addresses refused are
// named before it starts, and one Ctrl-C ends it.
TEST_F(GetTest, EveryAddressTheFullListRefusesIsNamed) {
  std::vector<std::string> addresses;
  for (int i = 0; i < DownloadList::kMaxItems + 3; ++i) {
    addresses.push_back("http://example.invalid/" + std::to_string(i));
  }
  addresses.push_back(addresses.front());  // listed already: no room needed
  std::string refused;
  for (size_t i = DownloadList::kMaxItems; i + 1 < addresses.size(); ++i) {
    refused += "List full: " + addresses[i] + "\n";
  }
  auto child = Start(Args(addresses));
  ASSERT_TRUE(child->WaitForStderr(refused, 120s)) << child->Stderr().substr(0, 2000);
  child->Signal(SIGINT);
  EXPECT_EQ(child->Wait(), 130);
  EXPECT_TRUE(child->Stderr().starts_with(refused)) << child->Stderr().substr(0, 2000);
  EXPECT_EQ(child->Stderr().find("List full", refused.size()), std::string::npos);
  EXPECT_EQ(std::count(child->Stdout().begin(), child->Stdout().end(), '\n'),
            DownloadList::kMaxItems);
}

// A saved folder is cut at a NUL, and the cut path here is a file of the
// user's: such a folder is not used, nor one with another control character.
TEST_F(GetTest, SavedFolderWithAControlCharacterIsNotUsed) {
  const std::string victim = (root / "victim.txt").string();
  std::string page = Page("clip", "/v/clip.flv", Response::Ok(kClip));
  for (const std::string& saved :
       {victim + std::string(1, '\0') + "/videos", (root / "videos\x1b[2J").string()}) {
    SCOPED_TRACE(saved.size());
    fs::remove_all(root / "home");
    WriteFile(victim, "the user's own file");
    fs::create_directories(root / "home/.config/reelcatch");
    WriteFile(root / "home/.config/reelcatch/HKEY_CURRENT_USER.conf",
              FormatHive(Hive{{kSettingsKey, HiveKey{{kDownloadDirValue, saved}}}}));
    Tree before = After();

    RunResult run = Run({"-q", "--", page});

    EXPECT_EQ(run.status, 0) << run.err;
    before["home/Downloaded Videos"] = "dir";
    before["home/Downloaded Videos/clip.flv"] = Describe(kClip);
    EXPECT_EQ(After(), before);
  }
}

}  // namespace
}  // namespace reelcatch::test
