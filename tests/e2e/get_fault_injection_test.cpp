// reelcatch-get against servers and disks that misbehave: every broken
// answer ends its item as ERROR (never Complete), leaves only the item's own
// file in the download folder, and the next item of the same run still
// downloads.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "e2e/get_run_fixture.h"
#include "support/tls_front.h"

namespace reelcatch::test {
namespace {

using namespace std::chrono_literals;

std::string Bytes(size_t size) { return ScriptedServer::GeneratedBody(size); }

const std::string kGoodBody = Bytes(5000);

// Where a case's answers are played: for answers that point elsewhere.
struct Place {
  std::string base;
  fs::path root;
  uint16_t port = 0;
  std::string secureBase;  // the same server through https
};

struct FaultCase {
  std::string name;
  // The answer at the bad item's video address.
  std::function<Response(const Place&)> video;
  // The bad item's page; by default one that points at videoPath.
  std::function<Response(const Place&)> page = nullptr;
  std::string videoPath = "/v/bad.flv";
  std::string fileName = "bad.flv";
  std::string status = "ERROR";
  std::string fileSize;
  // What the bad item leaves in the download folder, by name.
  std::map<std::string, std::string> files = {};
  // Why it failed, as the program says on stderr (the start of it).
  std::string reason = "";
  // The answer to a HEAD of the video address, when it differs.
  std::function<Response(const Place&)> videoHead = nullptr;
  // The page links the video through https.
  bool secure = false;
  // More options for the program.
  std::vector<std::string> options = {};

