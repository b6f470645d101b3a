// reelcatch-get against servers, names and disks that misbehave: every
// broken answer ends its item as ERROR (never Complete) with its reason,
// every file lands in the download folder and replaces only the item's own,
// and the next item of the same run still downloads.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <optional>
#include <ostream>

#include "e2e/get_fixture.h"

namespace reelcatch::test {
namespace {

using namespace std::chrono_literals;

const std::string kGood = ScriptedServer::GeneratedBody(5000);
const std::string kGoodListed = "good.flv|Complete|4.9 KB\n";

Response Video(Headers headers) { return Response::Head("HTTP/1.1 200 OK", std::move(headers)); }
Response Chunked(const std::string& chunks) {
  return Video({{"Transfer-Encoding", "chunked"}}).Send(chunks);
}
Response Length(const std::string& length, size_t size) {
  return Video({{"Content-Length", length}}).Send(kGood.substr(0, size));
}
Tree Part(const std::string& bytes) { return {{"bad.flv.part", Describe(bytes)}}; }

struct Fault {
  std::string name;
  Response video;      // at /v/bad.flv
  std::string listed;  // the bad item, as printed
  Tree files = {};     // what it leaves in the download folder
  std::string reason = "";
  std::string page = "<embed src=\"{base}/v/bad.flv\">";
  std::optional<Response> pageAnswer = std::nullopt;
  std::optional<Response> videoHead = std::nullopt;
  std::vector<std::string> options = {};

