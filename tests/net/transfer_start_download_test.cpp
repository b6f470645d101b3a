#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "transfer_fixture.h"

namespace reelcatch {
namespace {

using namespace std::chrono_literals;
using test::Response;
using test::ScriptedServer;

std::vector<std::string> Progress(std::initializer_list<int64_t> values) {
  std::vector<std::string> lines;
  for (int64_t value : values) lines.push_back("progress " + std::to_string(value));
  return lines;
}

std::vector<std::string> Then(std::vector<std::string> lines, const std::string& last) {
  lines.push_back(last);
  return lines;
}

struct ChunkCase {
  const char* name;
  uint64_t bodySize;
  float fileSize;
  bool inPieces;  // the body arrives in small pieces with pauses between
  std::vector<std::string> expected;
};

class ChunkTest : public TransferTest, public testing::WithParamInterface<ChunkCase> {};

TEST_P(ChunkTest, ReportsOneProgressPerReadThenCompletes) {
  const ChunkCase& c = GetParam();
  std::string body = ScriptedServer::GeneratedBody(c.bodySize);
  Response response =
      Response::Head("HTTP/1.1 200 OK", {{"Content-Length", std::to_string(c.bodySize)}});
  if (c.inPieces) {
    for (std::size_t at = 0; at < body.size(); at += 700) {
      response.Send(body.substr(at, 700)).Pause(2ms);
    }
  } else {
    response.Send(body);
  }
  server.Route("/v", response);
  control.SetUrl(server.Url("/v"));
  control.RequestInformation();
  control.SetFileSize(c.fileSize);
  control.SetLocalFile(dir.File("v.flv"));
  uintmax_t sizeAtComplete = 0;
  events.onClosing = [&] { sizeAtComplete = std::filesystem::file_size(dir.File("v.flv")); };

  EXPECT_TRUE(control.StartDownload());

  EXPECT_EQ(events.log, c.expected);
  EXPECT_EQ(ReadWhole(dir.File("v.flv")), body);
  EXPECT_EQ(sizeAtComplete, c.bodySize) << "the file is whole before DownloadComplete";
  EXPECT_FALSE(control.SessionOpen());
  EXPECT_EQ(control.StatusCode(), 200);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, ChunkTest,
    testing::Values(ChunkCase{"PercentOfKnownSize", 5000, 5000, false,
                              Then(Progress({41, 82, 100, 100}), "complete")},
                    ChunkCase{"BytesWhenSizeUnknown", 5000, -1, false,
                              Then(Progress({2048, 4096, 5000, 5000}), "complete")},
                    ChunkCase{"BytesWhenSizeZero", 5000, 0, false,
                              Then(Progress({2048, 4096, 5000, 5000}), "complete")},
                    ChunkCase{"SmallPiecesStillMakeWholeReads", 5000, -1, true,
                              Then(Progress({2048, 4096, 5000, 5000}), "complete")},
                    ChunkCase{"ExactMultipleEndsWithEmptyRead", 4096, -1, false,
                              Then(Progress({2048, 4096, 4096}), "complete")},
                    ChunkCase{"LongerThanSizeGoesAboveHundred", 5000, 4000, false,
                              Then(Progress({51, 102, 125, 125}), "complete")},
                    ChunkCase{"HalvesRoundToEven", 2048, 16384, false,
                              Then(Progress({12, 12}), "complete")},
                    ChunkCase{"EmptyBody", 0, -1, false, Then(Progress({0}), "complete")}),
    [](const testing::TestParamInfo<ChunkCase>& info) { return info.param.name; });

TEST_F(TransferTest, CancelFromFirstProgressKeepsOneRead) {
  server.Route("/v", Response::Ok(ScriptedServer::GeneratedBody(10000)));
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));
  control.RequestInformation();
  control.SetFileSize(-1);
  events.onProgress = [&](int64_t) { control.CancelDownload(); };
  uintmax_t sizeAtCancel = 0;
  events.onClosing = [&] { sizeAtCancel = std::filesystem::file_size(dir.File("v.flv")); };