  friend std::ostream& operator<<(std::ostream& out, const FaultCase& c) { return out << c.name; }
};

Response VideoHead(Headers headers) {
  return Response::Head("HTTP/1.1 200 OK", std::move(headers));
}

Response Chunked(const std::string& chunks) {
  return VideoHead({{"Transfer-Encoding", "chunked"}}).Send(chunks);
}

Response LengthThenShortBody(const std::string& length) {
  return VideoHead({{"Content-Length", length}}).Send(Bytes(1000));
}

Response LengthThenWholeBody(const std::string& length) {
  return VideoHead({{"Content-Length", length}}).Send(kGoodBody);
}

// The largest page the program takes.
constexpr uint64_t kPageLimit = 16 * 1024 * 1024;

// Sends the start of a header block, then header lines for ever.
Response EndlessHead() { return Response::Raw("HTTP/1.1 200 OK\r\n").Drip("X-A: b\r\n", 100ms); }

Headers ManyHeaderLines(int count) {
  Headers headers;
  for (int i = 0; i < count; ++i) headers.emplace_back("X-Line-" + std::to_string(i), "v");
  headers.emplace_back("Content-Length", "5000");
  return headers;
}

std::vector<FaultCase> FaultCases() {
  const std::string withNul("attachment; filename=ev\0il.mp4", 30);
  const std::string cutChunks =
      "800\r\n" + Bytes(2148).substr(0, 2048) + "\r\n800\r\n" + Bytes(2148).substr(2048);
  return {
      {.name = "BodyShorterThanItsLength",
       .video =
           [](const Place&) {
             return VideoHead({{"Content-Length", "10000"}}).Send(Bytes(3000));
           },
       .fileSize = "9.8 KB",
       .files = {{"bad.flv.part", Bytes(3000)}},
       .reason = "Body ended after 3000 of 10000 bytes\n"},
      {.name = "ChunkedBodyCutBeforeItsLastChunk",
       .video = [cutChunks](const Place&) { return Chunked(cutChunks); },
       .fileSize = "0",
       .files = {{"bad.flv.part", Bytes(2148)}},
       .reason = "Body ended early\n"},
      // The status line came: the file is there, its size not known.
      {.name = "HeadersWithoutTheirBlankLine",
       .video =
           [](const Place&) { return Response::Raw("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n"); },
       .fileSize = "0",
       .reason = "Server's answer ended early\n"},
      {.name = "JunkChunkSize",
       .video = [](const Place&) { return Chunked("zz\r\nhello\r\n0\r\n\r\n"); },
       .fileSize = "0",
       .files = {{"bad.flv.part", ""}},
       .reason = "Server sent a broken answer\n"},
      {.name = "NegativeChunkSize",
       .video = [](const Place&) { return Chunked("-5\r\nhello\r\n0\r\n\r\n"); },
       .fileSize = "0",
       .files = {{"bad.flv.part", ""}}},
      {.name = "ChunkSizeOfSeventeenDigits",
       .video = [](const Place&) { return Chunked("10000000000000000\r\nhello\r\n0\r\n\r\n"); },
       .fileSize = "0",
       .files = {{"bad.flv.part", ""}}},
      {.name = "HugeChunkSizeThenClose",
       .video = [](const Place&) { return Chunked("7fffffffffffffff\r\n" + Bytes(3000)); },
       .fileSize = "0",
       .files = {{"bad.flv.part", Bytes(3000)}}},
      {.name = "TwoDifferentLengths",
       .video =
           [](const Place&) {
             return VideoHead({{"Content-Length", "5"}, {"Content-Length", "10"}}).Send("hello");
           },
       .fileSize = "5 Bytes",
       .files = {{"bad.flv.part", "hello"}},
       .reason = "Server gave no usable body length\n"},
      {.name = "LengthOf2To31",
       .video = [](const Place&) { return LengthThenShortBody("2147483648"); },
       .fileSize = "2 GB",
       .files = {{"bad.flv.part", Bytes(1000)}}},
      {.name = "LengthOf2To32",
       .video = [](const Place&) { return LengthThenShortBody("4294967296"); },
       .fileSize = "4 GB",
       .files = {{"bad.flv.part", Bytes(1000)}}},
      {.name = "LengthOf2To40",
       .video = [](const Place&) { return LengthThenShortBody("1099511627776"); },
       .fileSize = "",
       .files = {{"bad.flv.part", Bytes(1000)}},
       .reason = "Body ended after 1000 of 1099511627776 bytes\n"},
      // A length beyond 64 bits counts as not given; the body cut short of
      // it still never passes for whole.
      {.name = "LengthOf2To64",
       .video = [](const Place&) { return LengthThenShortBody("18446744073709551616"); },
       .fileSize = "0",
       .files = {{"bad.flv.part", Bytes(1000)}}},
      // A length that is no plain number counts as not given, on the HEAD
      // and on the GET: the body is read to its end and counts as whole.
      {.name = "LengthOfLetters",
       .video = [](const Place&) { return LengthThenWholeBody("abc"); },
       .status = "Complete",
       .fileSize = "0",
       .files = {{"bad.flv", kGoodBody}}},
      {.name = "EmptyLength",
       .video = [](const Place&) { return LengthThenWholeBody(""); },
       .status = "Complete",
       .fileSize = "0",
       .files = {{"bad.flv", kGoodBody}}},
      {.name = "NegativeLength",
       .video = [](const Place&) { return LengthThenWholeBody("-5"); },
       .status = "Complete",
       .fileSize = "0",
       .files = {{"bad.flv", kGoodBody}}},
      {.name = "LengthWithLettersAfterIt",
       .video = [](const Place&) { return LengthThenWholeBody("12abc"); },
       .status = "Complete",
       .fileSize = "0",
       .files = {{"bad.flv", kGoodBody}}},
      {.name = "LengthWithAPlusSign",
       .video = [](const Place&) { return LengthThenWholeBody("+12"); },
       .status = "Complete",
       .fileSize = "0",
       .files = {{"bad.flv", kGoodBody}}},
      // A server that keeps the connection open after a body of the length
      // it gave.
      {.name = "ConnectionKeptOpenAfterTheBody",
       .video =
           [](const Place&) {
             return VideoHead({{"Content-Length", "5000"}}).Send(kGoodBody).Hold();
           },
       .status = "Complete",
       .fileSize = "4.9 KB",
       .files = {{"bad.flv", kGoodBody}}},
      {.name = "HeaderLineOf100KiB",
       .video =
           [](const Place&) {
             return VideoHead(
                        {{"X-Padding", std::string(100 * 1024, 'a')}, {"Content-Length", "5000"}})
                 .Send(Bytes(5000));
           },
       .fileSize = "0",
       .reason = "Server's headers too large\n"},
      // The block is too big to read facts from, but the body arrives whole.
      {.name = "FiveThousandHeaderLines",
       .video = [](const Place&) { return VideoHead(ManyHeaderLines(5000)).Send(Bytes(5000)); },
       .status = "Complete",
       .fileSize = "0",
       .files = {{"bad.flv", Bytes(5000)}}},
      {.name = "NulInAHeader",
       .video =
           [withNul](const Place&) {
             return VideoHead({{"Content-Length", "5000"}, {"Content-Disposition", withNul}})
                 .Send(Bytes(5000));
           },
       .videoPath = "/v/named",
       .fileName = "named",
       .fileSize = "0"},
      {.name = "NulBytesInThePage",
       .video = [](const Place&) { return Response::Ok(Bytes(5000)); },
       .page =
           [](const Place& at) {
             std::string nul(1, '\0');
             return Response::Ok(nul + "<html>" + nul + "<embed src=\"" + at.base +
                                 "/v/bad.flv\" />" + nul + nul);
           },
       .status = "Complete",
       .fileSize = "4.9 KB",
       .files = {{"bad.flv", Bytes(5000)}}},
      // The address up to the NUL exists, but it is not the address.
      {.name = "NulInTheVideoAddress",
       .video = [](const Place&) { return Response::Ok(Bytes(5000)); },
       .page =
           [](const Place& at) {
             return Response::Ok("<embed src=\"" + at.base + "/v/bad.flv" + std::string(1, '\0') +
                                 "x.flv\" />");
           },
       .fileName = "bad.flvx.flv",
       .fileSize = "-1 Bytes"},
      {.name = "RedirectLoop",
       .video = [](const Place&) { return Response::Redirect("/v/bad.flv"); },
       .fileSize = "-1 Bytes",
       .reason = "Too many redirects\n"},
      {.name = "PageInARedirectLoop",
       .video = [](const Place&) { return Response::Ok(Bytes(5000)); },
       .page = [](const Place&) { return Response::Redirect("/angryalien.com/bad"); },
       .fileName = "Waiting (Auto Detect)",
       .fileSize = "????",
       .reason = "Page not fetched: Too many redirects\n"},
      {.name = "RedirectToAFileAddress",
       .video =
           [](const Place& at) {
             return Response::Redirect("file://" + (at.root / "secret.flv").string());
           },
       .fileSize = "-1 Bytes"},
      {.name = "RedirectToAnFtpAddress",
       .video =
           [](const Place& at) {
             return Response::Redirect("ftp://127.0.0.1:" + std::to_string(at.port) + "/bad.flv");
           },
       .fileSize = "-1 Bytes",
       .reason = "Redirect to an address that is not http or https\n"},
      {.name = "PageLinksAFileAddress",
       .video = [](const Place&) { return Response::Ok(Bytes(5000)); },
       .page =
           [](const Place& at) {
             return EmbedPage("file://" + (at.root / "http-secret.flv").string());
           },
       .fileName = "http-secret.flv",
       .fileSize = "-1 Bytes"},
      {.name = "PageOverTheSizeLimit",
       .video = [](const Place&) { return Response::Ok(kGoodBody); },
       .page =
           [](const Place&) {
             return VideoHead({{"Content-Length", std::to_string(kPageLimit + 1)}})
                 .Generate(kPageLimit + 1);
           },
       .fileName = "Waiting (Auto Detect)",
       .fileSize = "????",
       .reason = "Page too large\n"},
      {.name = "PageWithoutLengthOverTheSizeLimit",
       .video = [](const Place&) { return Response::Ok(kGoodBody); },
       .page = [](const Place&) { return VideoHead({}).Generate(kPageLimit + 1); },
       .fileName = "Waiting (Auto Detect)",
       .fileSize = "????",
       .reason = "Page too large\n"},
      {.name = "AddressOver8KiB",
       .video = [](const Place&) { return Response::Ok(kGoodBody); },
       .page =
           [](const Place& at) {
             return EmbedPage(at.base + "/v/" + std::string(8 * 1024, 'a') + ".flv");
           },
       .fileName = "Process failed.",
       .fileSize = "????",
       .reason = "No video found on the page\n"},
      {.name = "PageThatNeverFinishes",
       .video = [](const Place&) { return Response::Ok(kGoodBody); },
       .page = [](const Place&) { return VideoHead({}).Drip("<p>", 100ms); },
       .fileName = "Waiting (Auto Detect)",
       .fileSize = "????",
       .reason = "Page not fetched: Not finished within 2 s\n",
       .options = {"--wait", "2"}},
      // Nothing is known of the video, but it arrives whole.
      {.name = "HeadThatNeverFinishes",
       .video = [](const Place&) { return Response::Ok(kGoodBody); },
       .status = "Complete",
       .fileSize = "0",
       .files = {{"bad.flv", kGoodBody}},
       .videoHead = [](const Place&) { return EndlessHead(); },
       .options = {"--wait", "2"}},
      // A byte at once and one after 4.5 s: too few for the second window.
      {.name = "VideoUnderOneBytePerSecond",
       .video =
           [](const Place&) {
             return VideoHead({{"Content-Length", "5000"}}).Drip("x", 4500ms);
           },
       .fileSize = "4.9 KB",
       .files = {{"bad.flv.part", "xx"}},
       .reason = "Server sent only 1 byte in 3 s\n",
       .options = {"--wait", "3"}},
      {.name = "BodyShortOfTheSizeTheHeadAnnounced",
       .video = [](const Place&) { return VideoHead({}).Send(kGoodBody); },
       .fileSize = "97.7 KB",
       .files = {{"bad.flv.part", kGoodBody}},
       .reason = "Body ended after 5000 of 100000 bytes\n",
       .videoHead =
           [](const Place&) {
             return VideoHead({{"Content-Length", "100000"}});
           }},
      {.name = "RedirectFromHttpsToHttp",
       .video = [](const Place& at) { return Response::Redirect(at.base + "/v/plain.flv"); },
       .fileSize = "-1 Bytes",
       .reason = "Insecure redirect\n",
       .secure = true},
  };
}

class FaultInjection : public GetRunTest, public ::testing::WithParamInterface<FaultCase> {
 protected:
  void SetUp() override {
    GetRunTest::SetUp();
    extraEnv_.push_back("SSL_CERT_FILE=" + front_.CertificateFile());
  }
  // Serves the good item, and what a redirect might try to reach.
  void ServeGood() {
    server_.Route("/angryalien.com/good", EmbedPage(server_.Url("/v/good.flv")));
    server_.Route("/v/good.flv", Response::Ok(kGoodBody, {{"Content-Type", "video/x-flv"}}));
    server_.Route("/v/plain.flv", Response::Ok(kGoodBody));
    WriteBytes(root_ / "secret.flv", "not for the download folder");
    WriteBytes(root_ / "http-secret.flv", "nor this");
  }
  Place Here() const { return {server_.Url(""), root_, server_.Port(), front_.Url("")}; }

