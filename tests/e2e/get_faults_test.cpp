// reelcatch-get against servers, names, disks and other programs that
// misbehave: a broken answer ends its item as ERROR (never Complete) with its
// reason, a file lands only in the download folder and replaces only the
// item's own, and the next item of the same run still downloads.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <optional>
#include <ostream>

#include "e2e/get_fixture.h"
#include "platform/process_start.h"

namespace reelcatch::test {
namespace {

using namespace std::chrono_literals;

const std::string kGood = ScriptedServer::GeneratedBody(5000);
const std::string kBody = std::string(3000, 'b');

Response Video(Headers headers) { return Response::Head("HTTP/1.1 200 OK", std::move(headers)); }
Response Chunked(const std::string& chunks) {
  return Video({{"Transfer-Encoding", "chunked"}}).Send(chunks);
}
Response Length(const std::string& length, size_t size = 100) {
  return Video({{"Content-Length", length}}).Send(kBody.substr(0, size));
}
Response Named(const std::string& name) {
  return Response::Ok(kBody, {{"Content-Disposition", "attachment; filename=" + name}});
}
Tree Part(size_t size) { return {{"bad.part", Describe(kBody.substr(0, size))}}; }
// 40% of the body, then the connection closes.
Response Cut() {
  return Video({{"Content-Length", "3000"}, {"ETag", "\"v1\""}}).Send(kBody.substr(0, 1200));
}
Response Rest() {
  return Response::Head("HTTP/1.1 206 Partial Content",
                        {{"Content-Range", "bytes 1200-2999/3000"}, {"Content-Length", "1800"}})
      .Send(kBody.substr(1200));
}
Response Busy() {
  return Response::WithStatus("HTTP/1.1 503 Service Unavailable", "busy", {{"Retry-After", "0"}});
}

bool Keep(const fs::path& part, const char* name, const std::string& value) {
  return setxattr(part.c_str(), name, value.data(), value.size(), 0) == 0;
}

// What stands in the way in the download folder before the run; last, a
// part of an older file with what was kept of it, and a whole file with its size kept.
// clang-format off
enum Obstacle {
  kNone, kDotFile, kLinksOut, kFolder, kPartFolder, kPartPipe, kHardLink, kOlderPart, kWholePart
};
// clang-format on

struct Item {
  std::string name;
  std::string link = "/v/bad";  // the video's path, which names it unless the server does
  Response video = Response::Ok(kBody);
  std::string listed;  // as printed
  // The download folder afterwards, but the second item's file; by default
  // the body under the listed name.
  std::optional<Tree> files = std::nullopt;
  std::string reason = "";  // why it failed, as said on stderr
  Obstacle obstacle = kNone;
  std::string page = "";  // when not one linking the video
  std::optional<Response> pageAnswer = std::nullopt;
  std::optional<Response> videoHead = std::nullopt;
  std::string wait = "60";
  std::string second = "good.flv|Complete|4.9 KB";
  std::vector<Response> then = {};  // the answers to the video's later GETs
  std::string asked = "";           // what the last GET of the video said, in part
  size_t gets = 0;                  // of the video, when counted
  std::string retries = "0";
  std::string said = "";  // a line on stderr

