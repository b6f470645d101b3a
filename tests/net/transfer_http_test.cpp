// The Download control over real HTTP: what a HEAD learns and sends, the
// transfer's reads, how each request ends and why, redirects, https and stops.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <sstream>

#include "support/scripted_server.h"
#include "support/temp_dir.h"
#include "transfer/download.h"

namespace reelcatch {
namespace {

using namespace std::chrono_literals;
using test::Response;
namespace fs = std::filesystem;

const std::string kBody = test::ScriptedServer::GeneratedBody(20000);

Response Length(const std::string& length) {
  return Response::Head("HTTP/1.1 200 OK", {{"Content-Length", length}});
}

// Writes the events as one line: each progress as its number, then the closing event.
class TransferTest : public testing::Test, public DownloadEvents, public EventLoop {
 public:
  TransferTest() {
    setenv("SSL_CERT_FILE", server.CertificateFile().c_str(), 1);
    control.SetEvents(this);
    control.SetLocalFile(file);
    control.SetUrl(server.Url("/v"));
  }
  void DoEvents() override {
    if (onTurn) onTurn();
  }
  void DownloadProgress(int64_t& value) override {
    log += std::to_string(value) + " ";
    if (onProgress) onProgress();
  }
  void DownloadComplete() override { Close("complete"); }
  void DownloadError(std::string& description) override { Close("error " + description); }
  void DownloadCancelled(int64_t& at) override { Close("cancelled " + std::to_string(at)); }
  void Close(const std::string& event) {
    log += closing = event;
    std::error_code ignored;
    sizeAtClose = fs::file_size(file, ignored);
  }