  EXPECT_FALSE(control.StartDownload());

  EXPECT_EQ(events.log, Then(Progress({2048}), "cancelled 2048"));
  EXPECT_EQ(sizeAtCancel, 2048u);
  EXPECT_EQ(ReadWhole(dir.File("v.flv")), ScriptedServer::GeneratedBody(2048));
  EXPECT_FALSE(control.SessionOpen());
}

TEST_F(TransferTest, CancelBeforeStartDoesNotStopIt) {
  server.Route("/v", Response::Ok("abc"));
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));
  control.CancelDownload();

  EXPECT_TRUE(control.StartDownload());
  EXPECT_EQ(events.log.back(), "complete");
}

TEST_F(TransferTest, CancelReachesTransferWhoseServerWentQuiet) {
  // Were the cancel not seen while waiting, the stall limit would end it
  // with an error instead.
  control.SetTimeouts(30, 30);
  server.Route("/v", Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "100000"}})
                         .Send(ScriptedServer::GeneratedBody(4096))
                         .Hold());
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));
  loop.OnEvents([&] {
    if (events.log.size() == 2) control.CancelDownload();
  });

  EXPECT_FALSE(control.StartDownload());

  EXPECT_EQ(events.log, Then(Progress({2, 4}), "cancelled 4096"));
  EXPECT_EQ(std::filesystem::file_size(dir.File("v.flv")), 4096u);
}

TEST_F(TransferTest, ExistingLongerFileIsReplaced) {
  WriteWhole(dir.File("v.flv"), std::string(9000, 'o'));
  server.Route("/v", Response::Ok("new body"));
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));

  EXPECT_TRUE(control.StartDownload());
  EXPECT_EQ(ReadWhole(dir.File("v.flv")), "new body");
}

TEST_F(TransferTest, SymbolicLinkIsReplacedAndItsTargetLeftAlone) {
  WriteWhole(dir.File("target"), "precious");
  std::filesystem::create_symlink(dir.File("target"), dir.File("v.flv"));
  server.Route("/v", Response::Ok("new body"));
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));

  EXPECT_TRUE(control.StartDownload());

  EXPECT_FALSE(std::filesystem::is_symlink(dir.File("v.flv")));
  EXPECT_EQ(ReadWhole(dir.File("v.flv")), "new body");
  EXPECT_EQ(ReadWhole(dir.File("target")), "precious");
}

TEST_F(TransferTest, FolderAtLocalPathFailsAndStays) {
  std::filesystem::create_directory(dir.File("v.flv"));
  server.Route("/v", Response::Ok("body"));
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));

  EXPECT_FALSE(control.StartDownload());

  EXPECT_EQ(events.log, std::vector<std::string>{"error Could not write file"});
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("v.flv")));
  EXPECT_FALSE(control.SessionOpen());
}

TEST_F(TransferTest, NoServerKeepsSessionAndMakesNoFile) {
  control.SetUrl(DeadUrl("/v"));
  control.SetLocalFile(dir.File("v.flv"));

  EXPECT_FALSE(control.StartDownload());

  EXPECT_EQ(events.log, std::vector<std::string>{"error Could not find Url"});
  EXPECT_FALSE(std::filesystem::exists(dir.File("v.flv")));
  EXPECT_TRUE(control.SessionOpen());
  EXPECT_EQ(control.StatusCode(), 0);

  // The session kept open serves the next transfer.
  events.log.clear();
  server.Route("/v", Response::Ok("abc"));
  control.SetUrl(server.Url("/v"));
  EXPECT_TRUE(control.StartDownload());
  EXPECT_EQ(events.log, Then(Progress({3, 3}), "complete"));
}