  friend std::ostream& operator<<(std::ostream& out, const Item& c) { return out << c.name; }
};

std::string Repeat(const std::string& text, int count) {
  std::string repeated;
  while (count-- > 0) repeated += text;
  return repeated;
}

std::vector<Item> Items() {
  const std::string nul(1, '\0');
  const std::string chunks = "800\r\n" + kBody.substr(0, 2048) + "\r\n800\r\n" + kBody.substr(0, 9);
  Headers lines(5000, {"X-Line", "v"});
  lines.emplace_back("Content-Length", "3000");
  const std::string page = "<embed src=\"{base}/v/bad";
  const std::string han = "\xe6\x97\xa5";
  const std::string face = "\xf0\x9f\x98\x80";
  const std::string body = Describe(kBody);
  const std::string keep = Describe("keep");
  // clang-format off
  return {
      {.name = "ChunkedBodyCutBeforeItsLastChunk", .video = Chunked(chunks),
       .listed = "bad|ERROR|0",
       .files = Tree{{"bad.part", Describe(kBody.substr(0, 2048 + 9))}},
       .reason = "Body ended early"},
      // The status line came: the file is there, its size not known.
      {.name = "HeadersWithoutTheirBlankLine",
       .video = Response::Raw("HTTP/1.1 200 OK\r\nA: 1\r\n"),
       .listed = "bad|ERROR|0", .files = Tree{}, .reason = "Server's answer ended early"},
      {.name = "JunkChunkSize", .video = Chunked("zz\r\nhi\r\n0\r\n\r\n"), .listed = "bad|ERROR|0",
       .files = Part(0), .reason = "Server sent a broken answer"},
      {.name = "TwoDifferentLengths", .video = Video({{"Content-Length", "5"},
       {"Content-Length", "9"}}).Send("bb"), .listed = "bad|ERROR|5 Bytes", .files = Part(2),
       .reason = "Server gave no usable body length"},
            {.name = "LengthOf2To40", .video = Length("1099511627776"), .listed = "bad|ERROR|",
       .files = Part(100), .reason = "Body ended after 100 of 1099511627776 bytes"},
      // Beyond 64 bits it counts as not given; the body cut short still never passes for whole.
      {.name = "LengthOf2To64", .video = Length("18446744073709551616"), .listed = "bad|ERROR|0",
       .files = Part(100)},
      // A length that is no plain number counts as not given, on the HEAD and
      // on the GET: the body is read to its end.
      {.name = "LengthOfLetters", .video = Length("abc", 3000), .listed = "bad|Complete|0"},
      {.name = "LengthWithAPlusSign", .video = Length("+12", 3000), .listed = "bad|Complete|0"},
      {.name = "HeaderLineOf100KiB", .video = Video({{"X", std::string(100 << 10, 'a')}}),
       .listed = "bad|ERROR|0", .files = Tree{}, .reason = "Server's headers too large"},
      // Too big a block to read facts from, but the body arrives whole.
      {.name = "FiveThousandHeaderLines", .video = Video(lines).Send(kBody),
       .listed = "bad|Complete|0"},
      {.name = "NulBytesInThePage", .listed = "bad|Complete|2.9 KB",
       .page = nul + "<p>" + nul + page + "\" />" + nul + nul},
      // The address up to the NUL exists, but it is not the address.
      {.name = "NulInTheVideoAddress", .listed = "badx.flv|ERROR|-1 Bytes", .files = Tree{},
       .page = page + nul + "x.flv\" />"},
      {.name = "PageLinksAFileAddress", .listed = "passwd#http|ERROR|-1 Bytes", .files = Tree{},
       .page = "<embed src=\"file:///etc/passwd#http\" />"},
      {.name = "PageOverTheSizeLimit", .listed = "Waiting (Auto Detect)|ERROR|????",
       .files = Tree{}, .reason = "Page too large",
       .pageAnswer = Video({}).Generate((16 << 20) + 1)},
      {.name = "AddressOver8KiB", .listed = "Process failed.|ERROR|????", .files = Tree{},
       .reason = "No video found on the page", .page = page + std::string(8192, 'a') + "\" />"},
      {.name = "PageThatNeverFinishes", .listed = "Waiting (Auto Detect)|ERROR|????",
       .files = Tree{}, .reason = "Page not fetched: Not finished within 2 s",
       .pageAnswer = Video({}).Drip("<p>", 100ms), .wait = "2"},
      // Nothing is known of the video, but it arrives whole.
      {.name = "HeadThatNeverFinishes", .listed = "bad|Complete|0",
       .videoHead = Response::Raw("HTTP/1.1 200 OK\r\n").Drip("X: b\r\n", 100ms), .wait = "2"},

      // Names from the server (after "filename=") and from links.
      {.name = "ServerDotDotSlashes", .video = Named("../../x"), .listed = "____x|Complete|2.9 KB"},
      // The user's own dot files stay theirs (the folder may be $HOME).
      {.name = "ServerDotFile", .video = Named(".bashrc"), .listed = "_bashrc|Complete|2.9 KB",
       .files = Tree{{".bashrc", keep}, {"_bashrc", body}}, .obstacle = kDotFile},
      {.name = "ServerDotDot", .video = Named(".."), .listed = "Enter File Name|Complete|2.9 KB"},
            {.name = "ServerDotColonDot", .video = Named(".:."),
       .listed = "Enter File Name|Complete|2.9 KB"},
      {.name = "ServerPercentEncoded", .video = Named("%E6%97%A5.mp4"),
       .listed = "%E6%97%A5.mp4|Complete|2.9 KB"},
      // Cut to what the file system takes with room for ".part", on a character boundary.
      {.name = "ServerLongThreeByteName", .video = Named(Repeat(han, 98) + ".mp4"),
       .listed = Repeat(han, 82) + ".mp4|Complete|2.9 KB"},
      // A backslash is no part of a file name; control characters are printed escaped.
      {.name = "ServerNameWithControlCharacters",
       .video = Named("a\x1b[2J\tb\\c\xc2\x9b" "1m\x9b" "2m" + han + ".mp4"),
       .listed = "a\\x1b[2J\\tbc\\u009b1m\\x9b2m" + han + ".mp4|Complete|2.9 KB",
       .files = Tree{{"a\x1b[2J\tbc\xc2\x9b" "1m\x9b" "2m" + han + ".mp4", body}}},
      {.name = "ServerNameIsALinkOut", .video = Named("victim.mp4"),
       .listed = "victim.mp4|Complete|2.9 KB", .obstacle = kLinksOut},
      {.name = "ServerNameIsAFolder", .video = Named("folder.mp4"),
       .listed = "folder.mp4|ERROR|2.9 KB", .files = Tree{{"folder.mp4", "dir"},
       {"folder.mp4/kept", keep}, {"folder.mp4.part", body}}, .obstacle = kFolder},
      {.name = "ServerPartNameIsAFolder", .video = Named("clip.mp4"),
       .listed = "clip.mp4|ERROR|2.9 KB", .files = Tree{{"clip.mp4.part", "dir"},
       {"clip.mp4.part/kept", keep}}, .obstacle = kPartFolder},
      // Opening it must not wait for a reader.
      {.name = "ServerPartNameIsAPipe", .video = Named("pipe.mp4"),
       .listed = "pipe.mp4|ERROR|2.9 KB", .files = Tree{{"pipe.mp4.part", "other"}},
       .obstacle = kPartPipe},
      // The partial file shares its content with a file outside, which keeps it.
      {.name = "ServerPartNameIsAHardLinkOut", .video = Named("shared.mp4"),
       .listed = "shared.mp4|Complete|2.9 KB", .obstacle = kHardLink},
      {.name = "ServerNameOfTheNextItem", .video = Named("good.flv"),
       .listed = "good.flv|Complete|2.9 KB", .files = Tree{{"good.flv", body},
       {"good (2).flv", Describe(kGood)}}, .second = "good (2).flv|Complete|4.9 KB"},
      {.name = "ServerNameOfTheNextItemsPartialFile", .video = Named("good.flv.part"),
       .listed = "good.flv.part|Complete|2.9 KB"},
      {.name = "LinkPercentEncodedSlashes", .link = "/v/..%2F..%2Fx.flv",
       .listed = "____x.flv|Complete|2.9 KB"},
      {.name = "LinkDotDot", .link = "/v/..", .listed = "Enter File Name|Complete|2.9 KB"},
      {.name = "LinkDotColonDot", .link = "/v/.:.", .listed = "Enter File Name|Complete|2.9 KB"},
      {.name = "LinkEndsInASlash", .link = "/v/", .listed = "Enter File Name|Complete|2.9 KB"},
      {.name = "LinkDotFile", .link = "/v/..profile.flv", .listed = "__profile.flv|Complete|2.9 KB",
       .files = Tree{{"..profile.flv", keep}, {"__profile.flv", body}}, .obstacle = kDotFile},
      {.name = "LinkNameIsALinkOut", .link = "/v/victim.flv",
       .listed = "victim.flv|Complete|2.9 KB", .obstacle = kLinksOut},
      // Only names from links are decoded, and only into well-formed characters.
      {.name = "LinkPercentEncodedUtf8", .link = "/v/%E6%97%A5.flv",
       .listed = han + ".flv|Complete|2.9 KB"},
      {.name = "LinkPercentEncodedWithoutVideoExtension", .link = "/v/%e6%97%a5%20%F0%9F%98%80.mp4",
       .listed = han + " " + face + ".mp4|Complete|2.9 KB"},
      {.name = "LinkPercentEncodedInvalidUtf8", .link = "/v/%FF%C3%28%E6%97.flv",
       .listed = "%FF%C3(%E6%97.flv|Complete|2.9 KB"},
      {.name = "LinkPercentEncodedPartlyValid", .link = "/v/%E6%97%A5%E6%97.flv",
       .listed = han + "%E6%97.flv|Complete|2.9 KB"},
      {.name = "LinkPercentEncodedControlCharacters", .link = "/v/a%0Ab%00c.flv",
       .listed = "a%0Ab%00c.flv|Complete|2.9 KB"},
      // An address holding a control character is not fetched; its name never reaches the disk.
      {.name = "LinkLineFeed", .link = "/v/a\nb.flv", .listed = "a\\nb.flv|ERROR|-1 Bytes",
       .files = Tree{}},
      {.name = "LinkEscape", .link = "/v/a\x1b" "b.flv", .listed = "a\\x1bb.flv|ERROR|-1 Bytes",
       .files = Tree{}},

      // A broken transfer goes on where it stopped, with its own file's rest only.
      {.name = "BodyCutAt40Percent", .video = Cut(), .listed = "bad|Complete|2.9 KB",
       .then = {Rest()}, .asked = "If-Range: \"v1\"", .gets = 2,
       .retries = "1", .said = "[1] Retrying (1/1)...  bad  2.9 KB\n[1] 100  bad"},
      // The address expired meanwhile: the page gives it again, once.
      {.name = "AddressGoneOnRetry", .video = Cut(), .listed = "bad|Complete|2.9 KB",
       .then = {Response::WithStatus("HTTP/1.1 404 Not Found", ""), Response::Ok(kBody)},
       .gets = 3, .retries = "1"},
      {.name = "RangeIgnored", .video = Cut(), .listed = "bad|Complete|2.9 KB",
       .then = {Response::Ok(kBody)}, .asked = "Range: bytes=1200-", .gets = 2, .retries = "1"},
      {.name = "PartOfAnOlderFile", .video = Response::Ok(kBody, {{"ETag", "\"v1\""}}),
       .listed = "bad|Complete|2.9 KB", .obstacle = kOlderPart, .asked = "If-Range: \"v0\"", .gets = 1},
      {.name = "PartAlreadyWhole", .video = Response::WithStatus(
       "HTTP/1.1 416 Range Not Satisfiable", "", {{"Content-Range", "bytes */3000"}}),
       .listed = "bad|Complete|2.9 KB", .obstacle = kWholePart, .videoHead = Length("3000"),
       .asked = "Range: bytes=3000-", .gets = 1},
      {.name = "BusyTwice", .video = Busy(), .listed = "bad|Complete|2.9 KB",
       .videoHead = Length("3000"), .then = {Busy(), Response::Ok(kBody)}, .gets = 3,
       .retries = "5", .said = "[1] Retrying (2/5)..."},
      {.name = "NotFoundIsNotTriedAgain", .video = Response::WithStatus("HTTP/1.1 404 Not Found",
       "gone"), .listed = "bad|ERROR|2.9 KB", .files = Tree{{"bad.part", Describe("gone")}},
       .reason = "HTTP 404 Not Found", .videoHead = Length("3000"), .gets = 1, .retries = "5"},
      {.name = "PartNotAskedFor", .video = Response::WithStatus("HTTP/1.1 206 Partial Content",
       kBody, {{"Content-Range", "bytes 0-2999/3000"}}), .listed = "bad|ERROR|2.9 KB",
       .files = Tree{}, .reason = "Server sent a part of the file that was not asked for",
       .gets = 1, .retries = "5"},
  };
  // clang-format on
}

class BadItems : public GetTest, public ::testing::WithParamInterface<Item> {};

TEST_P(BadItems, EndInTheirOwnFileOrAsErrorAndTheNextOneStillDownloads) {
  const Item& item = GetParam();
  server.SetDefault(Response::Ok(kBody));  // wherever a hostile link leads
  std::vector<Response> answers = {item.video};
  answers.insert(answers.end(), item.then.begin(), item.then.end());
  server.Route(item.link, answers);
  if (item.videoHead) server.RouteHead(item.link, *item.videoHead);
  server.Route("/angryalien.com/bad",
               item.pageAnswer.value_or(Response::Ok(
                   item.page.empty() ? "<embed src=\"{base}" + item.link + "\" />" : item.page)));
  std::string good = Page("good", "/v/good.flv", Response::Ok(kGood));
  std::string name = item.listed.substr(0, item.listed.find('|'));
  std::string dotted = name;  // the dot file a name from a hidden one would be
  for (size_t i = 0; i < dotted.size() && dotted[i] == '_'; ++i) dotted[i] = '.';
  fs::path part = videos / (name + ".part");
  fs::path folder = item.obstacle == kFolder ? videos / name : part;
  fs::create_directories(item.obstacle == kFolder || item.obstacle == kPartFolder ? folder
                                                                                  : videos);
  WriteFile(root / "outside", "outside");
  if (item.obstacle == kDotFile) WriteFile(videos / dotted, "keep");
  if (item.obstacle == kLinksOut) fs::create_symlink(root / "outside", videos / name);
  if (item.obstacle == kLinksOut) fs::create_symlink(root / "outside", part);
  if (item.obstacle == kFolder || item.obstacle == kPartFolder) WriteFile(folder / "kept", "keep");
  if (item.obstacle == kPartPipe) mkfifo(part.c_str(), 0600);
  if (item.obstacle == kHardLink) fs::create_hard_link(root / "outside", part);
  if (item.obstacle == kOlderPart || item.obstacle == kWholePart) {
    bool older = item.obstacle == kOlderPart;
    WriteFile(part, older ? std::string(1200, 'o') : kBody);
    if (!Keep(part, "user.reelcatch.size", "3000") ||
        (older && !Keep(part, "user.reelcatch.validator", "\"v0\""))) {
      GTEST_SKIP() << "this file system keeps no extended attributes";
    }
  }
  Tree before = ReadTree(root.Path());

  auto run = Run({"-d", videos.string(), "--wait", item.wait, "--retries", item.retries, "--",
                  server.Url("/angryalien.com/bad"), good});

  EXPECT_EQ(Listed(run->Stdout()), item.listed + "\n" + item.second + "\n");
  EXPECT_EQ(run->Wait(), item.listed.find("|Complete|") != std::string::npos ? 0 : 1);
  // ESC and CSI (U+009B; a lone 9B byte on an 8-bit terminal) each start a command to it.
  for (const char* command : {"\x1b", "\xc2\x9b", "\x9b"}) {
    EXPECT_EQ((run->Stdout() + run->Stderr()).find(command), std::string::npos)
        << run->Stdout() << run->Stderr();
  }
  EXPECT_TRUE(item.reason.empty() ||
              run->Stderr().find("[1] ERROR: " + item.reason) != std::string::npos)
      << run->Stderr();
  EXPECT_NE(run->Stderr().find(item.said), std::string::npos) << run->Stderr();
  std::vector<RecordedRequest> gets = server.Requests();
  std::erase_if(gets, [&](const auto& r) { return r.method != "GET" || r.target != item.link; });
  EXPECT_EQ(item.gets == 0 ? 0 : gets.size(), item.gets);
  EXPECT_TRUE(item.gets == 0 || gets.back().head.find(item.asked) != std::string::npos)
      << gets.back().head;
  Tree files = item.files.value_or(Tree{{name, Describe(kBody)}});
  if (item.second.ends_with("4.9 KB")) files.emplace("good.flv", Describe(kGood));
  EXPECT_EQ(After(), Expected(before, files));
}

INSTANTIATE_TEST_SUITE_P(FromServersAndLinks, BadItems, ::testing::ValuesIn(Items()),
                         [](const auto& info) { return info.param.name; });

bool SetImmutable(const fs::path& path, bool on) {
  int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  int flags = 0;
  bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
  done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  if (fd >= 0) close(fd);
  return done;
}

class DiskFaults : public GetTest, public ::testing::WithParamInterface<const char*> {
 protected:
  ~DiskFaults() override {
    SetImmutable(videos / "big.flv.part", false);
    umount2(videos.c_str(), MNT_DETACH);
  }
};

// The big item ends ERROR with the system's reason; a partial file given up
// for lack of room is removed, so the next item still fits.
TEST_P(DiskFaults, EndTheItemWithTheSystemsReason) {
  const std::string reason = GetParam();
  const size_t held = 16 * 1024;
  const std::string big = ScriptedServer::GeneratedBody(1 << 20);
  std::vector<std::string> pages = {Page("big", "/v/big.flv",
                                         Video({{"Content-Length", std::to_string(big.size())}})
                                             .Send(big.substr(0, held))
                                             .Await("go")
                                             .Send(big.substr(held))),
                                    Page("good", "/v/good.flv", Response::Ok(kGood))};
  fs::create_directories(videos);
  bool full = reason == "No space left on device";
  if (full && mount("tmpfs", videos.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0) {
    GTEST_SKIP() << "the test may not mount a file system here";
  }
  Tree before = ReadTree(root.Path());

  // A file size limit is one that root must obey, too.
  auto run =
      Start(Args(pages), {}, reason == "File too large" ? 64 << 10 : std::optional<uint64_t>());
  bool freeze = reason == "Operation not permitted";
  WaitFor(*run, [&] { return !freeze || ReadFile(videos / "big.flv.part").size() == held; });
  bool frozen = freeze && SetImmutable(videos / "big.flv.part", true);
  server.Open("go");
  if (freeze && !frozen) GTEST_SKIP() << "this file system has no immutable flag";

  EXPECT_EQ(run->Wait(), 1);
  EXPECT_EQ(Listed(run->Stdout()), "big.flv|ERROR|1 MB\ngood.flv|Complete|4.9 KB\n");
  EXPECT_EQ(run->Stderr(), "[1] ERROR: Could not write file: " + reason + "\n");
  Tree files = {{"good.flv", Describe(kGood)}};
  if (frozen) files["big.flv.part"] = Describe(big.substr(0, held));
  EXPECT_EQ(After(), Expected(before, files));
}

INSTANTIATE_TEST_SUITE_P(Folders, DiskFaults,
                         ::testing::Values("No space left on device", "File too large",
                                           "Operation not permitted"));

// ---- Other runs and users ----

const std::string kClip = ScriptedServer::GeneratedBody(30000);
constexpr size_t kHeld = 8192;

// A video whose first kHeld bytes come at once and the rest once the gate opens.
Response HeldVideo(const std::string& gate) {
  return Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "30000"}})
      .Send(kClip.substr(0, kHeld))
      .Await(gate)
      .Send(kClip.substr(kHeld));
}

