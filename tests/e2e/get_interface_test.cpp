// reelcatch-get end to end, as its user sees it: what it downloads and
// prints, its exit status and the reasons on stderr, Ctrl-C, its look-ups
// and usage errors.
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <chrono>
#include <clocale>
#include <ostream>
#include <regex>
#include <set>
#include <sstream>

#include "e2e/get_fixture.h"
#include "support/sample_site.h"

namespace reelcatch::test {
namespace {

using namespace std::chrono_literals;

// A video from a page of each of the twelve sites, then every kind of failure.
TEST_F(GetTest, DownloadsFromEverySiteAndNamesEveryFailure) {
  std::vector<SampleVideo> site = ServeSampleSite(server);
  server.Route("/youtube.com/watch?v=nothing", Response::Ok("<html>no player here</html>"));
  std::vector<std::string> args = {"-d", videos.string(), "--retries", "0"};
  std::string listed;
  Tree files = {{"cut.flv", Describe("older")},
                {"gone.flv", Describe("older")},
                {"cut.flv.part", Describe(std::string(10000, 'x'))},
                {"gone.flv.part", Describe("no such video")}};
  for (const SampleVideo& video : site) {
    args.push_back(video.pageAddress);
    listed += video.fileName + "|Complete|" + video.sizeText + "\n";
    files[video.fileName] = Describe(video.bytes);
  }
  for (std::string address : {site[3].pageAddress, std::string("http://example.org/x"),
                              server.Url("/youtube.com/watch?v=nothing"),
                              std::string("http://127.0.0.1:1/dailymotion.com/video/x")}) {
    args.push_back(address);  // the first is listed already
  }
  args.push_back(Page("cut", "/cut.flv",
                      Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "50000"}})
                          .Send(std::string(10000, 'x'))));
  args.push_back(
      Page("gone", "/gone.flv", Response::WithStatus("HTTP/1.1 404 Not Found", "no such video")));
  fs::create_directories(videos);
  WriteFile(videos / "cut.flv", "older");
  WriteFile(videos / "gone.flv", "older");

  auto run = Run(args);

  EXPECT_EQ(run->Wait(), 1);
  EXPECT_TRUE(run->Stdout().starts_with("1\t" + site[0].pageAddress + "\t")) << run->Stdout();
  EXPECT_EQ(Listed(run->Stdout()), listed +
                                       "Un supported link|ERROR|????\nProcess failed.|ERROR|????\n"
                                       "Waiting (Auto Detect)|ERROR|????\ncut.flv|ERROR|48.8 KB\n"
                                       "gone.flv|ERROR|13 Bytes\n");
  for (const char* line :
       {"[13] ERROR: Link is not supported\n", "[14] ERROR: No video found on the page\n",
        "[15] ERROR: Page not fetched: Connection refused\n",
        "[16] ERROR: Body ended after 10000 of 50000 bytes\n", "[17] ERROR: HTTP 404 Not Found\n",
        "so far.."}) {  // a server that gives no size shows the bytes received so far
    EXPECT_NE(run->Stderr().find(line), std::string::npos) << line << run->Stderr();
  }
  EXPECT_EQ(ReadTree(videos), files);
}

