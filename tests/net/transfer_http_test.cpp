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

struct Case {
  const char* name;
  // Words that set the request up: "dead" (nothing listens), "https", "untrusted", "max=N"
  // (bytes of body), "wait=N", "stop=N" (after N requests), "other" (a HEAD of another
  // address first), "size=N" (after a HEAD), "older" (a longer file), "nofolder",
  // "cancel=read|before|quiet|request", "user" and "password" (the site's credentials).
  std::string setUp;
  Response answer;  // at /v
  // The events of StartDownload; or "head: " and the facts RequestInformation alone
  // learned, after a HEAD of another address that it must forget.
  std::string log;
  std::string reason;
  std::string file = "(any)";  // what the file holds; "(none)": there is none
  int requests = -1;
  std::string seen = "";  // the requests, when to be checked, each with " auth" when it had them

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
  server.Route("/kept", Length("10").Send("moved body").Hold());
  server.Route("/b", Response::Redirect("{base}/insecure"));
  server.Route("/c", Response::Redirect("{secure}/new"));  // another server: another port
  server.Route("/insecure", Response::Ok("moved body"));   // which no request may reach
  server.Route("/named", Response::Raw("HTTP/1.1 200 OK\r\nContent-Length: 10\r\nContent-Type: a/"
                                       "flv\r\nContent-Disposition: filename=old.flv\r\n\r\n"));
  std::istringstream words(c.setUp);
  for (std::string word; words >> word;) {
    size_t count = std::strtoull(word.substr(word.find('=') + 1).c_str(), nullptr, 10);
    if (word == "dead") control.SetUrl("http://127.0.0.1:1/v");
    if (word == "user") control.SetSiteUser("user");
    if (word == "password") control.SetSitePassword("secret");
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
    if (word.starts_with("size=")) control.RequestInformation();
    if (word.starts_with("size=")) control.SetFileSize(word == "size=-1" ? -1.0f : float(count));
  }

  const bool head = c.log.starts_with("head: ");
  if (head) {
    std::string url = control.Url();
    control.SetUrl(server.Url("/named"));
    control.RequestInformation();
    control.SetUrl(url);
    control.RequestInformation();
    std::ostringstream facts;
    facts << "head: " << control.FileExists() << " " << int64_t(control.FileSize()) << " "
          << control.RemoteFileType() << " " << control.RemoteFileName() << " "
          << control.LastModified();
    log = facts.str();
  }
  EXPECT_EQ(!head && control.StartDownload(), c.log.ends_with("complete"));
  EXPECT_EQ(log, c.log);
  EXPECT_EQ(control.FailureReason(), c.reason);
  // Only a request that brought no answer keeps its session for the next one.
  EXPECT_EQ(control.SessionOpen(), head || c.log.ends_with("error Could not find Url"));
  std::string now = fs::exists(file) ? test::ReadFile(file) : "(none)";
  EXPECT_EQ(c.file == "(any)" ? c.file : now, c.file);
  EXPECT_EQ(c.file.starts_with("(") || head ? c.file.size() : sizeAtClose, c.file.size());
  EXPECT_EQ(c.requests < 0 ? c.requests : int(server.Requests().size()), c.requests);
  // HEAD over HTTP/1.0, asking the server itself; credentials only to their own server.
  std::string seen;
  for (const auto& r : server.Requests()) {
    EXPECT_NE(r.target, "/insecure");
    EXPECT_NE(r.head.find("\r\nUser-Agent: " + std::string(Download::kUserAgent) + "\r\n"),
              std::string::npos);
    bool head = r.method == "HEAD";
    EXPECT_EQ(r.head.find(" HTTP/1.0\r\n") != std::string::npos, head);
    EXPECT_EQ(r.head.find("\r\nPragma: no-cache\r\nCache-Control: no-cache") != std::string::npos,
              head);
    bool auth = r.head.find("\r\nAuthorization: Basic dXNlcjpzZWNyZXQ=\r\n") != std::string::npos;
    seen += r.method + r.target + (auth ? " auth " : " ");
  }
  EXPECT_EQ(c.seen.empty() ? "" : seen, c.seen);
}

