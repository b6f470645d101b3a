// reelcatch-get with its download folder shared: with a second run that
// wants the same file, with someone who swaps the folder for a link while
// an item is transferred, and with a crash right after a file got its name.
#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/get_run_fixture.h"

namespace reelcatch::test {
namespace {

constexpr size_t kHeld = 8192;

// A video whose first kHeld bytes come at once and the rest once the test
// opens the gate.
Response HeldVideo(const std::string& body, const std::string& gate) {
  return Response::Head("HTTP/1.1 200 OK", {{"Content-Length", std::to_string(body.size())}})
      .Send(body.substr(0, kHeld))
      .Await(gate)
      .Send(body.substr(kHeld));
}

class SharedFolder : public GetRunTest {
 protected:
  // The page of an item whose video is served at path.
  std::string Page(const std::string& name, const std::string& path, Response video) {
    server_.Route("/angryalien.com/" + name, EmbedPage(server_.Url(path)));
    server_.Route(path, std::move(video));
    return server_.Url("/angryalien.com/" + name);
  }

  bool PartHolds(const std::string& name, size_t size) const {
    return ReadBytes(downloads_ / (name + ".part")).size() == size;
  }
};

// The second run finds the first one's partial file in use: it ends its item
// with that reason and never deletes, empties or renames the file, and the
// first run finishes it.
TEST_F(SharedFolder, SecondRunLeavesTheFirstRunsPartialFileAlone) {
  const std::string first = ScriptedServer::GeneratedBody(30000);
  const std::string second(20000, 'b');
  std::string firstPage = Page("first", "/a/clip.flv", HeldVideo(first, "first"));
  std::string secondPage = Page("second", "/b/clip.flv", Response::Ok(second));
  Tree before = ReadTree(root_);

  std::unique_ptr<ChildProcess> firstRun = StartDownload(downloads_, {firstPage});
  ASSERT_TRUE(WaitUntil([&] { return PartHolds("clip.flv", kHeld); })) << firstRun->Stderr();
  RunResult secondRun = Download(downloads_, {secondPage});

  EXPECT_EQ(secondRun.status, 1) << secondRun.out;
  EXPECT_EQ(ParseListed(secondRun.out, {secondPage})[0].status, "ERROR") << secondRun.out;
  EXPECT_NE(secondRun.err.find("[1] ERROR: in use by another download\n"), std::string::npos)
      << secondRun.err;
  EXPECT_EQ(ReadBytes(downloads_ / "clip.flv.part"), first.substr(0, kHeld));
  server_.Open("first");
  EXPECT_EQ(firstRun->Wait(), 0) << firstRun->Stderr();
  EXPECT_EQ(TreeDifference(After(), Expected(before, {{"clip.flv", first}})), "");
}

struct SwapCase {
  std::string name;
  // The first item's answer waits at the gate "swap": before any of it is
  // sent, or once kHeld bytes of its body are written.
  bool beforeTheAnswer;