  friend std::ostream& operator<<(std::ostream& out, const Fault& c) { return out << c.name; }
};

std::vector<Fault> Faults() {
  const std::string nul(1, '\0');
  const std::string chunks = "800\r\n" + kGood.substr(0, 2048) + "\r\n800\r\n" + kGood.substr(0, 9);
  Headers lines(5000, {"X-Line", "v"});
  lines.emplace_back("Content-Length", "5000");
  const Tree whole = {{"bad.flv", Describe(kGood)}};
  const std::string page = "<embed src=\"{base}/v/bad.flv";
  return {
      {"BodyShorterThanItsLength", Length("10000", 3000), "bad.flv|ERROR|9.8 KB",
       Part(kGood.substr(0, 3000)), "Body ended after 3000 of 10000 bytes"},
      {"ChunkedBodyCutBeforeItsLastChunk", Chunked(chunks), "bad.flv|ERROR|0",
       Part(kGood.substr(0, 2048) + kGood.substr(0, 9)), "Body ended early"},
      // The status line came: the file is there, its size not known.
      {"HeadersWithoutTheirBlankLine",
       Response::Raw("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n"),
       "bad.flv|ERROR|0",
       {},
       "Server's answer ended early"},
      {"JunkChunkSize", Chunked("zz\r\nhello\r\n0\r\n\r\n"), "bad.flv|ERROR|0", Part(""),
       "Server sent a broken answer"},
      {"NegativeChunkSize", Chunked("-5\r\nhello\r\n0\r\n\r\n"), "bad.flv|ERROR|0", Part("")},
      {"ChunkSizeOf17Digits", Chunked("10000000000000000\r\nhi\r\n0\r\n\r\n"), "bad.flv|ERROR|0",
       Part("")},
      {"HugeChunkSizeThenClose", Chunked("7fffffffffffffff\r\n" + kGood.substr(0, 3000)),
       "bad.flv|ERROR|0", Part(kGood.substr(0, 3000))},
      {"TwoDifferentLengths", Video({{"Content-Length", "5"}, {"Content-Length", "9"}}).Send("hi"),
       "bad.flv|ERROR|5 Bytes", Part("hi"), "Server gave no usable body length"},
      {"LengthOf2To31", Length("2147483648", 100), "bad.flv|ERROR|2 GB",
       Part(kGood.substr(0, 100))},
      {"LengthOf2To32", Length("4294967296", 100), "bad.flv|ERROR|4 GB",
       Part(kGood.substr(0, 100))},
      {"LengthOf2To40", Length("1099511627776", 100), "bad.flv|ERROR|", Part(kGood.substr(0, 100)),
       "Body ended after 100 of 1099511627776 bytes"},
      // Beyond 64 bits it counts as not given; the body cut short still never passes for whole.
      {"LengthOf2To64", Length("18446744073709551616", 100), "bad.flv|ERROR|0",
       Part(kGood.substr(0, 100))},
      // A length that is no plain number counts as not given, on the HEAD and
      // on the GET: the body is read to its end.
      {"LengthOfLetters", Length("abc", 5000), "bad.flv|Complete|0", whole},
      {"EmptyLength", Length("", 5000), "bad.flv|Complete|0", whole},
      {"NegativeLength", Length("-5", 5000), "bad.flv|Complete|0", whole},
      {"LengthWithLettersAfterIt", Length("12abc", 5000), "bad.flv|Complete|0", whole},
      {"LengthWithAPlusSign", Length("+12", 5000), "bad.flv|Complete|0", whole},
      {"HeaderLineOf100KiB",
       Video({{"X-Padding", std::string(100 * 1024, 'a')}, {"Content-Length", "5000"}}).Send(kGood),
       "bad.flv|ERROR|0",
       {},
       "Server's headers too large"},
      // Too big a block to read facts from, but the body arrives whole.
      {"FiveThousandHeaderLines", Video(lines).Send(kGood), "bad.flv|Complete|0", whole},
      {"NulInAHeader",
       Video({{"Content-Length", "9"}, {"Content-Disposition", "filename=e" + nul + "v.mp4"}}),
       "bad.flv|ERROR|0"},
      {"NulBytesInThePage", Response::Ok(kGood), "bad.flv|Complete|4.9 KB", whole, "",
       nul + "<p>" + nul + page + "\" />" + nul + nul},
      // The address up to the NUL exists, but it is not the address.
      {"NulInTheVideoAddress",
       Response::Ok(kGood),
       "bad.flvx.flv|ERROR|-1 Bytes",
       {},
       "",
       page + nul + "x.flv\" />"},
      {"PageLinksAFileAddress",
       Response::Ok(kGood),
       "passwd#http|ERROR|-1 Bytes",
       {},
       "",
       "<embed src=\"file:///etc/passwd#http\" />"},
      {"PageOverTheSizeLimit",
       Response::Ok(kGood),
       "Waiting (Auto Detect)|ERROR|????",
       {},
       "Page too large",
       "",
       Video({}).Generate((16 << 20) + 1)},
      {"AddressOver8KiB",
       Response::Ok(kGood),
       "Process failed.|ERROR|????",
       {},
       "No video found on the page",
       page + std::string(8192, 'a') + ".flv\" />"},
      {"PageThatNeverFinishes",
       Response::Ok(kGood),
       "Waiting (Auto Detect)|ERROR|????",
       {},
       "Page not fetched: Not finished within 2 s",
       "",
       Video({}).Drip("<p>", 100ms),
       std::nullopt,
       {"--wait", "2"}},
      // Nothing is known of the video, but it arrives whole.
      {"HeadThatNeverFinishes",
       Response::Ok(kGood),
       "bad.flv|Complete|0",
       whole,
       "",
       page + "\">",
       std::nullopt,
       Response::Raw("HTTP/1.1 200 OK\r\n").Drip("X-A: b\r\n", 100ms),
       {"--wait", "2"}},
  };
}

class BrokenAnswers : public GetTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(BrokenAnswers, EndTheItemAndTheNextOneStillDownloads) {
  const Fault& fault = GetParam();
  server.Route("/v/bad.flv", fault.video);
  if (fault.videoHead) server.RouteHead("/v/bad.flv", *fault.videoHead);
  server.Route("/angryalien.com/bad", fault.pageAnswer.value_or(Response::Ok(fault.page)));
  std::string good = Page("good", "/v/good.flv", Response::Ok(kGood));
  Tree before = ReadTree(root.Path());

  RunResult run = Run(Args({server.Url("/angryalien.com/bad"), good}, fault.options));