TEST_F(TransferTest, BodyBrokenOffKeepsBytesSoFar) {
  struct Case {
    const char* name;
    bool stall;  // the server goes quiet instead of closing
  } cases[] = {{"Closed", false}, {"WentQuiet", true}};
  control.SetTimeouts(60, 1);
  std::string sent = ScriptedServer::GeneratedBody(3000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    events.log.clear();
    Response response = Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "5000"}}).Send(sent);
    if (c.stall) response.Hold();
    server.Route("/v", response);
    control.SetUrl(server.Url("/v"));
    control.SetLocalFile(dir.File("v.flv"));
    control.RequestInformation();
    uintmax_t sizeAtError = 0;
    events.onClosing = [&] { sizeAtError = std::filesystem::file_size(dir.File("v.flv")); };

    EXPECT_FALSE(control.StartDownload());

    EXPECT_EQ(events.log, Then(Progress({41, 60}), "error Could not read URL"));
    EXPECT_EQ(sizeAtError, 3000u);
    EXPECT_EQ(ReadWhole(dir.File("v.flv")), sent);
    EXPECT_FALSE(control.SessionOpen());
  }
}

TEST_F(TransferTest, CancelEndsTheHeadOfAFirstTransfer) {
  control.SetTimeouts(30, 30);
  server.Route("/v", Response::Silent());
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));
  loop.OnEvents([&] {
    if (!server.Requests().empty()) control.CancelDownload();
  });

  EXPECT_FALSE(control.StartDownload());

  EXPECT_EQ(events.log, std::vector<std::string>{"cancelled 0"});
  EXPECT_FALSE(std::filesystem::exists(dir.File("v.flv")));
  EXPECT_EQ(server.Requests().at(0).method, "HEAD");
}

TEST_F(TransferTest, ErrorPageIsSavedLikeAnyBody) {
  server.Route("/v", Response::WithStatus("HTTP/1.1 404 Not Found", "missing"));
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));

  EXPECT_TRUE(control.StartDownload());
  EXPECT_EQ(ReadWhole(dir.File("v.flv")), "missing");
  EXPECT_EQ(control.StatusCode(), 404);
}

TEST_F(TransferTest, FirstTransferAsksHeadThenGetsLaterOnesOnlyGet) {
  server.Route("/a", Response::Ok("12345", {{"Content-Type", "video/x-flv"}}));
  server.Route("/b", Response::Ok("1234567890"));
  control.SetLocalFile(dir.File("v.flv"));
  control.SetUrl(server.Url("/a"));
  bool openDuringTransfer = false;
  events.onProgress = [&](int64_t) { openDuringTransfer = control.SessionOpen(); };

  EXPECT_TRUE(control.StartDownload());
  EXPECT_TRUE(openDuringTransfer);
  EXPECT_EQ(control.RemoteFileType(), "x-flv");
  control.SetUrl(server.Url("/b"));
  EXPECT_TRUE(control.StartDownload());

  std::vector<std::string> seen;
  for (const auto& request : server.Requests())
    seen.push_back(request.method + " " + request.target);
  EXPECT_EQ(seen, (std::vector<std::string>{"HEAD /a", "GET /a", "GET /b"}));
  const auto get = server.Requests()[1];
  EXPECT_EQ(get.Header("User-Agent"), Download::kUserAgent);
  EXPECT_FALSE(get.HasHeader("Authorization"));
  // The second body is measured against the first address's size.
  EXPECT_EQ(events.log.back(), "complete");
  EXPECT_EQ(events.log[events.log.size() - 2], "progress 200");
}

TEST_F(TransferTest, GetCarriesNoCredentials) {
  server.Route("/v", Response::Ok("abc"));
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));
  control.SetSiteUser("user");
  control.SetSitePassword("secret");

  EXPECT_TRUE(control.StartDownload());
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(requests[0].HasHeader("Authorization"));
  EXPECT_FALSE(requests[1].HasHeader("Authorization"));
}

struct RedirectCase {
  const char* name;
  // The answers at /a/old and at /a/mid; /new answers with the body.
  std::function<Response(const ScriptedServer&)> old, mid;
  std::string body;
};