const std::string kNotFound = "error Could not find Url";
const std::string kNotRead = "error Could not read URL";
const char* kNoFacts = "head: 0 -1   Not Available";
const char* kStatusOnly = "head: 1 -1   Not Available";  // a status line without its block
const char* kElsewhere = "Redirect to an address that is not http or https";
const std::string kMoved = "moved body";
const char* kWhole = "100 100 complete";
Response Body(const std::string& body) { return Response::Ok(body); }
Response KeptOpen(const std::string& location, const std::string& body) {
  return Response::Head("HTTP/1.1 302 Found",
                        {{"Location", location}, {"Content-Length", std::to_string(body.size())}})
      .Send(body)
      .Hold();
}
Response Pieces(size_t size, size_t piece) {
  Response answer = Length(std::to_string(size));
  for (size_t at = 0; at < size; at += piece) answer.Send(kBody.substr(at, piece)).Pause(2ms);
  return answer;
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
    // Reads of 2048 bytes, each with its progress: a percentage of the size, else bytes.
    Case{"ReadsOfTheSizeTheHeadGave", "", Body(kBody.substr(0, 5000)), "41 82 100 100 complete",
         "", kBody.substr(0, 5000)},
    Case{"ReadsOfAnUnknownSize", "size=-1", Pieces(5000, 5000), "2048 4096 5000 5000 complete",
         "", kBody.substr(0, 5000)},
    Case{"SmallPiecesMakeWholeReads", "size=-1", Pieces(5000, 700),
         "2048 4096 5000 5000 complete", "", kBody.substr(0, 5000)},
    Case{"ExactMultipleEndsWithAnEmptyRead", "size=-1", Pieces(4096, 4096),
         "2048 4096 4096 complete", "", kBody.substr(0, 4096)},
    Case{"EmptyBody", "size=-1", Pieces(0, 1), "0 complete", "", ""},
    Case{"ConnectionRefused", "dead", Body(""), kNotFound, "Connection refused", "(none)"},
    Case{"HeadConnectionRefused", "dead", Body(""), kNoFacts, "Connection refused"},
    Case{"HeadOfANotFound", "", Response::Head("HTTP/1.1 404 Not Found", {{"Content-Length", "3"}}),
         "head: 0 3   Not Available", ""},
    Case{"BodyShortOfItsLength", "", Length("5000").Send("abc"), "0 " + kNotRead,
         "Body ended after 3 of 5000 bytes", "abc"},
    // The GET gives no length of its own: the HEAD's counts.
    Case{"BodyShortOfTheLengthItsHeadAnnounced", "", Response::Redirect("/headed"),
         "2 4 5 " + kNotRead, "Body ended after 5000 of 100000 bytes", kBody.substr(0, 5000)},
    Case{"LengthAnnouncedForAnotherAddressDoesNotCount", "other",
         Response::Head("HTTP/1.1 200 OK").Send("abc"), "0 0 complete", "", "abc"},
    Case{"BodyOverTheMaximumSize", "max=10000", Body(kBody), kNotRead, "Too large", ""},
    // What came before the limit was passed is not kept either.
    Case{"BodyWithoutLengthOverTheMaximumSize", "max=10000", Response::Head("HTTP/1.1 200 OK")
         .Send(kBody.substr(0, 8000)).Pause(50ms).Generate(1ull << 34),
         "2048 4096 6144 " + kNotRead, "Too large", ""},
    Case{"BodyOfTheMaximumSize", "max=10000", Body(kBody.substr(0, 10000)),
         "20 41 61 82 100 100 complete", "", kBody.substr(0, 10000)},
    Case{"ServerNeverAnswers", "", kSilent, kNotFound, "Server sent nothing for 2 s", "(none)"},
    // A byte at once, the next after three seconds: under one a second.
    Case{"VideoUnderOneBytePerSecond", "", Length("100").Drip("x", 3s), "2 " + kNotRead,
         "Server sent only 1 byte in 2 s", "xx"},
    Case{"CrawlingIsNoStall", "wait=1", Crawl(), kWhole, "", "xxxxxxxxxxxx"},
    Case{"HeadNeverFinishes", "", kDripHead, kStatusOnly, "Not finished within 2 s"},
    // The first request and 20 hops, for the HEAD and the GET each.
    Case{"RedirectLoop", "", Response::Redirect("/v"), kNotFound, "Too many redirects", "(none)", 42},
    Case{"RedirectToAFile", "", Response::Redirect("file:///etc/passwd"), kNotFound, kElsewhere,
         "(none)"},
    Case{"HeadRedirectToFtp", "", Response::Redirect("ftp://127.0.0.1/x"), kNoFacts, kElsewhere},
    Case{"FolderOfTheFileMissing", "nofolder", Body("abc"), "error Could not write file",
         "Could not write file: No such file or directory"},
    Case{"LongerFileIsReplaced", "older", Body("new body"), kWhole, "", "new body"},
    Case{"CancelFromTheFirstRead", "cancel=read", Body(kBody.substr(0, 10000)),
         "20 cancelled 2048", "Cancelled", kBody.substr(0, 2048)},
    Case{"CancelBeforeTheStartIsForgotten", "cancel=before", Body("abc"), kWhole, "", "abc"},
    // Were the cancel not seen while waiting, the stall limit would end it instead.
    Case{"CancelReachesAServerThatWentQuiet", "wait=30 cancel=quiet",
         Length("100000").Send(kBody.substr(0, 4096)).Hold(), "2 4 cancelled 4096", "Cancelled",
         kBody.substr(0, 4096)},
    Case{"CancelEndsTheHeadOfAFirstTransfer", "wait=30 cancel=request", kSilent, "cancelled 0",
         "Cancelled", "(none)", 1},
    // Each answer drips on for ever: only the stop or the wait limit ends it.
    // The status line comes late, so the stop always finds the answer not begun.
    Case{"StopEndsAHead", "stop=2",
         Response::Raw("").Pause(2000ms).Send("HTTP/1.1 200 OK\r\n").Drip("X: y\r\n", 100ms),
         "head: 0 -1   Not Available", "Cancelled", "(any)", 2},
    Case{"StopEndsTheHeadOfAFirstTransfer", "stop=1", kDripHead, "cancelled 0", "Cancelled",
         "(none)", 1},
    Case{"StopEndsAPage", "wait=20 max=100000 stop=2", kDrip, "cancelled 0", "Cancelled", "(any)",
         2},
    Case{"StopEndsAVideo", "wait=20 stop=2", kDrip, "cancelled 0", "Cancelled", "(any)", 2},
    Case{"Redirect", "", Response::Redirect("/new"), kWhole, "", kMoved},
    Case{"RedirectKeptOpen", "", KeptOpen("/new", ""), kWhole, "", kMoved},
    Case{"RedirectKeptOpenWithABody", "", KeptOpen("../new", "<a href=/new>moved</a>"), kWhole,
         "", kMoved},
    Case{"RedirectToABodyKeptOpen", "", KeptOpen("/kept", ""), kWhole, "", kMoved},
    // Over https with verification on, and never on over plain http.
    Case{"HttpsToHttps", "https", Response::Redirect("{secure}/new"), kWhole, "", kMoved},
    Case{"HttpsToARelativeAddress", "https", Response::Redirect("/new"), kWhole, "", kMoved},
    Case{"HttpToHttps", "", Response::Redirect("{secure}/new"), kWhole, "", kMoved},
    Case{"HttpsToHttp", "https", Response::Redirect("{base}/insecure"), kNotFound,
         "Insecure redirect", "(none)"},
    Case{"HttpsToHttpsToHttp", "https", Response::Redirect("{secure}/b"), kNotFound,
         "Insecure redirect", "(none)"},
    Case{"HttpToHttpsToHttp", "", Response::Redirect("{secure}/b"), kNotFound,
         "Insecure redirect", "(none)"},
    Case{"CredentialsStayWithTheirServer", "user password", Response::Redirect("/c"), kWhole, "",
         kMoved, -1, "HEAD/v auth HEAD/c auth HEAD/new GET/v GET/c GET/new "},
    Case{"PasswordWithoutAUserIsNeverSent", "password", Body("abc"), kWhole, "", "abc", -1,
         "HEAD/v GET/v "},
    Case{"UntrustedCertificate", "https untrusted", Body("abc"), kNotFound,
         "Server's certificate not trusted", "(none)", 0}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });
// clang-format on

}  // namespace
}  // namespace reelcatch
