// A download asked for over https never goes on over plain http, for the
// HEAD and for the GET, however the redirects lead there. The https server
// is a TLS front with a certificate made for the test and trusted through
// SSL_CERT_FILE; verification stays on.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "support/tls_front.h"
#include "transfer_fixture.h"
#include "unit/shell_config_folder.h"

namespace reelcatch {
namespace {

using test::Response;
using test::ScriptedServer;
using test::TlsFront;

struct HopCase {
  const char* name;
  // Where the request starts and how /a and /b answer, given the plain
  // server and its https front.
  std::function<std::string(const ScriptedServer&, const TlsFront&)> start;
  std::function<Response(const ScriptedServer&, const TlsFront&)> a, b;
  std::string reason;  // empty: the body of /end arrives

  friend std::ostream& operator<<(std::ostream& out, const HopCase& c) { return out << c.name; }
};

class SecureRedirectTest : public TransferTest, public ::testing::WithParamInterface<HopCase> {
 protected:
  TlsFront front{server.Port()};
  reelcatch::testing::ScopedEnv trust{"SSL_CERT_FILE", front.CertificateFile()};
};

TEST_P(SecureRedirectTest, NeverLeadsFromHttpsToHttp) {
  const HopCase& c = GetParam();
  server.Route("/a", c.a(server, front));
  server.Route("/b", c.b(server, front));
  server.Route("/end", Response::Ok("the video"));
  control.SetUrl(c.start(server, front));
  control.SetLocalFile(dir.File("v.flv"));

  control.RequestInformation();
  EXPECT_EQ(control.FailureReason(), c.reason) << "HEAD";
  EXPECT_EQ(control.FileExists(), c.reason.empty());
  bool completed = control.StartDownload();
  EXPECT_EQ(control.FailureReason(), c.reason) << "GET";

  EXPECT_EQ(completed, c.reason.empty());
  EXPECT_EQ(ReadWhole(dir.File("v.flv")), c.reason.empty() ? "the video" : "");
  if (!c.reason.empty()) {
    for (const auto& request : server.Requests()) EXPECT_NE(request.target, "/end");
  }
}

std::string PlainA(const ScriptedServer& s, const TlsFront&) { return s.Url("/a"); }
std::string SecureA(const ScriptedServer&, const TlsFront& f) { return f.Url("/a"); }
Response ToPlainEnd(const ScriptedServer& s, const TlsFront&) {
  return Response::Redirect(s.Url("/end"));
}
Response ToSecureEnd(const ScriptedServer&, const TlsFront& f) {
  return Response::Redirect(f.Url("/end"));
}
Response ToSecureB(const ScriptedServer&, const TlsFront& f) {
  return Response::Redirect(f.Url("/b"));
}
Response Unused(const ScriptedServer&, const TlsFront&) { return Response::Silent(); }

INSTANTIATE_TEST_SUITE_P(
    Hops, SecureRedirectTest,
    ::testing::Values(
        HopCase{"HttpsToHttps", SecureA, ToSecureEnd, Unused, ""},
        HopCase{"HttpsToARelativeAddress", SecureA,
                [](const auto&, const auto&) { return Response::Redirect("/end"); }, Unused, ""},
        HopCase{"HttpToHttps", PlainA, ToSecureEnd, Unused, ""},
        HopCase{"HttpsToHttp", SecureA, ToPlainEnd, Unused, "Insecure redirect"},
        HopCase{"HttpsToHttpsToHttp", SecureA, ToSecureB, ToPlainEnd, "Insecure redirect"},
        HopCase{"HttpToHttpsToHttp", PlainA, ToSecureB, ToPlainEnd, "Insecure redirect"}),
    [](const ::testing::TestParamInfo<HopCase>& info) { return info.param.name; });

TEST_F(TransferTest, UntrustedCertificateIsRefused) {
  TlsFront front(server.Port());
  server.Route("/v", Response::Ok("the video"));
  control.SetUrl(front.Url("/v"));
  control.SetLocalFile(dir.File("v.flv"));

  EXPECT_FALSE(control.StartDownload());
  EXPECT_EQ(control.FailureReason(), "Server's certificate not trusted");
  EXPECT_TRUE(server.Requests().empty());
}

}  // namespace
}  // namespace reelcatch