// With "Other sites" on, a page of any site and the address of a video file
// download as a supported site's pages do; without it they are refused.
TEST_F(GetTest, OtherSitesAreTriedOnlyWhenAsked) {
  SampleVideo page = ServeOtherSitePage(server);
  const std::string clip = SampleVideoBytes("direct", 3000);
  server.Route("/clips/direct", Response::Ok(clip, {{"Content-Type", "video/webm"}}));
  server.Route("/clips/text.html", Response::Ok("<title>Text</title><p>No video here."));
  // Names from a page's title and from the server, both made harmless.
  server.Route("/clips/titled", Response::Ok("<title>../My: clip?</title><video src=/s/>"));
  server.Route("/s/", Response::Ok("stream", {{"Content-Type", "audio/mp4"}}));
  const Headers named = {{"Content-Type", "video/mp4"},
                         {"Content-Disposition", "filename=../n.ts"}};
  server.Route("/clips/named", Response::Ok("named", named));
  const std::vector<std::string> addresses = {
      page.pageAddress, server.Url("/clips/direct"), server.Url("/clips/text.html"),
      server.Url("/clips/titled"), server.Url("/clips/named")};
  auto refused = Run(Args(addresses));
  EXPECT_EQ(refused->Wait(), 1);
  std::string none;
  for (size_t i = 0; i < addresses.size(); ++i) none += "Un supported link|ERROR|????\n";
  EXPECT_EQ(Listed(refused->Stdout()), none);
  auto run = Run(Args(addresses, {"--any-site"}));
  EXPECT_EQ(run->Wait(), 1) << run->Stderr();
  EXPECT_EQ(Listed(run->Stdout()), page.fileName + "|Complete|" + page.sizeText +
                                       "\ndirect.webm|Complete|2.9 KB\nProcess failed.|ERROR|????\n"
                                       "__My clip.m4a|Complete|6 Bytes\n__n.ts|Complete|5 Bytes\n");
  EXPECT_EQ(ReadTree(videos), (Tree{{page.fileName, Describe(page.bytes)},
                                    {"direct.webm", Describe(clip)},
                                    {"__My clip.m4a", Describe("stream")},
                                    {"__n.ts", Describe("named")}}));
}

// Every request of a run goes over one connection to a server that keeps
// it; one that closes after each answer still serves the whole run.
TEST_F(GetTest, RequestsOfOneServerShareAConnection) {
  for (bool keepAlive : {false, true}) {
    if (keepAlive) server.KeepAlive();
    std::vector<std::string> args = {"-q", "-d", videos.string()};
    for (const char* name : {"a", "b", "c"}) {
      std::string tag = name + std::string(keepAlive ? "k" : "");
      args.push_back(Page(tag, "/" + tag + ".flv", Response::Ok("video " + tag)));
    }
    size_t before = server.Requests().size();
    EXPECT_EQ(Run(args)->Wait(), 0);
    std::set<int> connections;
    std::vector<RecordedRequest> requests = server.Requests();
    for (size_t i = before; i < requests.size(); ++i) connections.insert(requests[i].connection);
    EXPECT_EQ(requests.size() - before, 10u);  // the first page's HEAD, then three of each item
    EXPECT_EQ(connections.size(), keepAlive ? 1u : 10u) << "keep-alive " << keepAlive;
  }
}

// The server holds the rest of the video for ever, and the program is told
// to wait an hour: only the stop can end the wait. Whole reads of 2048 bytes
// reach the file; the last partial one waits for bytes that never come. The
// next run asks for the rest only; on a file system without extended
// attributes, what it needs for that is kept beside the partial file.
class CtrlC : public GetTest, public testing::WithParamInterface<const char*> {
 protected:
  ~CtrlC() override { umount2(videos.c_str(), MNT_DETACH); }
};

