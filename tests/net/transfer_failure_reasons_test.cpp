// The Download control tells why a request failed, and no wait of it lasts
// for ever or outlives the run's stop.
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "transfer_fixture.h"

namespace reelcatch {
namespace {

using namespace std::chrono_literals;
using test::Response;
using test::ScriptedServer;

struct ReasonCase {
  const char* name;
  // Serves the answers and sets the control up; its Url is "/v" unless set here.
  std::function<void(ScriptedServer&, Download&)> setUp;
  bool head;                                       // RequestInformation instead of StartDownload
  std::string closing;                             // the closing event of StartDownload
  std::string reason;                              // what FailureReason() says afterwards
  std::optional<std::string> file = std::nullopt;  // the local file, when it is to be checked

  friend std::ostream& operator<<(std::ostream& out, const ReasonCase& c) { return out << c.name; }
};

class FailureReasonTest : public TransferTest, public testing::WithParamInterface<ReasonCase> {};

TEST_P(FailureReasonTest, SaysWhyTheRequestFailed) {
  const ReasonCase& c = GetParam();
  control.SetTimeouts(10, 2);
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));
  c.setUp(server, control);
  events.log.clear();

  if (c.head) {
    control.RequestInformation();
    EXPECT_TRUE(events.log.empty());
  } else {
    control.StartDownload();
    ASSERT_FALSE(events.log.empty());
    EXPECT_EQ(events.log.back(), c.closing);
  }
  EXPECT_EQ(control.FailureReason(), c.reason);
  if (c.file) {
    EXPECT_EQ(ReadWhole(dir.File("v.flv")), *c.file);
  }
}

Response LengthThen(const std::string& length, const std::string& body) {
  return Response::Head("HTTP/1.1 200 OK", {{"Content-Length", length}}).Send(body);
}

const std::string kBody = ScriptedServer::GeneratedBody(20000);
const char* kNotFound = "error Could not find Url";
const char* kNotRead = "error Could not read URL";

INSTANTIATE_TEST_SUITE_P(
    Failures, FailureReasonTest,
    testing::Values(
        ReasonCase{"ConnectionRefused", [](auto&, Download& d) { d.SetUrl(DeadUrl("/v")); }, false,
                   kNotFound, "Connection refused", ""},
        ReasonCase{"HeadConnectionRefused", [](auto&, Download& d) { d.SetUrl(DeadUrl("/v")); },
                   true, "", "Connection refused"},
        ReasonCase{"BodyShortOfItsLength",
                   [](ScriptedServer& s, auto&) { s.Route("/v", LengthThen("5000", "abc")); },
                   false, kNotRead, "Body ended after 3 of 5000 bytes", "abc"},
        // The GET gives no length of its own: the HEAD's counts.
        ReasonCase{
            "BodyShortOfTheLengthItsHeadAnnounced",
            [](ScriptedServer& s, Download& d) {
              s.RouteHead("/v", Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "100000"}}));
              s.Route("/v", Response::Head("HTTP/1.1 200 OK").Send(kBody.substr(0, 5000)));
              d.RequestInformation();
            },
            false, kNotRead, "Body ended after 5000 of 100000 bytes", kBody.substr(0, 5000)},
        ReasonCase{"LengthAnnouncedForAnotherAddressDoesNotCount",
                   [](ScriptedServer& s, Download& d) {
                     s.Route("/other", LengthThen("100000", ""));
                     s.Route("/v", Response::Head("HTTP/1.1 200 OK").Send("abc"));
                     d.SetUrl(s.Url("/other"));
                     d.RequestInformation();
                     d.SetUrl(s.Url("/v"));
                   },
                   false, "complete", "", "abc"},
        ReasonCase{"BodyOverTheMaximumSize",
                   [](ScriptedServer& s, Download& d) {
                     d.SetMaxBodySize(10000);
                     s.Route("/v", Response::Ok(kBody));
                   },
                   false, kNotRead, "Too large", ""},
        ReasonCase{"BodyWithoutLengthOverTheMaximumSize",
                   [](ScriptedServer& s, Download& d) {
                     d.SetMaxBodySize(10000);
                     // What came before the limit was passed is not kept either.
                     s.Route("/v", Response::Head("HTTP/1.1 200 OK")
                                       .Send(kBody.substr(0, 8000))
                                       .Pause(50ms)
                                       .Generate(uint64_t{1} << 34));
                   },
                   false, kNotRead, "Too large", ""},
        ReasonCase{"BodyOfTheMaximumSize",
                   [](ScriptedServer& s, Download& d) {
                     d.SetMaxBodySize(10000);
                     s.Route("/v", Response::Ok(kBody.substr(0, 10000)));
                   },
                   false, "complete", "", kBody.substr(0, 10000)},
        ReasonCase{"ServerNeverAnswers",
                   [](ScriptedServer& s, auto&) { s.Route("/v", Response::Silent()); }, false,
                   kNotFound, "Server sent nothing for 2 s", ""},
        // One byte at once, the next after three seconds: under one a second
        // over the second window.
        ReasonCase{
            "VideoUnderOneBytePerSecond",
            [](ScriptedServer& s, auto&) {
              s.Route("/v",
                      Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "100"}}).Drip("x", 3s));
            },
            false, kNotRead, "Server sent only 1 byte in 2 s", "xx"},
        ReasonCase{"PageNeverFinishes",
                   [](ScriptedServer& s, Download& d) {
                     d.SetMaxBodySize(100000);
                     s.Route("/v", Response::Head("HTTP/1.1 200 OK").Drip("x", 100ms));
                   },
                   false, kNotRead, "Not finished within 2 s"},
        ReasonCase{"HeadNeverFinishes",
                   [](ScriptedServer& s, auto&) {
                     s.Route("/v", Response::Raw("HTTP/1.1 200 OK\r\n").Drip("X-A: b\r\n", 100ms));
                   },
                   true, "", "Not finished within 2 s"},
        ReasonCase{"RedirectLoop",
                   [](ScriptedServer& s, auto&) { s.Route("/v", Response::Redirect("/v")); }, false,
                   kNotFound, "Too many redirects", ""},
        ReasonCase{"RedirectToAFile",
                   [](ScriptedServer& s, auto&) {
                     s.Route("/v", Response::Redirect("file:///etc/passwd"));
                   },
                   false, kNotFound, "Redirect to an address that is not http or https", ""},
        ReasonCase{"HeadRedirectToFtp",
                   [](ScriptedServer& s, auto&) {
                     s.Route("/v", Response::Redirect("ftp://127.0.0.1/x"));
                   },
                   true, "", "Redirect to an address that is not http or https"},
        ReasonCase{"FolderOfTheFileMissing",
                   [](ScriptedServer& s, Download& d) {
                     s.Route("/v", Response::Ok("abc"));
                     d.SetLocalFile(d.LocalFile() + ".missing/v.flv");
                   },
                   false, "error Could not write file",
                   "Could not write file: No such file or directory"}),
    [](const testing::TestParamInfo<ReasonCase>& info) { return info.param.name; });