  TlsFront front_{server_.Port()};
};

TEST_P(FaultInjection, EndsTheItemAsErrorAndTheNextOneStillDownloads) {
  const FaultCase& fault = GetParam();
  ServeGood();
  Place here = Here();
  server_.Route(fault.videoPath, fault.video(here));
  if (fault.videoHead) server_.RouteHead(fault.videoPath, fault.videoHead(here));
  std::string videoBase = fault.secure ? here.secureBase : here.base;
  server_.Route("/angryalien.com/bad",
                fault.page ? fault.page(here) : EmbedPage(videoBase + fault.videoPath));
  Tree before = ReadTree(root_);

  std::vector<std::string> addresses = {server_.Url("/angryalien.com/bad"),
                                        server_.Url("/angryalien.com/good")};
  RunResult run = Download(downloads_, addresses, fault.options);

  bool complete = fault.status == "Complete";
  EXPECT_EQ(run.status, complete ? 0 : 1) << run.err;
  auto items = ParseListed(run.out, addresses);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].fileName, fault.fileName) << Visible(run.out);
  EXPECT_EQ(items[0].status, fault.status) << Visible(run.out);
  EXPECT_EQ(items[0].fileSize, fault.fileSize) << Visible(run.out);
  EXPECT_EQ(items[1].fileName, "good.flv");
  EXPECT_EQ(items[1].status, "Complete") << Visible(run.out);
  if (!fault.reason.empty()) {
    EXPECT_NE(run.err.find("[1] ERROR: " + fault.reason), std::string::npos) << Visible(run.err);
  }