  friend std::ostream& operator<<(std::ostream& out, const SwapCase& c) { return out << c.name; }
};

class FolderSwap : public SharedFolder, public ::testing::WithParamInterface<SwapCase> {};

// The item being transferred ends in the folder it began in, moved away or
// not; nothing of it goes through the link. The next item looks the path up
// afresh and follows it where it leads now.
TEST_P(FolderSwap, CannotRedirectTheItemBeingTransferred) {
  const std::string one = ScriptedServer::GeneratedBody(30000);
  const std::string two(5000, 't');
  const fs::path moved = root_ / "moved";
  const fs::path elsewhere = root_ / "elsewhere";
  Response held = GetParam().beforeTheAnswer
                      ? Response::Raw("").Await("swap").Send(
                            "HTTP/1.1 200 OK\r\nContent-Length: 30000\r\n\r\n" + one)
                      : HeldVideo(one, "swap");
  std::vector<std::string> addresses = {Page("one", "/v/one.flv", std::move(held)),
                                        Page("two", "/v/two.flv", Response::Ok(two))};
  fs::create_directories(downloads_);
  fs::create_directories(elsewhere);
  Tree before = ReadTree(root_);

  std::unique_ptr<ChildProcess> run = StartDownload(downloads_, addresses);
  ASSERT_TRUE(WaitUntil([&] {
    if (!GetParam().beforeTheAnswer) return PartHolds("one.flv", kHeld);
    for (const RecordedRequest& request : server_.Requests()) {
      if (request.method == "GET" && request.target == "/v/one.flv") return true;
    }
    return false;
  })) << run->Stderr();
  fs::rename(downloads_, moved);
  fs::create_directory_symlink(elsewhere, downloads_);
  server_.Open("swap");

  EXPECT_EQ(run->Wait(), 0) << run->Stderr();
  Tree expected = before;
  expected.erase("videos");
  expected["videos"] = "link -> " + elsewhere.string();
  expected["moved"] = "dir";
  expected["moved/one.flv"] = DescribeContent(one);
  expected["elsewhere/two.flv"] = DescribeContent(two);
  EXPECT_EQ(TreeDifference(After(), expected), "");
}

INSTANTIATE_TEST_SUITE_P(SharedFolder, FolderSwap,
                         ::testing::Values(SwapCase{"BeforeTheAnswer", true},
                                           SwapCase{"WhileTheBodyIsHeld", false}),
                         [](const auto& info) { return info.param.name; });

// The system calls strace wrote, one a line.
std::vector<std::string> TracedCalls(const std::string& trace) {
  std::vector<std::string> calls;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) calls.push_back(line);
  return calls;
}

// Where the first line that holds all of parts is; -1 when none does.
int LineWith(const std::vector<std::string>& lines, const std::vector<std::string>& parts) {
  for (size_t i = 0; i < lines.size(); ++i) {
    bool all = true;
    for (const std::string& part : parts) all = all && lines[i].find(part) != std::string::npos;
    if (all) return static_cast<int>(i);
  }
  return -1;
}

// A crash right after the rename keeps the new file whole and its name: the
// file is on the disk before it replaces the older one, and the folder's
// new entry right after.
TEST_F(SharedFolder, NewFileIsOnTheDiskBeforeItReplacesTheOlderOne) {
  const char* strace = "/usr/bin/strace";
  if (access(strace, X_OK) != 0) GTEST_SKIP() << "strace is not installed";
  const std::string body = ScriptedServer::GeneratedBody(30000);
  std::string page = Page("clip", "/v/clip.flv", Response::Ok(body));
  fs::create_directories(downloads_);
  WriteBytes(downloads_ / "clip.flv", "older");
  const fs::path trace = root_ / "trace";
  const std::string traced = "trace=fsync,fdatasync,rename,renameat,renameat2";
  // -y names each descriptor's file.
  std::vector<std::string> args = {"-f", "-y", "-qq", "-o", trace, "-e", traced, program_};
  for (const std::string& arg : DownloadArgs(downloads_, {page})) args.push_back(arg);

  // The leak checker cannot work under a tracer; the rest of the sanitizers can.
  std::vector<std::string> env = Env();
  const char* sanitizer = std::getenv("ASAN_OPTIONS");
  env.push_back("ASAN_OPTIONS=" + std::string(sanitizer != nullptr ? sanitizer : "") +
                ":detect_leaks=0");
  ChildProcess run(strace, args, env);
  int status = run.Wait();
  std::vector<std::string> calls = TracedCalls(ReadBytes(trace));
  if (calls.empty()) GTEST_SKIP() << "this machine does not let strace trace: " << run.Stderr();

  EXPECT_EQ(status, 0) << run.Stderr();
  EXPECT_EQ(ReadBytes(downloads_ / "clip.flv"), body);
  const std::string folder = downloads_.string();
  int flushed = LineWith(calls, {"sync(", "<" + folder + "/clip.flv.part>"});
  int renamed = LineWith(calls, {"rename", "\"clip.flv.part\"", "\"clip.flv\""});
  int folderFlushed = LineWith(calls, {"fsync(", "<" + folder + ">)"});
  std::string all;
  for (const std::string& call : calls) all += call + "\n";
  ASSERT_GE(renamed, 0) << all;
  EXPECT_GE(flushed, 0) << all;
  EXPECT_LT(flushed, renamed) << all;
  EXPECT_GT(folderFlushed, renamed) << all;
}

}  // namespace
}  // namespace reelcatch::test
