// reelcatch-get end to end: the real program against a real local server.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <thread>

#include "support/process.h"
#include "support/sample_site.h"
#include "support/scripted_server.h"

namespace reelcatch::test {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::vector<std::string>> ParseList(const std::string& out) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
      fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    rows.push_back(fields);
  }
  return rows;
}

// Each test runs its own copy of the program in a fresh folder, so its
// private folder and settings are its own.
class ReelcatchGet : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '_');
    root_ = fs::temp_directory_path() / ("reelcatch-get-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(root_);
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "home");
    program_ = root_ / "bin" / "reelcatch-get";
    fs::copy_file(fs::path(REELCATCH_BINARY_DIR) / "reelcatch-get", program_);
    downloads_ = root_ / "videos";
  }
  void TearDown() override { fs::remove_all(root_); }

  std::vector<std::string> Env() const {
    return {"HOME=" + (root_ / "home").string(),
            "XDG_CONFIG_HOME=" + (root_ / "home" / ".config").string(),
            "XDG_CACHE_HOME=" + (root_ / "home" / ".cache").string(),
            "XDG_RUNTIME_DIR",
            "REELCATCH_MEDIA_HOST=" + server_.Url(""),
            "LC_ALL=" + ProgramLocale()};
  }

  int Run(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr) {
    ChildProcess child(program_.string(), args, Env());
    int status = child.Wait();
    if (out) *out = child.Stdout();
    if (err) *err = child.Stderr();
    return status;
  }

  std::vector<std::string> DownloadArgs(std::vector<std::string> addresses) const {
    std::vector<std::string> args = {"-d", downloads_.string()};
    args.insert(args.end(), addresses.begin(), addresses.end());
    return args;
  }

  ScriptedServer server_;
  fs::path root_;
  fs::path program_;
  fs::path downloads_;
};

TEST_F(ReelcatchGet, DownloadsAVideoFromEachOfTheTwelveSites) {
  SampleSite site = MakeSampleSite(server_.Url(""));
  ServeSampleSite(server_, site);
  std::vector<std::string> addresses;
  for (const SampleVideo& video : site.videos) addresses.push_back(video.pageAddress);

  std::string out, err;
  ASSERT_EQ(Run(DownloadArgs(addresses), &out, &err), 0) << out << err;

  auto rows = ParseList(out);
  ASSERT_EQ(rows.size(), site.videos.size()) << out;
  for (size_t i = 0; i < rows.size(); ++i) {
    const SampleVideo& video = site.videos[i];
    SCOPED_TRACE(video.site);
    ASSERT_EQ(rows[i].size(), 5u);
    EXPECT_EQ(rows[i][0], std::to_string(i + 1));
    EXPECT_EQ(rows[i][1], video.pageAddress);
    EXPECT_EQ(rows[i][2], video.expectedFileName);
    EXPECT_EQ(rows[i][3], "Complete");
    EXPECT_EQ(rows[i][4], video.expectedSizeText);
    std::string expected;
    for (const SampleRoute& route : site.routes) {
      if (route.target == video.videoTarget) expected = route.body;
    }
    EXPECT_EQ(ReadFile(downloads_ / video.expectedFileName), expected);
    EXPECT_FALSE(fs::exists(downloads_ / (video.expectedFileName + ".part")));
  }
  // A server that gives no size shows the bytes received so far.
  EXPECT_NE(err.find("so far.."), std::string::npos) << err;
}

TEST_F(ReelcatchGet, ReportsEveryKindOfFailureInTheList) {
  SampleSite site = MakeSampleSite(server_.Url(""));
  ServeSampleSite(server_, site);
  server_.Route("/youtube.com/watch?v=nothing", Response::Ok("<html>no player here</html>"));
  server_.Route("/putfile.com/v/cut", Response::Ok("<a href=\"" + server_.Url("/cut.flv") + "\">"));
  server_.Route("/cut.flv", Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "50000"}})
                                .Send(std::string(10000, 'x')));
  server_.Route("/putfile.com/v/gone",
                Response::Ok("<a href=\"" + server_.Url("/gone.flv") + "\">"));
  std::string good = site.videos[2].pageAddress;
  std::vector<std::string> addresses = {
      good,
      good,  // listed once
      "http://example.org/not-a-video-site",
      server_.Url("/youtube.com/watch?v=nothing"),
      "http://127.0.0.1:1/dailymotion.com/video/unreachable",
      server_.Url("/putfile.com/v/cut"),
      server_.Url("/putfile.com/v/gone"),
  };
  std::string out, err;
  EXPECT_EQ(Run(DownloadArgs(addresses), &out, &err), 1) << err;

  auto rows = ParseList(out);
  struct Expected {
    const char* fileName;
    const char* status;
    const char* reason;  // the line on stderr, none for a good item
  } expected[] = {
      {site.videos[2].expectedFileName.c_str(), "Complete", nullptr},
      {"Un supported link", "ERROR", "[2] ERROR: Link is not supported\n"},
      {"Process failed.", "ERROR", "[3] ERROR: No video found on the page\n"},
      {"Waiting (Auto Detect)", "ERROR", "[4] ERROR: Page not fetched: Connection refused\n"},
      {"cut.flv", "ERROR", "[5] ERROR: Body ended after 10000 of 50000 bytes\n"},
      {"gone.flv", "ERROR", "[6] ERROR: HTTP 404 Not Found\n"},
  };
  ASSERT_EQ(rows.size(), std::size(expected)) << out;
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i][0], std::to_string(i + 1));
    EXPECT_EQ(rows[i][2], expected[i].fileName);
    EXPECT_EQ(rows[i][3], expected[i].status);
    std::string line = "[" + std::to_string(i + 1) + "] ERROR: ";
    if (expected[i].reason) {
      EXPECT_NE(err.find(expected[i].reason), std::string::npos) << err;
    } else {
      EXPECT_EQ(err.find(line), std::string::npos) << err;
    }
  }
  // The cut transfer keeps its bytes beside, never under the final name.
  EXPECT_FALSE(fs::exists(downloads_ / "cut.flv"));
  EXPECT_EQ(fs::file_size(downloads_ / "cut.flv.part"), 10000u);
}