TEST_P(CtrlC, EndsTheRunAndTheNextRunGoesOnWhereItStopped) {
  const bool ramfs = std::string(GetParam()) == "ramfs";
  const std::string body = ScriptedServer::GeneratedBody(1000000);
  const size_t held = 28672;
  Response first =
      Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "1000000"}, {"ETag", "\"7\""}})
          .Send(body.substr(0, 30000))
          .Hold();
  std::string page = Page("slow", "/slow.flv", first);
  server.Route("/slow.flv",
               {first, Response::Head("HTTP/1.1 206 Partial Content",
                                      {{"Content-Range", "bytes 28672-999999/1000000"}})
                           .Send(body.substr(held))});
  fs::create_directories(videos);
  if (ramfs && mount("ramfs", videos.c_str(), "ramfs", 0, "mode=0755") != 0) {
    GTEST_SKIP() << "the test may not mount a file system here";
  }
  WriteFile(videos / "slow.flv", "the older file");
  auto child = Start(Args({page}, {"--wait", "3600"}));
  WaitFor(*child, [&] { return ReadFile(videos / "slow.flv.part").size() == held; });

  child->Signal(SIGINT);
  ASSERT_EQ(child->Wait(), 130) << child->Stderr();
  EXPECT_EQ(Listed(child->Stdout()), "slow.flv|Cancelled|976.6 KB\n");
  EXPECT_EQ(child->Stderr(), "") << "a stop is no failure";
  EXPECT_EQ(ReadFile(videos / "slow.flv"), "the older file");
  EXPECT_EQ(fs::exists(videos / "slow.flv.part.meta"), ramfs);

  EXPECT_EQ(Run(Args({page}))->Wait(), 0);
  EXPECT_NE(server.Requests().back().head.find("Range: bytes=28672-"), std::string::npos);
  EXPECT_EQ(ReadTree(videos), (Tree{{"slow.flv", Describe(body)}}));
}

INSTANTIATE_TEST_SUITE_P(Folders, CtrlC, testing::Values("disk", "ramfs"));

// Off a terminal, a video that takes seconds gives a progress line at most
// once a second, each ending with the speed and the time left.
TEST_F(GetTest, ProgressLinesTellSpeedAndTimeLeftAtMostOnceASecond) {
  Response video = Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "24000"}});
  for (int piece = 0; piece < 24; ++piece) video.Send(std::string(1000, 'v')).Pause(150ms);
  std::string page = Page("slow", "/slow.flv", std::move(video));
  auto began = std::chrono::steady_clock::now();
  auto run = Run({"-d", videos.string(), "--", page});
  auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - began);
  ASSERT_EQ(run->Wait(), 0) << run->Stderr();
  const std::regex progress(R"(\[1\] [0-9]+  slow\.flv  23\.4 KB  [0-9.]+ K?B/s  0:[0-9]{2} left)");
  int lines = 0, rated = 0;
  std::istringstream stderrLines(run->Stderr());
  for (std::string line; std::getline(stderrLines, line);) {
    if (!line.starts_with("[1] ") || !std::isdigit(static_cast<unsigned char>(line[4]))) continue;
    ++lines;
    bool hasRate = line.find("B/s") != std::string::npos;
    EXPECT_TRUE(!hasRate || std::regex_match(line, progress)) << line;
    rated += hasRate;
  }
  EXPECT_GE(rated, 1) << run->Stderr();
  EXPECT_LE(lines, seconds.count() + 1) << run->Stderr();
}

// A server that asks for a minute's patience: the stop ends the wait.
TEST_F(GetTest, CtrlCEndsAWaitForTheNextTry) {
  std::string page =
      Page("busy", "/busy.flv",
           Response::WithStatus("HTTP/1.1 503 Service Unavailable", "", {{"Retry-After", "60"}}));
  auto child = Start({"-d", videos.string(), "--", page});
  ASSERT_TRUE(child->WaitForStderr("[1] Retrying (1/5)...", 30s)) << child->Stderr();
  child->Signal(SIGINT);
  EXPECT_EQ(child->Wait(30s), 130);
  EXPECT_EQ(Listed(child->Stdout()), "busy.flv|Cancelled|0 Bytes\n");
}