// The second run finds the first one's partial file in use: it ends its item
// with that reason and leaves the file alone, and the first run finishes it.
TEST_F(GetTest, SecondRunLeavesTheFirstRunsPartialFileAlone) {
  std::string first = Page("first", "/a/clip.flv", HeldVideo("first"));
  std::string second = Page("second", "/b/clip.flv", Response::Ok("second"));
  Tree before = ReadTree(root.Path());

  auto firstRun = Start(Args({first}));
  WaitFor(*firstRun, [&] { return ReadFile(videos / "clip.flv.part").size() == kHeld; });
  auto secondRun = Run(Args({second}));

  EXPECT_EQ(secondRun->Wait(), 1);
  EXPECT_EQ(secondRun->Stderr(), "[1] ERROR: in use by another download\n");
  EXPECT_EQ(ReadFile(videos / "clip.flv.part"), kClip.substr(0, kHeld));
  server.Open("first");
  EXPECT_EQ(firstRun->Wait(), 0) << firstRun->Stderr();
  EXPECT_EQ(After(), Expected(before, {{"clip.flv", Describe(kClip)}}));
}

// The folder is swapped for a link before the first item's answer comes:
// that item ends in the folder it began in, nothing of it goes through the
// link; the next item follows the path where it leads now.
TEST_F(GetTest, FolderSwappedForALinkCannotRedirectTheItemBeingTransferred) {
  std::vector<std::string> pages = {
      Page("one", "/v/one.flv",
           Response::Raw("").Await("swap").Send("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\none")),
      Page("two", "/v/two.flv", Response::Ok("two"))};
  fs::create_directories(videos);
  fs::create_directories(root / "elsewhere");
  Tree before = ReadTree(root.Path());

  auto run = Start(Args(pages));
  WaitFor(*run, [&] { return server.Requests().size() == 4; });  // the GET of one.flv
  fs::rename(videos, root / "moved");
  fs::create_directory_symlink(root / "elsewhere", videos);
  server.Open("swap");

  EXPECT_EQ(run->Wait(), 0) << run->Stderr();
  before["videos"] = "link -> " + (root / "elsewhere").string();
  before["moved"] = "dir";
  before["moved/one.flv"] = Describe("one");
  before["elsewhere/two.flv"] = Describe("two");
  EXPECT_EQ(After(), before);
}