class RedirectTest : public TransferTest, public testing::WithParamInterface<RedirectCase> {};

TEST_P(RedirectTest, IsFollowedToTheBody) {
  const RedirectCase& c = GetParam();
  server.Route("/a/old", c.old(server));
  server.Route("/a/mid", c.mid(server));
  server.Route("/new", Response::Ok("moved body"));
  server.Route(
      "/kept",
      Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "10"}}).Send("moved body").Hold());
  control.SetUrl(server.Url("/a/old"));
  control.SetLocalFile(dir.File("v.flv"));
  control.RequestInformation();

  EXPECT_TRUE(control.StartDownload());
  EXPECT_EQ(ReadWhole(dir.File("v.flv")), c.body);
  EXPECT_EQ(events.log.back(), "complete");
}

// A redirect on a connection the server keeps open ends with its headers
// and its declared body, not with the connection.
Response KeptOpen(const std::string& location, const std::string& body) {
  return Response::Head("HTTP/1.1 302 Found",
                        {{"Location", location}, {"Content-Length", std::to_string(body.size())}})
      .Send(body)
      .Hold();
}

INSTANTIATE_TEST_SUITE_P(
    Redirects, RedirectTest,
    testing::Values(
        RedirectCase{"Plain", [](const auto&) { return Response::Redirect("/new"); },
                     [](const auto&) { return Response::Silent(); }, "moved body"},
        RedirectCase{"RelativeThenAbsolute", [](const auto&) { return Response::Redirect("mid"); },
                     [](const auto& at) { return Response::Redirect(at.Url("/new"), 301); },
                     "moved body"},
        RedirectCase{"KeptOpenWithoutABody", [](const auto&) { return KeptOpen("/new", ""); },
                     [](const auto&) { return Response::Silent(); }, "moved body"},
        RedirectCase{"KeptOpenWithABody",
                     [](const auto&) { return KeptOpen("../new", "<a href=/new>moved</a>"); },
                     [](const auto&) { return Response::Silent(); }, "moved body"},
        RedirectCase{"ToABodyOnAConnectionKeptOpen",
                     [](const auto&) { return KeptOpen("/kept", ""); },
                     [](const auto&) { return Response::Silent(); }, "moved body"}),
    [](const testing::TestParamInfo<RedirectCase>& info) { return info.param.name; });

TEST_F(TransferTest, NestedStartFromHandlerIsRefused) {
  server.Route("/v", Response::Ok(ScriptedServer::GeneratedBody(5000)));
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));
  std::vector<bool> nested;
  events.onProgress = [&](int64_t) {
    nested.push_back(control.StartDownload());
    control.RequestInformation();
  };

  EXPECT_TRUE(control.StartDownload());
  EXPECT_EQ(nested, std::vector<bool>(4, false));
  EXPECT_EQ(ReadWhole(dir.File("v.flv")), ScriptedServer::GeneratedBody(5000));
}

TEST_F(TransferTest, BodyOverTwoGigabytesIsCountedWhole) {
  const uint64_t size = (uint64_t{1} << 31) + 5000;
  server.Route(
      "/big",
      Response::Head("HTTP/1.1 200 OK", {{"Content-Length", std::to_string(size)}}).Generate(size));
  control.SetUrl(server.Url("/big"));
  control.SetLocalFile(dir.File("big.flv"));
  control.RequestInformation();
  control.SetFileSize(-1);
  int64_t reads = 0;
  int64_t last = -1;
  events.onProgress = [&](int64_t value) {
    ++reads;
    last = value;
  };

  EXPECT_TRUE(control.StartDownload());

  EXPECT_EQ(last, static_cast<int64_t>(size));
  EXPECT_EQ(reads, static_cast<int64_t>(size / 2048 + 2));  // the short read, the empty read
  EXPECT_EQ(std::filesystem::file_size(dir.File("big.flv")), size);
  std::filesystem::remove(dir.File("big.flv"));
}

}  // namespace
}  // namespace reelcatch