TEST_F(ReelcatchGet, CtrlCCancelsTheTransferAndKeepsTheOlderFile) {
  server_.Route("/putfile.com/v/slow",
                Response::Ok("<a href=\"" + server_.Url("/slow.flv") + "\">"));
  server_.Route("/slow.flv", Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "1000000"}})
                                 .Send(std::string(30000, 'y'))
                                 .Hold());
  fs::create_directories(downloads_);
  { std::ofstream(downloads_ / "slow.flv") << "the older file"; }

  ChildProcess child(program_.string(), DownloadArgs({server_.Url("/putfile.com/v/slow")}), Env());
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  auto partSize = [&] {
    std::error_code error;
    auto size = fs::file_size(downloads_ / "slow.flv.part", error);
    return error ? 0 : size;
  };
  // Whole 2048-byte reads reach the file; the last partial one waits for
  // more bytes that never come.
  while (partSize() < 28672 && std::chrono::steady_clock::now() < deadline) {
    child.Pump();
  }
  child.Signal(SIGINT);
  ASSERT_EQ(child.Wait(), 130) << child.Stderr();

  auto rows = ParseList(child.Stdout());
  ASSERT_EQ(rows.size(), 1u) << child.Stdout();
  EXPECT_EQ(rows[0][3], "Cancelled");
  EXPECT_EQ(fs::file_size(downloads_ / "slow.flv.part"), 28672u);
  EXPECT_EQ(ReadFile(downloads_ / "slow.flv"), "the older file");
}

struct EndlessWait {
  const char* name;
  const char* page;  // "drips" or a page linking /slow.flv
  const char* head;  // the HEAD of /slow.flv: "drips" or at once
  size_t requests;   // requests made once the program waits in the wait

  friend std::ostream& operator<<(std::ostream& out, const EndlessWait& c) { return out << c.name; }
};

class CtrlC : public ReelcatchGet, public ::testing::WithParamInterface<EndlessWait> {};

// The server never finishes and never goes quiet, and the program is told to
// wait an hour: only the stop can end the wait.
TEST_P(CtrlC, EndsEveryWait) {
  const EndlessWait& wait = GetParam();
  using namespace std::chrono_literals;
  Response dripping = Response::Head("HTTP/1.1 200 OK").Drip("<p>", 100ms);
  server_.Route("/putfile.com/v/slow",
                std::string(wait.page) == "drips"
                    ? dripping
                    : Response::Ok("<a href=\"" + server_.Url("/slow.flv") + "\">"));
  server_.Route("/slow.flv", dripping);
  if (std::string(wait.head) == "drips") {
    server_.RouteHead("/slow.flv", Response::Raw("HTTP/1.1 200 OK\r\n").Drip("X-A: b\r\n", 100ms));
  }
  std::vector<std::string> args = {"--wait", "3600"};
  for (const std::string& arg : DownloadArgs({server_.Url("/putfile.com/v/slow")})) {
    args.push_back(arg);
  }
  ChildProcess child(program_.string(), args, Env());
  ASSERT_TRUE(server_.WaitForRequests(wait.requests, 60s));

  child.Signal(SIGINT);
  ASSERT_EQ(child.Wait(), 130) << child.Stderr();

  auto rows = ParseList(child.Stdout());
  ASSERT_EQ(rows.size(), 1u) << child.Stdout();
  EXPECT_EQ(rows[0][3], "Cancelled");
  // A stop is no failure.
  EXPECT_EQ(child.Stderr().find("ERROR"), std::string::npos) << child.Stderr();
  EXPECT_EQ(server_.Requests().size(), wait.requests);
}