// ---- The run's stop ----

struct StopCase {
  const char* name;
  bool head;       // RequestInformation instead of StartDownload
  bool page;       // a transfer with a maximum body size
  bool headDrips;  // the HEAD never ends (else the GET never does)
  std::string closing;

  friend std::ostream& operator<<(std::ostream& out, const StopCase& c) { return out << c.name; }
};

class StopCheckTest : public TransferTest, public testing::WithParamInterface<StopCase> {};

// Each answer drips on for ever at under one byte a second; only the stop
// or the wait limit can end it, and the limit would say so.
TEST_P(StopCheckTest, EndsAnyWaitAsACancelWould) {
  const StopCase& c = GetParam();
  control.SetTimeouts(10, 20);
  Response dripping = Response::Raw("HTTP/1.1 200 OK\r\n").Drip("X-A: b\r\n", 2s);
  server.RouteHead("/v", c.headDrips ? dripping : Response::Head("HTTP/1.1 200 OK"));
  server.Route("/v", Response::Head("HTTP/1.1 200 OK").Drip("x", 2s));
  if (c.page) control.SetMaxBodySize(100000);
  control.SetUrl(server.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));
  // The stop comes once the request to be stopped has reached the server.
  const size_t requests = c.head || c.headDrips ? 1 : 2;
  control.SetStopCheck([&] { return server.Requests().size() >= requests; });

  if (c.head) {
    control.RequestInformation();
  } else {
    EXPECT_FALSE(control.StartDownload());
  }

  EXPECT_EQ(control.FailureReason(), "Cancelled");
  std::vector<std::string> closing;
  if (!c.closing.empty()) closing.push_back(c.closing);
  EXPECT_EQ(events.log, closing);
  EXPECT_EQ(server.Requests().size(), requests);
}

INSTANTIATE_TEST_SUITE_P(
    Waits, StopCheckTest,
    testing::Values(StopCase{"Head", true, false, true, ""},
                    StopCase{"HeadOfAFirstTransfer", false, false, true, "cancelled 0"},
                    StopCase{"Page", false, true, false, "cancelled 0"},
                    StopCase{"Video", false, false, false, "cancelled 0"}),
    [](const testing::TestParamInfo<StopCase>& info) { return info.param.name; });

}  // namespace
}  // namespace reelcatch