  std::map<std::string, std::string> files = fault.files;
  files["good.flv"] = kGoodBody;
  EXPECT_EQ(TreeDifference(After(), Expected(before, files)), "");
}

INSTANTIATE_TEST_SUITE_P(BrokenAnswers, FaultInjection, ::testing::ValuesIn(FaultCases()),
                         [](const auto& info) { return info.param.name; });

// ---- A download folder that cannot take the files ----

class FolderFaults : public GetRunTest {
 protected:
  void SetUp() override {
    GetRunTest::SetUp();
    server_.Route("/angryalien.com/big", EmbedPage(server_.Url("/v/big.flv")));
    server_.Route("/v/big.flv",
                  VideoHead({{"Content-Length", std::to_string(kBig)}}).Generate(kBig));
    server_.Route("/angryalien.com/good", EmbedPage(server_.Url("/v/good.flv")));
    server_.Route("/v/good.flv", Response::Ok(kGoodBody));
  }
  void TearDown() override {
    if (mounted_) umount2(downloads_.c_str(), MNT_DETACH);
    if (immutable_) SetImmutable(downloads_, false);
    GetRunTest::TearDown();
  }

  static bool SetImmutable(const fs::path& path, bool on) {
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return done;
  }

  bool MountTmpfs(const std::string& options) {
    fs::create_directories(downloads_);
    mounted_ = mount("tmpfs", downloads_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    return mounted_;
  }

  std::vector<std::string> Addresses(const std::vector<std::string>& pages) const {
    std::vector<std::string> addresses;
    for (const std::string& page : pages)
      addresses.push_back(server_.Url("/angryalien.com/" + page));
    return addresses;
  }

  // Runs over both items into dir, which takes no file: both end ERROR and
  // nothing changes anywhere.
  void ExpectNothingWritten(const fs::path& dir) {
    Tree before = ReadTree(root_);
    std::vector<std::string> addresses = Addresses({"good", "big"});
    RunResult run = Download(dir, addresses);
    EXPECT_EQ(run.status, 1) << run.err;
    auto items = ParseListed(run.out, addresses);
    EXPECT_EQ(items[0].status, "ERROR") << Visible(run.out);
    EXPECT_EQ(items[1].status, "ERROR") << Visible(run.out);
    EXPECT_EQ(TreeDifference(After(), before), "");
  }

  static constexpr uint64_t kBig = 1 << 20;
  bool mounted_ = false;
  bool immutable_ = false;
};

TEST_F(FolderFaults, FolderUnderAPlainFileTakesNothing) {
  WriteBytes(root_ / "plain", "keep me");
  ExpectNothingWritten(root_ / "plain" / "videos");
}

TEST_F(FolderFaults, FolderThatIsAFileStaysUntouched) {
  WriteBytes(root_ / "plain", "keep me");
  ExpectNothingWritten(root_ / "plain");
}

TEST_F(FolderFaults, ImmutableFolderTakesNothing) {
  fs::create_directories(downloads_);
  immutable_ = SetImmutable(downloads_, true);
  if (!immutable_) GTEST_SKIP() << "this file system has no immutable flag for the test to set";
  ExpectNothingWritten(downloads_);
}

TEST_F(FolderFaults, ReadOnlyFileSystemTakesNothing) {
  if (!MountTmpfs("size=64k,mode=0755") ||
      mount(nullptr, downloads_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
    GTEST_SKIP() << "the test may not mount a file system here";
  }
  ExpectNothingWritten(downloads_);
}

// ---- Writes that fail midway ----

class WriteFailures;

// How the big item's writes are made to fail: before the run, or once its
// partial file holds kHeld bytes (the server holds the rest until then).
// Each says false when this machine does not let the test do it.
struct WriteFailureCase {
  std::string name;
  std::string reason;
  // The partial file stays; given up only for lack of room.
  bool partKept = false;
  ChildSetup setup = {};
  std::function<bool(WriteFailures&)> before = nullptr;
  std::function<bool(WriteFailures&)> midway = nullptr;

  friend std::ostream& operator<<(std::ostream& out, const WriteFailureCase& c) {
    return out << c.name;
  }
};

class WriteFailures : public FolderFaults, public ::testing::WithParamInterface<WriteFailureCase> {
 public:
  static constexpr uint64_t kHeld = 16 * 1024;

  bool MountSmallDisk() { return MountTmpfs("size=64k,mode=0755"); }
  bool FreezePart() {
    frozen_ = SetImmutable(downloads_ / "big.flv.part", true);
    return frozen_;
  }

 protected:
  void TearDown() override {
    if (frozen_) SetImmutable(downloads_ / "big.flv.part", false);
    FolderFaults::TearDown();
  }

 private:
  bool frozen_ = false;
};

std::vector<WriteFailureCase> WriteFailureCases() {
  return {
      {.name = "FullDisk",
       .reason = "Could not write file: No space left on device",
       .before = [](WriteFailures& test) { return test.MountSmallDisk(); }},
      // A file size limit is one that root must obey, too.
      {.name = "FileSizeLimit",
       .reason = "Could not write file: File too large",
       .setup = {.fileSizeLimit = 64 * 1024, .ignoreFileSizeSignal = true}},
      {.name = "FileMadeImmutable",
       .reason = "Could not write file: Operation not permitted",
       .partKept = true,
       .midway = [](WriteFailures& test) { return test.FreezePart(); }},
  };
}

// The item ends ERROR with the system's reason; a partial file that failed
// for lack of room is removed, so the next item still fits.
TEST_P(WriteFailures, EndTheItemAndTheNextOneStillFits) {
  const WriteFailureCase& failure = GetParam();
  const std::string body = Bytes(kBig);
  server_.Route("/v/big.flv", VideoHead({{"Content-Length", std::to_string(kBig)}})
                                  .Send(body.substr(0, kHeld))
                                  .Await("rest")
                                  .Send(body.substr(kHeld)));
  if (failure.before && !failure.before(*this)) GTEST_SKIP() << "not possible on this machine";
  if (!failure.midway) server_.Open("rest");
  Tree before = ReadTree(root_);
  std::vector<std::string> addresses = Addresses({"big", "good"});

  std::unique_ptr<ChildProcess> run = StartDownload(downloads_, addresses, failure.setup);
  if (failure.midway) {
    ASSERT_TRUE(WaitUntil([&] { return ReadBytes(downloads_ / "big.flv.part").size() == kHeld; }));
    bool done = failure.midway(*this);
    server_.Open("rest");
    if (!done) GTEST_SKIP() << "not possible on this machine";
  }

  EXPECT_EQ(run->Wait(), 1) << run->Stderr();
  auto items = ParseListed(run->Stdout(), addresses);
  EXPECT_EQ(items[0].status, "ERROR") << Visible(run->Stdout());
  EXPECT_EQ(items[1].status, "Complete") << Visible(run->Stdout());
  EXPECT_NE(run->Stderr().find("[1] ERROR: " + failure.reason + "\n"), std::string::npos)
      << run->Stderr();
  std::map<std::string, std::string> files = {{"good.flv", kGoodBody}};
  if (failure.partKept) files["big.flv.part"] = body.substr(0, kHeld);
  EXPECT_EQ(TreeDifference(After(), Expected(before, files)), "");
}

INSTANTIATE_TEST_SUITE_P(Folder, WriteFailures, ::testing::ValuesIn(WriteFailureCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace reelcatch::test