  test::ScriptedServer server{true};
  Download control{*this};
  test::TempDir dir;
  fs::path file = dir / "v.flv";
  std::string log, closing;
  uintmax_t sizeAtClose = 0;
  std::function<void()> onProgress, onTurn;
};

TEST_F(TransferTest, HeadLearnsTheFinalAnswersFactsAndForgetsEarlierOnes) {
  struct Case {
    std::string answer;  // the header block at /v
    std::string facts;
  } cases[] = {
      {"HTTP/1.1 404 Not Found\r\nContent-Length: 345", "0 345   Not Available"},
      // A length the HTTP layer refuses: the rest of the block is still read.
      {"HTTP/1.1 200 OK\r\nContent-Length: abc\r\nContent-Type: a/mp4", "1 -1 mp4  Not Available"},
      {"HTTP/1.1 301 Moved\r\nLocation: /new\r\nContent-Type: a/htm", "1 5 flv  Not Available"},
      {"HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/x", "0 -1   Not Available"},
      {"(no server)", "0 -1   Not Available"},
  };
  server.Route("/named", Response::Raw("HTTP/1.1 200 OK\r\nContent-Length: 10\r\nContent-Type: a/"
                                       "flv\r\nContent-Disposition: filename=old.flv\r\n\r\n"));
  server.Route("/new", Response::Ok("12345", {{"Content-Type", "video/flv"}}));
  for (const Case& c : cases) {
    server.Route("/v", Response::Raw(c.answer + "\r\n\r\n"));
    control.SetUrl(server.Url("/named"));
    control.RequestInformation();
    control.SetUrl(c.answer == "(no server)" ? "http://127.0.0.1:1/v" : server.Url("/v"));
    control.RequestInformation();
    std::ostringstream facts;
    facts << control.FileExists() << " " << int64_t(control.FileSize()) << " "
          << control.RemoteFileType() << " " << control.RemoteFileName() << " "
          << control.LastModified();
    EXPECT_EQ(facts.str(), c.facts) << c.answer;
  }
  EXPECT_EQ(log, "");
}

TEST_F(TransferTest, HeadAsksTheServerItselfAndCredentialsStayWithTheirServer) {
  test::ScriptedServer other;
  server.Route("/a", Response::Redirect("/b"));
  server.Route("/b", Response::Redirect(other.Url("/c")));
  other.Route("/c", Response::Ok("12345", {{"Last-Modified", "Tue, 01 May 2007 10:00:00 GMT"}}));
  server.Route("/d", Response::Ok("1234567890"));
  control.SetUrl(server.Url("/a"));
  control.SetSiteUser("user");
  control.SetSitePassword("secret");
  bool openWhileReading = false;
  onProgress = [&] { openWhileReading = control.SessionOpen(); };

  control.RequestInformation();
  EXPECT_EQ(control.LastModified(), "Tue, 01 May 2007 10:00:00 GMT");
  EXPECT_TRUE(control.SessionOpen());
  EXPECT_TRUE(control.StartDownload());
  EXPECT_TRUE(openWhileReading);
  EXPECT_FALSE(control.SessionOpen());
  control.SetUrl(server.Url("/d"));
  EXPECT_TRUE(control.StartDownload());
  control.SetSiteUser("");  // a password without a user name is never sent
  control.RequestInformation();
  EXPECT_FALSE(control.SessionOpen());

  // The second body is measured against the size the HEAD gave.
  EXPECT_EQ(log, "100 100 complete200 200 complete");
  auto seen = [](const test::ScriptedServer& at) {
    std::string lines;
    for (const auto& r : at.Requests()) {
      lines += r.method + r.target + " " + r.version + " " + r.Header("Authorization") + "\n";
      EXPECT_EQ(r.Header("User-Agent"), Download::kUserAgent);
      EXPECT_EQ(r.Header("Pragma") + r.Header("Cache-Control"),
                r.method == "HEAD" ? "no-cacheno-cache" : "");
    }
    return lines;
  };
  EXPECT_EQ(seen(server),
            "HEAD/a HTTP/1.0 Basic dXNlcjpzZWNyZXQ=\nHEAD/b HTTP/1.0 Basic dXNlcjpzZWNyZXQ=\n"
            "GET/a HTTP/1.1 \nGET/b HTTP/1.1 \nGET/d HTTP/1.1 \nHEAD/d HTTP/1.0 \n");
  EXPECT_EQ(seen(other), "HEAD/c HTTP/1.0 \nGET/c HTTP/1.1 \n");
}

TEST_F(TransferTest, HandsTheBodyOnInReadsOf2048BytesAndAFinalEmptyOne) {
  struct Case {
    uint64_t size;
    float fileSize;  // 0: the HEAD's
    size_t piece;    // the server sends the body in pieces of this size
    std::string log;
  } cases[] = {
      {5000, 0, 5000, "41 82 100 100 complete"},
      {5000, -1, 5000, "2048 4096 5000 5000 complete"},
      {5000, -1, 700, "2048 4096 5000 5000 complete"},
      {4096, -1, 4096, "2048 4096 4096 complete"},
      {5000, 4000, 5000, "51 102 125 125 complete"},
      {0, -1, 1, "0 complete"},
  };
  for (const Case& c : cases) {
    Response answer = Length(std::to_string(c.size));
    for (size_t at = 0; at < c.size; at += c.piece)
      answer.Send(kBody.substr(at, c.piece)).Pause(2ms);
    server.Route("/v", answer);
    control.RequestInformation();
    if (c.fileSize != 0) control.SetFileSize(c.fileSize);
    log.clear();

    EXPECT_TRUE(control.StartDownload());
    EXPECT_EQ(log, c.log);
    EXPECT_EQ(test::ReadFile(file), kBody.substr(0, c.size));
    EXPECT_EQ(sizeAtClose, c.size) << "whole before the closing event";
  }
}

struct Case {
  const char* name;
  // Words that set the request up: "dead" (nothing listens), "https", "untrusted", "max=N"
  // (bytes of body), "wait=N", "stop=N" (after N requests), "other" (a HEAD of another
  // address first), "older" (a longer file), "nofolder", "cancel=read|before|quiet|request".
  std::string setUp;
  Response answer;      // at /v
  std::string closing;  // of StartDownload; "" for RequestInformation alone
  std::string reason;
  std::string file = "(any)";  // what the file holds; "(none)": there is none
  int requests = -1;

