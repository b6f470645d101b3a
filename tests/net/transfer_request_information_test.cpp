#include <string>
#include <vector>

#include "transfer_fixture.h"

namespace reelcatch {
namespace {

using test::Response;

struct FactsCase {
  const char* name;
  std::string answer;  // status line and header lines, each with CR LF
  bool fileExists;
  float fileSize;
  std::string remoteFileType;
  std::string remoteFileName;
  std::string lastModified;
};

// Pads an answer with a filler header so that its block (without the blank
// line) is exactly `size` bytes long.
std::string BlockOfSize(const std::string& statusLine, std::size_t size) {
  std::string head = statusLine + "\r\nX-Fill: ";
  return head + std::string(size - head.size() - 2, 'f') + "\r\n";
}

class FactsTest : public TransferTest, public testing::WithParamInterface<FactsCase> {};

TEST_P(FactsTest, ReadsTheFinalAnswersHeaderBlock) {
  const FactsCase& c = GetParam();
  server.Route("/v", Response::Raw(c.answer + "\r\n"));
  control.SetUrl(server.Url("/v"));

  control.RequestInformation();

  EXPECT_EQ(control.FileExists(), c.fileExists);
  EXPECT_EQ(control.FileSize(), c.fileSize);
  EXPECT_EQ(control.RemoteFileType(), c.remoteFileType);
  EXPECT_EQ(control.RemoteFileName(), c.remoteFileName);
  EXPECT_EQ(control.LastModified(), c.lastModified);
  EXPECT_TRUE(events.log.empty());
}

const char* kNa = "Not Available";

INSTANTIATE_TEST_SUITE_P(
    Answers, FactsTest,
    testing::Values(
        FactsCase{"VideoWithLength",
                  "HTTP/1.1 200 OK\r\nContent-Length: 1048576\r\nContent-Type: video/x-flv\r\n",
                  true, 1048576, "x-flv", "", kNa},
        FactsCase{"TypeKeepsParameters",
                  "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=UTF-8\r\n", true, -1,
                  "html; charset=UTF-8", "", kNa},
        FactsCase{"TypeWithoutSlashStaysWhole", "HTTP/1.1 200 OK\r\ncontent-type: Weird\r\n", true,
                  -1, "Weird", "", kNa},
        FactsCase{"QuotedFileNameKeepsQuotes",
                  "HTTP/1.1 200 OK\r\nContent-Disposition: attachment; filename=\"clip.flv\"\r\n",
                  true, -1, "", "\"clip.flv\"", kNa},
        FactsCase{"LastModifiedWithBlank",
                  "HTTP/1.1 200 OK\r\nLast-Modified: Tue, 01 May 2007 10:00:00 GMT\r\n", true, -1,
                  "", "", "Tue, 01 May 2007 10:00:00 GMT"},
        FactsCase{"LastModifiedWithoutBlank",
                  "HTTP/1.1 200 OK\r\nLast-Modified:Tue, 01 May 2007 10:00:00 GMT\r\n", true, -1,
                  "", "", kNa},
        FactsCase{"NotFoundStillGivesSize", "HTTP/1.1 404 Not Found\r\nContent-Length: 345\r\n",
                  false, 345, "", "", kNa},
        FactsCase{"FileNotFound", "HTTP/1.1 404 FILE NOT FOUND\r\n", false, -1, "", "", kNa},
        FactsCase{"OtherReasonPhrase", "HTTP/1.1 404 Gone Away\r\n", true, -1, "", "", kNa},
        FactsCase{"NotFoundOverHttp10", "HTTP/1.0 404 Not Found\r\n", true, -1, "", "", kNa},
        FactsCase{"LengthNotANumber", "HTTP/1.1 200 OK\r\nContent-Length: 12abc\r\n", true, -1, "",
                  "", kNa},
        // Lengths the HTTP layer itself refuses: the rest of the block is
        // still read.
        FactsCase{"LengthOfLetters",
                  "HTTP/1.1 200 OK\r\nContent-Length: abc\r\nContent-Type: video/x-flv\r\n", true,
                  -1, "x-flv", "", kNa},
        FactsCase{"LengthEmpty",
                  "HTTP/1.1 200 OK\r\nContent-Length: \r\nContent-Type: video/mp4\r\n", true, -1,
                  "mp4", "", kNa},
        FactsCase{"LengthNegative",
                  "HTTP/1.1 404 Not Found\r\nContent-Length: -5\r\nContent-Type: text/html\r\n",
                  false, -1, "html", "", kNa},
        FactsCase{"LengthTooLarge",
                  "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n", true, -1, "",
                  "", kNa},
        FactsCase{"BlockJustFits", BlockOfSize("HTTP/1.1 200 OK\r\nContent-Type: video/mp4", 1023),
                  true, -1, "mp4", "", kNa},
        FactsCase{"BlockTooLong", BlockOfSize("HTTP/1.1 200 OK\r\nContent-Type: video/mp4", 1024),
                  true, -1, "", "", kNa},
        FactsCase{"BlockTooLongNotOk",
                  BlockOfSize("HTTP/1.1 404 Not Found\r\nContent-Type: video/mp4", 1500), false, -1,
                  "", "", kNa}),
    [](const testing::TestParamInfo<FactsCase>& info) { return info.param.name; });

struct CredentialsCase {
  const char* name;
  std::string user;
  std::string password;
  std::string authorization;  // empty: none sent
};

class CredentialsTest : public TransferTest, public testing::WithParamInterface<CredentialsCase> {};

TEST_P(CredentialsTest, HeadIsHttp10FromTheServerWithCredentialsOnlyForAUser) {
  const CredentialsCase& c = GetParam();
  server.Route("/v", Response::Ok("body"));
  control.SetUrl(server.Url("/v"));
  control.SetSiteUser(c.user);
  control.SetSitePassword(c.password);

  control.RequestInformation();

  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const test::RecordedRequest& head = requests[0];
  EXPECT_EQ(head.method, "HEAD");
  EXPECT_EQ(head.target, "/v");
  EXPECT_EQ(head.version, "HTTP/1.0");
  EXPECT_EQ(head.Header("Pragma"), "no-cache");
  EXPECT_EQ(head.Header("Cache-Control"), "no-cache");
  EXPECT_EQ(head.Header("User-Agent"), Download::kUserAgent);
  EXPECT_EQ(head.Header("Authorization"), c.authorization);
}

INSTANTIATE_TEST_SUITE_P(
    Credentials, CredentialsTest,
    testing::Values(CredentialsCase{"None", "", "", ""},
                    CredentialsCase{"PasswordWithoutUserIgnored", "", "secret", ""},
                    CredentialsCase{"UserAndPassword", "user", "secret", "Basic dXNlcjpzZWNyZXQ="}),
    [](const testing::TestParamInfo<CredentialsCase>& info) { return info.param.name; });

// Redirects are followed hop by hop by the control itself: the credentials
// go along only while the hops stay on the server they were given for.
TEST_F(TransferTest, CredentialsStayWithTheirServer) {
  test::ScriptedServer other;
  server.Route("/a", Response::Redirect("/b"));
  server.Route("/b", Response::Redirect(other.Url("/c")));
  other.Route("/c", Response::Ok("12345"));
  control.SetUrl(server.Url("/a"));
  control.SetSiteUser("user");
  control.SetSitePassword("secret");

  control.RequestInformation();

  EXPECT_EQ(control.FileSize(), 5);
  auto mine = server.Requests();
  ASSERT_EQ(mine.size(), 2u);
  for (const auto& request : mine) EXPECT_TRUE(request.HasHeader("Authorization"));
  ASSERT_EQ(other.Requests().size(), 1u);
  EXPECT_FALSE(other.Requests()[0].HasHeader("Authorization"));
}

TEST_F(TransferTest, RedirectIsFollowedToTheFinalAnswer) {
  server.Route("/old", Response::Raw("HTTP/1.1 301 Moved\r\nLocation: /new\r\n"
                                     "Content-Type: text/html\r\nContent-Length: 0\r\n\r\n"));
  server.Route("/new", Response::Ok("12345", {{"Content-Type", "video/x-flv"}}));
  control.SetUrl(server.Url("/old"));

  control.RequestInformation();

  EXPECT_TRUE(control.FileExists());
  EXPECT_EQ(control.FileSize(), 5);
  EXPECT_EQ(control.RemoteFileType(), "x-flv");
  EXPECT_EQ(control.StatusCode(), 200);
}

TEST_F(TransferTest, NoUsableAnswerClearsEarlierValues) {
  server.Route("/named", Response::Raw("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n"
                                       "Content-Type: video/x-flv\r\n"
                                       "Content-Disposition: filename=old.flv\r\n\r\n"));
  server.Route("/ftp", Response::Redirect("ftp://127.0.0.1/x"));
  for (const std::string& url : {DeadUrl("/v"), server.Url("/ftp")}) {
    SCOPED_TRACE(url);
    control.SetUrl(server.Url("/named"));
    control.RequestInformation();
    ASSERT_EQ(control.RemoteFileName(), "old.flv");

    control.SetUrl(url);
    control.RequestInformation();

    EXPECT_FALSE(control.FileExists());
    EXPECT_EQ(control.FileSize(), -1);
    EXPECT_EQ(control.RemoteFileName(), "");
    EXPECT_EQ(control.RemoteFileType(), "");
    EXPECT_EQ(control.LastModified(), "Not Available");
  }
}

TEST_F(TransferTest, SessionClosesAfterHeadOnlyOnceATransferHasRun) {
  server.Route("/v", Response::Ok("abc"));
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));

  control.RequestInformation();
  EXPECT_TRUE(control.SessionOpen());
  EXPECT_TRUE(control.StartDownload());
  EXPECT_FALSE(control.SessionOpen());
  control.RequestInformation();
  EXPECT_FALSE(control.SessionOpen());
  EXPECT_EQ(control.FileSize(), 3);
}

}  // namespace
}  // namespace reelcatch