INSTANTIATE_TEST_SUITE_P(Waits, CtrlC,
                         ::testing::Values(EndlessWait{"ForThePage", "drips", "", 2},
                                           EndlessWait{"ForTheHead", "", "drips", 3},
                                           EndlessWait{"ForTheVideo", "", "", 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReelcatchGet, LooksUpSitesLinksAndServerFacts) {
  SampleSite site = MakeSampleSite(server_.Url(""));
  ServeSampleSite(server_, site);
  std::string out;
  EXPECT_EQ(Run({"--site", "http://www.YouTube.com/watch?v=1", "http://x.org/", "blip.tv"}, &out),
            0);
  EXPECT_EQ(out, "2\n-1\n10\n");

  EXPECT_EQ(Run({"--resolve", site.videos[4].pageAddress, "http://x.org/",
                 "http://127.0.0.1:1/blip.tv/x", server_.Url("/blip.tv/missing")},
                &out),
            0);
  EXPECT_EQ(out, server_.Url("/media/that.wmv") + "\n-1\n-2\n0\n");

  EXPECT_EQ(Run({"--info", server_.Url("/media/google?id=7&fmt=flv")}, &out), 0);
  EXPECT_EQ(out,
            "FileExists: True\nLastModified: Not Available\nFileSize: 70000\n"
            "RemoteFileName: \"google-video.mp4\"\nRemoteFileType: x-flv\n");
}

// A page far over the limit is neither kept on disk nor held in memory.
TEST_F(ReelcatchGet, HugePageIsNeitherKeptNorHeld) {
  constexpr uint64_t kHuge = uint64_t{256} << 20;
  constexpr long kMaxResidentKiB = 96 * 1024;
  server_.Route("/angryalien.com/huge",
                Response::Head("HTTP/1.1 200 OK").Send("<embed src=\"http://x/").Generate(kHuge));
  std::string out;
  EXPECT_EQ(Run({"--resolve", server_.Url("/angryalien.com/huge")}, &out), 0);
  EXPECT_EQ(out, "-2\n");
  // Wherever the page was written, nothing of it is left.
  for (const auto& entry : fs::recursive_directory_iterator(root_)) {
    if (entry.is_regular_file() && entry.path() != program_) {
      EXPECT_LT(entry.file_size(), 64u * 1024) << entry.path();
    }
  }
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  EXPECT_LT(usage.ru_maxrss, kMaxResidentKiB);
}

// ESC and CSI (U+009B, C2 9B in UTF-8; a lone 9B byte on an 8-bit terminal)
// each start a command to the terminal.
TEST_F(ReelcatchGet, PrintsControlCharactersFromServersEscaped) {
  const std::string csi = "\xc2\x9b";
  const std::string lone = "\x9b";
  const std::string han = "\xe6\x97\xa5";
  const std::string name = "a\x1b[2J\tb\\c" + csi + "1m" + lone + "2m" + han + ".mp4";
  server_.Route("/angryalien.com/x", Response::Ok("<embed src=\"" + server_.Url("/x.mp4") + "\">"));
  server_.Route("/x.mp4",
                Response::Ok("body", {{"Content-Disposition", "attachment; filename=" + name}}));
  std::string out, err;
  EXPECT_EQ(Run(DownloadArgs({server_.Url("/angryalien.com/x")}), &out, &err), 0) << err;
  for (const std::string& command : {std::string("\x1b"), csi, lone}) {
    EXPECT_EQ(out.find(command), std::string::npos) << out;
    EXPECT_EQ(err.find(command), std::string::npos) << err;
  }
  auto rows = ParseList(out);
  ASSERT_EQ(rows.size(), 1u) << out;
  ASSERT_EQ(rows[0].size(), 5u);
  EXPECT_EQ(rows[0][2], "a\\x1b[2J\\tbc\\u009b1m\\x9b2m" + han + ".mp4");
  // A backslash is no part of a file name.
  EXPECT_EQ(ReadFile(downloads_ / ("a\x1b[2J\tbc" + csi + "1m" + lone + "2m" + han + ".mp4")),
            "body");
}

// A locale that is not installed falls back to C without a word, and a run
// of the suite under it would prove nothing.
TEST(ProgramLocaleTest, IsInstalled) {
  std::string locale = ProgramLocale();
  const char* applied = std::setlocale(LC_ALL, locale.c_str());
  std::setlocale(LC_ALL, "C");
  EXPECT_NE(applied, nullptr) << "the locale " << locale << " is not installed";
}

TEST_F(ReelcatchGet, AnswersUsageErrorsWithStatusTwo) {
  std::string out, err;
  EXPECT_EQ(Run({}, &out, &err), 2);
  EXPECT_NE(err.find("usage"), std::string::npos);
  EXPECT_EQ(Run({"--bogus", "http://youtube.com/"}), 2);
  EXPECT_EQ(Run({"-d"}), 2);
  EXPECT_EQ(Run({"--info", "a", "b"}), 2);
  EXPECT_EQ(Run({"-d", "videos\x1b[2J", "http://youtube.com/"}, &out, &err), 2);
  EXPECT_NE(err.find("control character"), std::string::npos) << err;
  EXPECT_EQ(Run({"--dir=a\nb", "http://youtube.com/"}), 2);
  EXPECT_EQ(Run({"-d", "a\xc2\x9b" + std::string("b"), "http://youtube.com/"}), 2);
  EXPECT_EQ(Run({"--version"}, &out), 0);
  EXPECT_EQ(out, "Version 1.0.0.0\n");
}

}  // namespace
}  // namespace reelcatch::test
