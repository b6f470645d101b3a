// reelcatch-get on a shared machine: a download folder another run or user
// works in too, and the page files of runs that ended.
#include <signal.h>
#include <unistd.h>

#include "e2e/get_fixture.h"
#include "platform/process_start.h"

namespace reelcatch::test {
namespace {

using namespace std::chrono_literals;

const std::string kClip = ScriptedServer::GeneratedBody(30000);
constexpr size_t kHeld = 8192;

// A video whose first kHeld bytes come at once and the rest once the gate opens.
Response HeldVideo(const std::string& gate) {
  return Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "30000"}})
      .Send(kClip.substr(0, kHeld))
      .Await(gate)
      .Send(kClip.substr(kHeld));
}

// The second run finds the first one's partial file in use: it ends its item
// with that reason and leaves the file alone, and the first run finishes it.
TEST_F(GetTest, SecondRunLeavesTheFirstRunsPartialFileAlone) {
  std::string first = Page("first", "/a/clip.flv", HeldVideo("first"));
  std::string second = Page("second", "/b/clip.flv", Response::Ok("second"));
  Tree before = ReadTree(root.Path());

  auto firstRun = Start(Args({first}));
  WaitFor(*firstRun, [&] { return ReadFile(videos / "clip.flv.part").size() == kHeld; });
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
                                  : HeldVideo("swap");
  std::vector<std::string> pages = {Page("one", "/v/one.flv", std::move(held)),
                                    Page("two", "/v/two.flv", Response::Ok("two"))};
  fs::create_directories(videos);
  fs::create_directories(root / "elsewhere");
  Tree before = ReadTree(root.Path());

  auto run = Start(Args(pages));
  WaitFor(*run, [&] {
    auto requests = server.Requests();
    return beforeTheAnswer ? !requests.empty() && requests.back().target == "/v/one.flv" &&
                                 requests.back().method == "GET"
                           : ReadFile(videos / "one.flv.part").size() == kHeld;
  });
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
  fs::create_directories(videos);
  WriteFile(videos / "clip.flv", "older");
  std::vector<std::string> args = {"-f",
                                   "-y",
                                   "-qq",
                                   "-o",
                                   root / "trace",
                                   "-e",
                                   "trace=fsync,fdatasync,rename,renameat,renameat2",
                                   kProgram};
  for (const std::string& arg : Args({Page("clip", "/v/clip.flv", Response::Ok(kClip))})) {
    args.push_back(arg);
  }
  // The leak checker cannot work under a tracer; the rest of the sanitizers can.
  const char* asan = std::getenv("ASAN_OPTIONS");
  ChildProcess run("/usr/bin/strace", args,
                   Env({"ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":detect_leaks=0"}));
  int status = run.Wait();
  const std::string trace = ReadFile(root / "trace");
  if (trace.empty()) GTEST_SKIP() << "this machine does not let strace trace: " << run.Stderr();

  EXPECT_EQ(status, 0) << run.Stderr();
  EXPECT_EQ(ReadFile(videos / "clip.flv"), kClip);
  size_t flushed = trace.find("<" + videos.string() + "/clip.flv.part>");
  size_t renamed = trace.find("\"clip.flv.part\", ");
  size_t folderFlushed = trace.find("<" + videos.string() + ">)");
  EXPECT_LT(flushed, renamed) << trace;
  EXPECT_LT(renamed, folderFlushed) << trace;
  EXPECT_NE(folderFlushed, std::string::npos) << trace;
}

// Page files named after processes that no longer run are a crash's
// leftovers; one whose process id now belongs to another program, too.
TEST_F(GetTest, PageFilesOfRunsThatEndedAreRemovedAtTheNextStart) {
  ChildProcess ended("/bin/true", {});
  ASSERT_EQ(ended.Wait(), 0);
  const std::string self = "Parse-" + std::to_string(getpid()) + "-";
  const std::string gone = "Parse-" + std::to_string(ended.Pid()) + "-";
  const std::string ticks = std::to_string(ProcessStartTicks(getpid()).value());
  const fs::path folder = root / "run/reelcatch";
  fs::create_directories(folder / (gone + "1.pgd"));  // no page file, but a folder
  // This test stands in for a run that is still going.
  for (std::string name : {self + ticks + ".pgd", std::string("Parse.pgd"), self + "x.pgd",
                           gone + ticks + ".pgd", self + ticks + "0.pgd"}) {
    WriteFile(folder / name, "left");
  }
  Tree before = ReadTree(root.Path());
  before.erase("run/reelcatch/" + gone + ticks + ".pgd");
  before.erase("run/reelcatch/" + self + ticks + "0.pgd");

  EXPECT_EQ(Run(Args({Page("clip", "/v/clip.flv", Response::Ok(kClip))})).status, 0);
  EXPECT_EQ(ReadTree(root.Path()), Expected(before, {{"clip.flv", Describe(kClip)}}));
}

}  // namespace
}  // namespace reelcatch::test