TEST_F(GetTest, AnswersLookUpsAndUsageErrors) {
  std::vector<SampleVideo> site = ServeSampleSite(server);
  SampleVideo other = ServeOtherSitePage(server);
  const std::string page = "http://youtube.com/";
  const Tree before = ReadTree(root.Path());
  // A page far over the limit: neither kept on disk nor held in memory.
  server.Route("/angryalien.com/huge", Response::Head("HTTP/1.1 200 OK").Generate(256 << 20));
  // A moved page's addresses are relative to where it moved.
  server.Route("/moved", Response::Redirect("{base}/deep/page.html"));
  server.Route("/deep/page.html", Response::Ok("<video src=v.mp4>"));
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err = "";  // a part of it
  } cases[] = {
      // clang-format off
      {{"--site", "http://www.YouTube.com/watch?v=1", "http://x.org/", "blip.tv"}, 0,
       "2\n-1\n10\n"},
      {{"--resolve", site[4].pageAddress, "http://x.org/", "http://127.0.0.1:1/blip.tv/x",
        server.Url("/blip.tv/missing"), server.Url("/angryalien.com/huge")}, 0,
       server.Url("/media/that.wmv") + "\n-1\n-2\n0\n-2\n"},
      {{"--resolve", "-a", other.pageAddress, server.Url("/media/that.wmv"), site[4].pageAddress,
        server.Url("/moved")}, 0, server.Url(other.videoTarget) + "\n" +
       server.Url("/media/that.wmv") + "\n" + server.Url("/media/that.wmv") + "\n" +
       server.Url("/deep/v.mp4") + "\n"},
      {{"--info", server.Url("/media/google?id=7&fmt=flv")}, 0,
       "FileExists: True\nLastModified: Not Available\nFileSize: 70000\n"
       "RemoteFileName: \"google-video.mp4\"\nRemoteFileType: x-flv\n"},
      {{"--version"}, 0, "Version 1.0.0.0\n"},
      {{}, 2, "", "usage"},
      {{"-d"}, 2, "", "-d needs a folder"},
      {{"--wait", "0", page}, 2, "", "--wait needs a number of seconds"},
      {{"--retries=51", page}, 2, "", "--retries=51 needs a number from 0 to 50"},
      {{"-d", "videos\x1b[2J", page}, 2, "", "control character"},
      {{"--dir=a\nb", page}, 2, "", "control character"},
      {{"-d", "a\xc2\x9b" "b", page}, 2, "", "control character"},
      // clang-format on
  };
  for (const Case& c : cases) {
    auto run = Run(c.args);
    EXPECT_EQ(run->Wait(), c.status) << run->Stderr();
    EXPECT_EQ(run->Stdout(), c.out);
    EXPECT_NE(run->Stderr().find(c.err), std::string::npos) << run->Stderr();
  }
  EXPECT_EQ(After(), before) << "a page file is left";
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  EXPECT_LT(usage.ru_maxrss, 96 * 1024) << "KiB";
}

// The manual page and the shell completion keep up with the options --help
// names; an option is named as a word of its own ("--dir" does not name "-d").
TEST_F(GetTest, ManualAndCompletionNameEveryOptionOfTheHelp) {
  auto run = Run({"--help"});
  ASSERT_EQ(run->Wait(), 0);
  const std::string help = run->Stdout();
  const std::regex option(R"((^|[\s\[])(--?[a-z][-a-z]*))");
  std::set<std::string> options;
  for (std::sregex_iterator it(help.begin(), help.end(), option), end; it != end; ++it) {
    options.insert((*it)[2]);
  }
  EXPECT_TRUE(options.contains("-d") && options.contains("--version")) << help;
  for (const char* file : {"dist/reelcatch-get.1", "dist/reelcatch-get.bash"}) {
    // The page's "\-" is a minus sign that man prints as "-".
    std::string text = std::regex_replace(ReadFile(std::string(REELCATCH_SOURCE_DIR "/") + file),
                                          std::regex(R"(\\-)"), "-");
    for (const std::string& name : options) {
      EXPECT_TRUE(std::regex_search(text, std::regex("(^|[^-])" + name + "([^-\\w]|$)")))
          << name << " is missing from " << file;
    }
  }
}

// A locale that is not installed falls back to C without a word, and a run
// of the suite under it would prove nothing.
TEST(ProgramLocaleTest, IsInstalled) {
  const char* applied = std::setlocale(LC_ALL, ProgramLocale().c_str());
  std::setlocale(LC_ALL, "C");
  EXPECT_NE(applied, nullptr) << ProgramLocale() << " is not installed";
}

}  // namespace
}  // namespace reelcatch::test
