// The download run against servers that go quiet or crawl: a quiet server
// ends its item as ERROR once the network wait runs out and the run goes on;
// a crawling one is never mistaken for a quiet one and can still be stopped.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "list/add_download_url.h"
#include "list/list_display.h"
#include "net/transfer_fixture.h"
#include "run/download_run.h"
#include "support/fake_ports.h"

namespace reelcatch {
namespace {

namespace fs = std::filesystem;
using test::Response;

// Answers a HEAD at once; answers a GET with its header block and then one
// body byte every quarter second, until the client goes away.
class TrickleServer {
 public:
  TrickleServer() {
    listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listen_, reinterpret_cast<sockaddr*>(&address), length);
    listen(listen_, 8);
    getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~TrickleServer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    shutdown(listen_, SHUT_RDWR);
    thread_.join();
    close(listen_);
  }

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int BodyBytesSent() const { return sent_; }

 private:
  void Serve() {
    while (true) {
      int fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) return;
      Answer(fd);
      close(fd);
    }
  }

  void Answer(int fd) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      ssize_t got = recv(fd, buffer, sizeof buffer, 0);
      if (got <= 0) return;
      request.append(buffer, static_cast<size_t>(got));
    }
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n";
    if (send(fd, head.data(), head.size(), MSG_NOSIGNAL) < 0) return;
    if (request.starts_with("HEAD ")) return;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_ && send(fd, "x", 1, MSG_NOSIGNAL) == 1) {
      ++sent_;
      wake_.wait_for(lock, std::chrono::milliseconds(250), [this] { return stop_; });
    }
  }

  int listen_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::atomic<int> sent_{0};
};

class StalledServerTest : public testing::Test {
 protected:
  static constexpr long kWaitSeconds = 1;

  StalledServerTest() {
    settings.DownloadDir = dir.File("videos");
    control.SetTimeouts(kWaitSeconds, kWaitSeconds);
    display.FormatDownloadGrid(true);
    server.Route("/angryalien.com/good", Page(server.Url("/v/good.flv")));
    server.Route("/v/good.flv", Response::Ok(std::string(5000, 'g')));
  }

  static Response Page(const std::string& link) {
    return Response::Ok("<embed src=\"" + link + "\" />");
  }

  void Add(const std::string& address) { AddDownloadURL(address, list, display, run.State()); }

  const DownloadItem& Item(int position) { return list.At(position); }

  std::vector<std::string> Downloads() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(settings.DownloadDir, error)) {
      names.push_back(entry.path().filename().string() + " " +
                      std::to_string(fs::file_size(entry.path())));
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  test::ScriptedServer server;
  TempDir dir;
  FakePorts fakes;
  Settings settings;
  DownloadList list;
  ListDisplay display{list, fakes.grid, fakes.loop, fakes.dialogs};
  Download control{fakes.loop};
  DownloadRun run{list,
                  display,
                  control,
                  settings,
                  RunPorts{fakes.movie, fakes.tray, fakes.dialogs, fakes.network, fakes.timers},
                  EnsurePrivateFolder(dir.File("private"))};
};

struct QuietCase {
  const char* name;
  const char* page;   // answer of the bad item's page: "quiet" or a page
  const char* video;  // answer of its video: "quiet", "body then quiet"
  const char* fileName;
  const char* fileSize;
  std::vector<std::string> files;  // the bad item's files
};

class QuietServer : public StalledServerTest, public testing::WithParamInterface<QuietCase> {};

TEST_P(QuietServer, EndsTheItemAsErrorAndTheRunGoesOn) {
  const QuietCase& quiet = GetParam();
  Response video = std::string(quiet.video) == "quiet"
                       ? Response::Silent()
                       : Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "5000"}})
                             .Send(std::string(3000, 'q'))
                             .Hold();
  server.Route("/v/bad.flv", video);
  server.Route("/angryalien.com/bad", std::string(quiet.page) == "quiet"
                                          ? Response::Silent()
                                          : Page(server.Url("/v/bad.flv")));
  Add(server.Url("/angryalien.com/bad"));
  Add(server.Url("/angryalien.com/good"));
  // The page files seen while pages are fetched.
  std::set<std::string> pageFiles;
  fakes.loop.SetHook([&] {
    if (!run.State().Preparing) return;
    for (const auto& entry : fs::directory_iterator(dir.File("private"))) {
      pageFiles.insert(entry.path().filename().string());
    }
  });

  run.cmdStartDownload_Click();

  // One of this process's own while the run lasts, gone with the run.
  ASSERT_EQ(pageFiles.size(), 1u);
  EXPECT_TRUE(pageFiles.begin()->starts_with("Parse-" + std::to_string(getpid()) + "-"));
  EXPECT_TRUE(fs::is_empty(dir.File("private")));
  EXPECT_EQ(Item(0).Status, "ERROR");
  EXPECT_EQ(Item(0).FileName, quiet.fileName);
  EXPECT_EQ(Item(0).FileSize, quiet.fileSize);
  EXPECT_EQ(Item(1).Status, "Complete");
  std::vector<std::string> files = quiet.files;
  files.push_back("good.flv 5000");
  EXPECT_EQ(Downloads(), files);
  EXPECT_FALSE(run.State().Downloading);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuietServer,
    testing::Values(
        QuietCase{"PageNeverAnswered", "quiet", "quiet", "Waiting (Auto Detect)", "????", {}},
        QuietCase{"VideoNeverAnswered", "page", "quiet", "bad.flv", "-1 Bytes", {}},
        QuietCase{"VideoWentQuietMidBody",
                  "page",
                  "body then quiet",
                  "bad.flv",
                  "4.9 KB",
                  {"bad.flv.part 3000"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StalledServerTest, CrawlingServerIsStillReceivingAndCanBeStopped) {
  TrickleServer trickle;
  server.Route("/angryalien.com/slow", Page(trickle.Url("/v/slow.flv")));
  Add(server.Url("/angryalien.com/slow"));
  Add(server.Url("/angryalien.com/good"));
  fakes.dialogs.SetQuestionAnswer(MessageAnswer::Yes);

  // Twice the network wait has passed in single bytes: stop then.
  const int enough = static_cast<int>(kWaitSeconds) * 4 * 2;
  bool stopped = false;
  std::string statusWhenStopped;
  fakes.loop.SetHook([&] {
    if (stopped || trickle.BodyBytesSent() < enough) return;
    stopped = true;
    statusWhenStopped = Item(0).Status;
    run.cmdStartDownload_Click();
  });
  run.cmdStartDownload_Click();

  ASSERT_TRUE(stopped);
  EXPECT_NE(statusWhenStopped, "ERROR");
  EXPECT_EQ(Item(0).FileSize, "1000 Bytes");
  EXPECT_EQ(Item(0).Status, "Cancelled");
  // The stop ends the run: the next item waits for the next one.
  EXPECT_EQ(Item(1).Status, "Waiting");
  EXPECT_EQ(Downloads(), std::vector<std::string>{"slow.flv.part 0"});
  EXPECT_FALSE(run.State().Downloading);
}

}  // namespace
}  // namespace reelcatch