// A crash right after the rename keeps the new file whole and its name: the
// file is on the disk before it replaces the older one, the folder's entry right after.
TEST_F(GetTest, NewFileIsOnTheDiskBeforeItReplacesTheOlderOne) {
  if (access("/usr/bin/strace", X_OK) != 0) GTEST_SKIP() << "strace is not installed";
  fs::create_directories(videos);
  WriteFile(videos / "clip.flv", "older");
  std::vector<std::string> args = Args({Page("clip", "/v/clip.flv", Response::Ok(kClip))});
  // clang-format off
  args.insert(args.begin(), {"-f", "-y", "-qq", "-o", root / "trace", "-e",
                             "trace=fsync,fdatasync,rename,renameat,renameat2", kProgram});
  // clang-format on
  // The leak checker cannot work under a tracer; the rest of the sanitizers can.
  const char* asan = std::getenv("ASAN_OPTIONS");
  ChildProcess run("/usr/bin/strace", args,
                   Env({"ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":detect_leaks=0"}));
  int status = run.Wait();
  const std::string trace = ReadFile(root / "trace");
  if (trace.empty()) GTEST_SKIP() << "this machine does not let strace trace: " << run.Stderr();

  EXPECT_EQ(status, 0) << run.Stderr();
  EXPECT_EQ(ReadFile(videos / "clip.flv"), kClip);
  size_t flushed = trace.find("<" + videos.string() + "/clip.flv.part>");
  size_t renamed = trace.find("\"clip.flv.part\", ");
  size_t folderFlushed = trace.find("<" + videos.string() + ">)");
  EXPECT_LT(flushed, renamed) << trace;
  EXPECT_LT(renamed, folderFlushed) << trace;
  EXPECT_NE(folderFlushed, std::string::npos) << trace;
}

// Run A's page comes in two parts with run B's whole run between them:
// each run downloads its own page's video.
TEST_F(GetTest, TwoRunsAtOnceEachDownloadTheirOwnPagesVideo) {
  server.Route("/angryalien.com/a", Response::Head("HTTP/1.1 200 OK")
                                        .Send("<html>" + std::string(3000, ' '))
                                        .Await("a")
                                        .Send("<embed src=\"{base}/v/a.flv\" />"));
  server.Route("/v/a.flv", Response::Ok("a video"));
  auto runA = Start(Args({server.Url("/angryalien.com/a")}, {"-d", (root / "a").string()}));
  WaitFor(*runA, [&] { return server.Requests().size() == 2; });  // the HEAD and GET of A's page
  EXPECT_EQ(Run(Args({Page("b", "/v/b.flv", Response::Ok("b video"))}))->Wait(), 0);
  server.Open("a");
  EXPECT_EQ(runA->Wait(), 0) << runA->Stderr();
  EXPECT_EQ(ReadTree(root / "a"), (Tree{{"a.flv", Describe("a video")}}));
  EXPECT_EQ(ReadTree(videos), (Tree{{"b.flv", Describe("b video")}}));
}

// Page files named after processes that no longer run are a crash's
// leftovers; one whose process id now belongs to another program, too.
TEST_F(GetTest, PageFilesOfRunsThatEndedAreRemovedAtTheNextStart) {
  ChildProcess ended("/bin/true", {});
  ASSERT_EQ(ended.Wait(), 0);
  const std::string self = "Parse-" + std::to_string(getpid()) + "-";
  const std::string gone = "Parse-" + std::to_string(ended.Pid()) + "-";
  const std::string ticks = std::to_string(ProcessStartTicks(getpid()).value());
  const fs::path folder = root / "run/reelcatch";
  fs::create_directories(folder / (gone + "1.pgd"));  // no page file, but a folder
  // This test stands in for a run that is still going.
  for (std::string name : {self + ticks + ".pgd", std::string("Parse.pgd"), self + "x.pgd",
                           gone + ticks + ".pgd", self + ticks + "0.pgd"}) {
    WriteFile(folder / name, "left");
  }
  Tree before = ReadTree(root.Path());
  before.erase("run/reelcatch/" + gone + ticks + ".pgd");
  before.erase("run/reelcatch/" + self + ticks + "0.pgd");

  EXPECT_EQ(Run(Args({Page("clip", "/v/clip.flv", Response::Ok(kClip))}))->Wait(), 0);
  EXPECT_EQ(ReadTree(root.Path()), Expected(before, {{"clip.flv", Describe(kClip)}}));
}

}  // namespace
}  // namespace reelcatch::test