  friend std::ostream& operator<<(std::ostream& out, const Case& c) { return out << c.name; }
};

class Outcomes : public TransferTest, public testing::WithParamInterface<Case> {};

TEST_P(Outcomes, EndWithTheirEventReasonAndFile) {
  const Case& c = GetParam();
  control.SetTimeouts(10, 2);
  server.Route("/v", c.answer);
  server.RouteHead("/headed", Length("100000"));
  server.Route("/headed", Response::Head("HTTP/1.1 200 OK").Send(kBody.substr(0, 5000)));
  server.Route("/new", Response::Ok("moved body"));
  server.Route("/mid", Response::Redirect("{base}/new", 301));
  server.Route("/kept", Length("10").Send("moved body").Hold());
  server.Route("/b", Response::Redirect("{base}/insecure"));
  server.Route("/insecure", Response::Ok("moved body"));  // which no request may reach
  std::istringstream words(c.setUp);
  for (std::string word; words >> word;) {
    size_t count = std::strtoull(word.substr(word.find('=') + 1).c_str(), nullptr, 10);
    if (word == "dead") control.SetUrl("http://127.0.0.1:1/v");
    if (word == "https") control.SetUrl(server.SecureUrl("/v"));
    if (word == "untrusted") unsetenv("SSL_CERT_FILE");
    if (word.starts_with("max=")) control.SetMaxBodySize(count);
    if (word.starts_with("wait=")) control.SetTimeouts(10, long(count));
    auto stopWhen = [this](bool cancel, std::function<bool()> when) {
      if (!cancel) control.SetStopCheck(when);
      onTurn = [this, cancel, when] {
        if (cancel && when()) control.CancelDownload();
      };
    };
    if (word.starts_with("stop="))
      stopWhen(false, [this, count] { return server.Requests().size() >= count; });
    if (word == "cancel=quiet") stopWhen(true, [this] { return log == "2 4 "; });
    if (word == "cancel=request") stopWhen(true, [this] { return !server.Requests().empty(); });
    if (word == "cancel=read") onProgress = [this] { control.CancelDownload(); };
    if (word == "cancel=before") control.CancelDownload();
    if (word == "other") control.SetUrl(server.Url("/headed"));
    if (word == "other") control.RequestInformation();
    if (word == "other") control.SetUrl(server.Url("/v"));
    if (word == "older") test::WriteFile(file, std::string(9000, 'o'));
    if (word == "nofolder") control.SetLocalFile((dir / "missing/v.flv").string());
  }

  if (c.closing.empty()) control.RequestInformation();
  bool completed = !c.closing.empty() && control.StartDownload();
  EXPECT_EQ(completed, c.closing == "complete");
  EXPECT_EQ(closing, c.closing) << log;
  EXPECT_EQ(control.FailureReason(), c.reason);
  // Only a request that brought no answer keeps its session for the next one.
  EXPECT_EQ(control.SessionOpen(), c.closing.empty() || c.closing == "error Could not find Url");
  std::string now = fs::exists(file) ? test::ReadFile(file) : "(none)";
  EXPECT_EQ(c.file == "(any)" ? c.file : now, c.file);
  EXPECT_EQ(c.file.starts_with("(") || c.closing.empty() ? c.file.size() : sizeAtClose,
            c.file.size());
  EXPECT_EQ(c.requests < 0 ? c.requests : int(server.Requests().size()), c.requests);
  for (const auto& request : server.Requests()) EXPECT_NE(request.target, "/insecure");
}

const char* kNotFound = "error Could not find Url";
const char* kNotRead = "error Could not read URL";
const char* kElsewhere = "Redirect to an address that is not http or https";
const std::string kMoved = "moved body";
Response Body(const std::string& body) { return Response::Ok(body); }
Response KeptOpen(const std::string& location, const std::string& body) {
  return Response::Head("HTTP/1.1 302 Found",
                        {{"Location", location}, {"Content-Length", std::to_string(body.size())}})
      .Send(body)
      .Hold();
}
// Four bytes a second for three seconds: never taken for a server gone quiet.
Response Crawl() {
  Response crawl = Length("12");
  for (int i = 0; i < 12; ++i) crawl.Send("x").Pause(250ms);
  return crawl;
}
const Response kDrip = Response::Head("HTTP/1.1 200 OK").Drip("x", 2s);
const Response kDripHead = Response::Raw("HTTP/1.1 200 OK\r\n").Drip("X-A: b\r\n", 100ms);
const Response kSilent = Response::Silent();

// clang-format off
INSTANTIATE_TEST_SUITE_P(Requests, Outcomes, testing::Values(
    Case{"ConnectionRefused", "dead", Body(""), kNotFound, "Connection refused", "(none)"},
    Case{"HeadConnectionRefused", "dead", Body(""), "", "Connection refused"},
    Case{"BodyShortOfItsLength", "", Length("5000").Send("abc"), kNotRead,
         "Body ended after 3 of 5000 bytes", "abc"},
    // The GET gives no length of its own: the HEAD's counts.
    Case{"BodyShortOfTheLengthItsHeadAnnounced", "", Response::Redirect("/headed"), kNotRead,
         "Body ended after 5000 of 100000 bytes", kBody.substr(0, 5000)},
    Case{"LengthAnnouncedForAnotherAddressDoesNotCount", "other",
         Response::Head("HTTP/1.1 200 OK").Send("abc"), "complete", "", "abc"},
    Case{"BodyOverTheMaximumSize", "max=10000", Body(kBody), kNotRead, "Too large", ""},
    // What came before the limit was passed is not kept either.
    Case{"BodyWithoutLengthOverTheMaximumSize", "max=10000", Response::Head("HTTP/1.1 200 OK")
         .Send(kBody.substr(0, 8000)).Pause(50ms).Generate(1ull << 34), kNotRead, "Too large", ""},
    Case{"BodyOfTheMaximumSize", "max=10000", Body(kBody.substr(0, 10000)), "complete", "",
         kBody.substr(0, 10000)},
    Case{"ServerNeverAnswers", "", kSilent, kNotFound, "Server sent nothing for 2 s", "(none)"},
    // A byte at once, the next after three seconds: under one a second.
    Case{"VideoUnderOneBytePerSecond", "", Length("100").Drip("x", 3s), kNotRead,
         "Server sent only 1 byte in 2 s", "xx"},
    Case{"CrawlingIsNoStall", "wait=1", Crawl(), "complete", "", "xxxxxxxxxxxx"},
    Case{"HeadNeverFinishes", "", kDripHead, "", "Not finished within 2 s"},
    Case{"RedirectLoop", "", Response::Redirect("/v"), kNotFound, "Too many redirects"},
    Case{"RedirectToAFile", "", Response::Redirect("file:///etc/passwd"), kNotFound, kElsewhere,
         "(none)"},
    Case{"HeadRedirectToFtp", "", Response::Redirect("ftp://127.0.0.1/x"), "", kElsewhere},
    Case{"FolderOfTheFileMissing", "nofolder", Body("abc"), "error Could not write file",
         "Could not write file: No such file or directory"},
    Case{"LongerFileIsReplaced", "older", Body("new body"), "complete", "", "new body"},
    Case{"ErrorPageIsSavedLikeAnyBody", "", Response::WithStatus("HTTP/1.1 404 Not Found", "gone"),
         "complete", "", "gone"},
    Case{"CancelFromTheFirstRead", "cancel=read", Body(kBody.substr(0, 10000)), "cancelled 2048",
         "Cancelled", kBody.substr(0, 2048)},
    Case{"CancelBeforeTheStartIsForgotten", "cancel=before", Body("abc"), "complete", "", "abc"},
    // Were the cancel not seen while waiting, the stall limit would end it instead.
    Case{"CancelReachesAServerThatWentQuiet", "wait=30 cancel=quiet",
         Length("100000").Send(kBody.substr(0, 4096)).Hold(), "cancelled 4096", "Cancelled",
         kBody.substr(0, 4096)},
    Case{"CancelEndsTheHeadOfAFirstTransfer", "wait=30 cancel=request", kSilent, "cancelled 0",
         "Cancelled", "(none)", 1},
    // Each answer drips on for ever: only the stop or the wait limit ends it.
    Case{"StopEndsAHead", "stop=1", kDripHead, "", "Cancelled", "(any)", 1},
    Case{"StopEndsTheHeadOfAFirstTransfer", "stop=1", kDripHead, "cancelled 0", "Cancelled",
         "(none)", 1},
    Case{"StopEndsAPage", "wait=20 max=100000 stop=2", kDrip, "cancelled 0", "Cancelled", "(any)",
         2},
    Case{"StopEndsAVideo", "wait=20 stop=2", kDrip, "cancelled 0", "Cancelled", "(any)", 2},
    Case{"Redirect", "", Response::Redirect("/new"), "complete", "", kMoved},
    Case{"RelativeThenAbsolute", "", Response::Redirect("mid"), "complete", "", kMoved},
    // A redirect on a connection kept open ends with its declared body.
    Case{"RedirectKeptOpen", "", KeptOpen("/new", ""), "complete", "", kMoved},
    Case{"RedirectKeptOpenWithABody", "", KeptOpen("../new", "<a href=/new>moved</a>"),
         "complete", "", kMoved},
    Case{"RedirectToABodyKeptOpen", "", KeptOpen("/kept", ""), "complete", "", kMoved},
    // Over https with verification on, and never on over plain http.
    Case{"HttpsToHttps", "https", Response::Redirect("{secure}/new"), "complete", "", kMoved},
    Case{"HttpsToARelativeAddress", "https", Response::Redirect("/new"), "complete", "", kMoved},
    Case{"HttpToHttps", "", Response::Redirect("{secure}/new"), "complete", "", kMoved},
    Case{"HttpsToHttp", "https", Response::Redirect("{base}/insecure"), kNotFound,
         "Insecure redirect", "(none)"},
    Case{"HttpsToHttpsToHttp", "https", Response::Redirect("{secure}/b"), kNotFound,
         "Insecure redirect", "(none)"},
    Case{"HttpToHttpsToHttp", "", Response::Redirect("{secure}/b"), kNotFound,
         "Insecure redirect", "(none)"},
    Case{"UntrustedCertificate", "https untrusted", Body("abc"), kNotFound,
         "Server's certificate not trusted", "(none)", 0}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });
// clang-format on

TEST_F(TransferTest, StartFromAHandlerOfItsOwnIsRefused) {
  server.Route("/v", Response::Ok(kBody.substr(0, 5000)));
  std::string nested;
  onProgress = [&] {
    nested += control.StartDownload() ? "1" : "0";
    control.RequestInformation();
  };
  EXPECT_TRUE(control.StartDownload());
  EXPECT_EQ(nested, "0000");
  EXPECT_EQ(test::ReadFile(file), kBody.substr(0, 5000));
}

TEST_F(TransferTest, BodyOverTwoGigabytesIsCountedWhole) {
  const uint64_t size = (uint64_t{1} << 31) + 5000;
  server.Route("/v", Length(std::to_string(size)).Generate(size));
  control.RequestInformation();
  control.SetFileSize(-1);
  int64_t reads = 0;
  onProgress = [&] {
    if (++reads % 4096 == 0) log.clear();
  };
  EXPECT_TRUE(control.StartDownload());
  EXPECT_TRUE(log.ends_with(" " + std::to_string(size) + " complete")) << log;
  EXPECT_EQ(reads, int64_t(size / 2048 + 2));  // the short read, the empty read
  EXPECT_EQ(fs::file_size(file), size);
}

}  // namespace
}  // namespace reelcatch