  bool complete = fault.listed.find("|Complete|") != std::string::npos;
  EXPECT_EQ(run.status, complete ? 0 : 1);
  EXPECT_EQ(Listed(run.out), fault.listed + "\n" + kGoodListed);
  EXPECT_EQ(run.err, fault.reason.empty() ? run.err : "[1] ERROR: " + fault.reason + "\n");
  Tree files = fault.files;
  files["good.flv"] = Describe(kGood);
  EXPECT_EQ(After(), Expected(before, files));
}

INSTANTIATE_TEST_SUITE_P(Servers, BrokenAnswers, ::testing::ValuesIn(Faults()),
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

struct Disk {
  std::string name;
  // Readies the download folder (root/videos); false when this machine does not let it.
  std::function<bool(const fs::path& videos)> before;
  std::string reason;  // the big item's; empty: nothing is written at all
  ChildSetup setup = {};
  bool freezeMidway = false;  // the big item's partial file turns immutable

  friend std::ostream& operator<<(std::ostream& out, const Disk& c) { return out << c.name; }
};

class DiskFaults : public GetTest, public ::testing::WithParamInterface<Disk> {
 protected:
  ~DiskFaults() override {
    SetImmutable(videos / "big.flv.part", false);
    SetImmutable(videos, false);
    umount2(videos.c_str(), MNT_DETACH);
  }
};

// The big item ends ERROR with the system's reason; a partial file given up
// for lack of room is removed, so the next item still fits.
TEST_P(DiskFaults, EndTheItemWithTheSystemsReason) {
  const Disk& disk = GetParam();
  const size_t held = 16 * 1024;
  const std::string big = ScriptedServer::GeneratedBody(1 << 20);
  std::vector<std::string> pages = {Page("big", "/v/big.flv",
                                         Length(std::to_string(big.size()), 0)
                                             .Send(big.substr(0, held))
                                             .Await("go")
                                             .Send(big.substr(held))),
                                    Page("good", "/v/good.flv", Response::Ok(kGood))};
  if (!disk.before(videos)) GTEST_SKIP() << "not possible on this machine";
  if (!disk.freezeMidway) server.Open("go");
  Tree before = ReadTree(root.Path());

  auto run = Start(Args(pages), {}, disk.setup);
  if (disk.freezeMidway) {
    while (ReadFile(videos / "big.flv.part").size() < held) run->Pump();
    bool frozen = SetImmutable(videos / "big.flv.part", true);
    server.Open("go");
    if (!frozen) GTEST_SKIP() << "not possible on this machine";
  }

  EXPECT_EQ(run->Wait(), 1);
  Tree files = {{"good.flv", Describe(kGood)}};
  if (disk.freezeMidway) files["big.flv.part"] = Describe(big.substr(0, held));
  if (disk.reason.empty()) {
    EXPECT_EQ(Listed(run->Stdout()), "big.flv|ERROR|1 MB\ngood.flv|ERROR|4.9 KB\n");
    EXPECT_EQ(After(), before);
  } else {
    EXPECT_EQ(Listed(run->Stdout()), "big.flv|ERROR|1 MB\n" + kGoodListed);
    EXPECT_EQ(run->Stderr(), "[1] ERROR: Could not write file: " + disk.reason + "\n");
    EXPECT_EQ(After(), Expected(before, files));
  }
}

bool Mount(const fs::path& at, unsigned long readOnly) {
  return fs::create_directories(at) &&
         mount("tmpfs", at.c_str(), "tmpfs", 0, "size=64k,mode=0755") == 0 &&
         (!readOnly || mount(nullptr, at.c_str(), nullptr, MS_REMOUNT | readOnly, nullptr) == 0);
}
bool Made(const fs::path& at) { return fs::create_directories(at); }

INSTANTIATE_TEST_SUITE_P(
    Folders, DiskFaults,
    ::testing::Values(
        Disk{"FolderThatIsAFile", [](auto& at) { return WriteFile(at, "keep"), true; }, ""},
        Disk{"ImmutableFolder", [](auto& at) { return Made(at) && SetImmutable(at, true); }, ""},
        Disk{"ReadOnlyFileSystem", [](auto& at) { return Mount(at, MS_RDONLY); }, ""},
        Disk{"FullDisk", [](auto& at) { return Mount(at, 0); }, "No space left on device"},
        // A file size limit is one that root must obey, too.
        Disk{"FileSizeLimit", Made, "File too large", {64 * 1024, true}},
        Disk{"PartialFileMadeImmutable", Made, "Operation not permitted", {}, true}),
    [](const auto& info) { return info.param.name; });

enum Obstacle { kNone, kDotFile, kLinksOut, kFolder, kPartFolder, kPartPipe, kPartHardLink };

struct Name {
  std::string name;
  bool fromServer;  // the server's file name (after "filename="), else the link's last part
  std::string raw;
  std::string listed;  // the item, as printed
  Obstacle inTheWay = kNone;
  std::optional<Tree> files = std::nullopt;  // by default the body under the listed name

  friend std::ostream& operator<<(std::ostream& out, const Name& c) { return out << c.name; }
};

std::vector<Name> Names() {
  const std::string body = Describe(kGood.substr(0, 3000));
  const std::string keep = Describe("keep");
  std::vector<Name> names = {
      {"ServerDotDotSlashes", true, "../../x", "____x|Complete|2.9 KB"},
      // The user's own dot files stay theirs (the folder may be $HOME).
      {"ServerDotFile", true, ".bashrc", "_bashrc|Complete|2.9 KB", kDotFile,
       Tree{{".bashrc", keep}, {"_bashrc", body}}},
      {"ServerDotDot", true, "..", "Enter File Name|Complete|2.9 KB"},
      {"ServerDot", true, ".", "Enter File Name|Complete|2.9 KB"},
      {"ServerDotColonDot", true, ".:.", "Enter File Name|Complete|2.9 KB"},
      {"ServerAbsolutePath", true, "/etc/passwd", "etcpasswd|Complete|2.9 KB"},
      {"ServerNameIsALinkOut", true, "victim.mp4", "victim.mp4|Complete|2.9 KB", kLinksOut},
      {"ServerNameIsAFolder", true, "folder.mp4", "folder.mp4|ERROR|2.9 KB", kFolder,
       Tree{{"folder.mp4", "dir"}, {"folder.mp4/inner", keep}, {"folder.mp4.part", body}}},
      {"ServerPartNameIsAFolder", true, "clip.mp4", "clip.mp4|ERROR|2.9 KB", kPartFolder,
       Tree{{"clip.mp4.part", "dir"}, {"clip.mp4.part/inner", keep}}},
      // Opening it must not wait for a reader.
      {"ServerPartNameIsAPipe", true, "pipe.mp4", "pipe.mp4|ERROR|2.9 KB", kPartPipe,
       Tree{{"pipe.mp4.part", "other"}}},
      // The partial file shares its content with a file outside, which keeps it.
      {"ServerPartNameIsAHardLinkOut", true, "shared.mp4", "shared.mp4|Complete|2.9 KB",
       kPartHardLink},
      {"LinkDotDotSlashes", false, "../../x.flv", "x.flv|Complete|2.9 KB"},
      {"LinkPercentEncodedSlashes", false, "..%2F..%2Fx.flv", "____x.flv|Complete|2.9 KB"},
      {"LinkDotDot", false, "..", "Enter File Name|Complete|2.9 KB"},
      {"LinkDotColonDot", false, ".:.", "Enter File Name|Complete|2.9 KB"},
      {"LinkEndsInASlash", false, "", "Enter File Name|Complete|2.9 KB"},
      {"LinkDotFile", false, "..profile.flv", "__profile.flv|Complete|2.9 KB", kDotFile,
       Tree{{"..profile.flv", keep}, {"__profile.flv", body}}},
      {"LinkNameIsALinkOut", false, "victim.flv", "victim.flv|Complete|2.9 KB", kLinksOut},
  };
  // An address holding a control character is not fetched; its name never reaches the disk.
  for (auto [what, raw, printed] :
       std::vector<std::array<std::string, 3>>{{"CarriageReturn", "\r", "\\r"},
                                               {"LineFeed", "\n", "\\n"},
                                               {"Escape", "\x1b", "\\x1b"},
                                               {"Tab", "\t", "\\t"}}) {
    names.push_back({"Link" + what, false, "a" + raw + "b.flv",
                     "a" + printed + "b.flv|ERROR|-1 Bytes", kNone, Tree{}});
  }
  return names;
}

class HostileNames : public GetTest, public ::testing::WithParamInterface<Name> {};

TEST_P(HostileNames, StayInsideTheDownloadFolderAndReplaceOnlyTheirOwnFile) {
  const Name& hostile = GetParam();
  const std::string body = kGood.substr(0, 3000);
  server.SetDefault(Response::Ok(body));  // wherever the hostile link leads
  Headers named = {{"Content-Disposition", "attachment; filename=" + hostile.raw}};
  std::string page = Page("hostile", hostile.fromServer ? "/named" : "/v/" + hostile.raw,
                          Response::Ok(body, hostile.fromServer ? named : Headers{}));
  std::string good = Page("good", "/v/good.flv", Response::Ok(kGood));
  std::string name = hostile.listed.substr(0, hostile.listed.find('|'));
  fs::path part = videos / (name + ".part");
  fs::create_directories(videos);
  WriteFile(root / "outside", "outside");
  if (hostile.inTheWay == kDotFile) WriteFile(videos / hostile.raw, "keep");
  if (hostile.inTheWay == kLinksOut) fs::create_symlink(root / "outside", videos / name);
  if (hostile.inTheWay == kLinksOut) fs::create_symlink(root / "outside", part);
  if (hostile.inTheWay == kFolder || hostile.inTheWay == kPartFolder) {
    fs::path folder = hostile.inTheWay == kFolder ? videos / name : part;
    fs::create_directories(folder);
    WriteFile(folder / "inner", "keep");
  }
  if (hostile.inTheWay == kPartPipe) mkfifo(part.c_str(), 0600);
  if (hostile.inTheWay == kPartHardLink) fs::create_hard_link(root / "outside", part);
  Tree before = ReadTree(root.Path());

  RunResult run = Run(Args({page, good}));

  EXPECT_EQ(Listed(run.out), hostile.listed + "\n" + kGoodListed);
  Tree files = hostile.files.value_or(Tree{{name, Describe(body)}});
  files["good.flv"] = Describe(kGood);
  EXPECT_EQ(After(), Expected(before, files));
}

INSTANTIATE_TEST_SUITE_P(FromServerAndLink, HostileNames, ::testing::ValuesIn(Names()),
                         [](const auto& info) { return info.param.name; });

// Items of one list that the servers give the same names: every item's file
// is kept under its own name; files of earlier runs are replaced as before.
TEST_F(GetTest, ItemsOfTheSameNameNeverEndWithTheSameFile) {
  struct Case {
    std::vector<std::string> served;
    std::string listed;
    Tree older = {};
  } cases[] = {
      {{"clip.mp4", "clip.mp4", "clip.mp4"}, "clip.mp4 clip (2).mp4 clip (3).mp4"},
      {{"notes", "notes"}, "notes notes (2)"},
      {{"clip (2).mp4", "clip.mp4", "clip.mp4"}, "clip (2).mp4 clip.mp4 clip (3).mp4"},
      {{"clip.mp4", "clip.mp4"}, "clip.mp4 clip (2).mp4", {{"clip.mp4", ""}, {"clip (2).mp4", ""}}},
      // The first item is called like the second one's partial file.
      {{"clip.mp4.part", "clip.mp4"}, "clip.mp4.part clip.mp4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.listed);
    fs::remove_all(videos);
    fs::create_directories(videos);
    for (const auto& [name, bytes] : c.older) WriteFile(videos / name, "older");
    Tree before = After();
    std::vector<std::string> pages;
    for (const std::string& name : c.served) {
      std::string at = std::to_string(&c - cases) + "-" + std::to_string(pages.size());
      pages.push_back(
          Page(at, "/n/" + at, Response::Ok(at, {{"Content-Disposition", "filename=" + name}})));
    }
    RunResult run = Run(Args(pages));

    std::string listed;
    Tree files;
    std::istringstream rows(Listed(run.out));
    for (std::string row; std::getline(rows, row);) {
      std::string name = row.substr(0, row.find('|'));
      listed += (listed.empty() ? "" : " ") + name;
      files[name] = Describe(std::to_string(&c - cases) + "-" + std::to_string(files.size()));
    }
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(listed, c.listed);
    EXPECT_EQ(After(), Expected(before, files));
  }
}

}  // namespace
}  // namespace reelcatch::test
