// reelcatch-get with file names chosen by someone hostile, from the server
// (Content-Disposition) and from links (the last part of the video
// address): whatever the name, the file lands inside the download folder,
// replaces nothing but the item's own file, and is never written through a
// link.
#include <sys/stat.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "e2e/get_run_fixture.h"

namespace reelcatch::test {
namespace {

const std::string kBody = ScriptedServer::GeneratedBody(3000);
const std::string kGoodBody = ScriptedServer::GeneratedBody(5000);

std::string Repeat(const std::string& text, int count) {
  std::string repeated;
  for (int i = 0; i < count; ++i) repeated += text;
  return repeated;
}

const std::string kHan = "\xe6\x97\xa5";           // three bytes
const std::string kFace = "\xf0\x9f\x98\x80";      // four bytes
const std::string kBadUtf8 = "\xff\xc3(\xe6\x97";  // none of it well formed

enum class From { kServer, kLink };

using Prepare = std::function<void(const fs::path& root, const fs::path& videos)>;

struct NameCase {
  std::string name;
  From from;
  // The server's file name (after "filename="), or the link's last part.
  std::string raw;
  std::string fileName;
  std::string status = "Complete";
  std::string fileSize = "2.9 KB";
  Prepare prepare = nullptr;
  // The download folder after the run, without the good item; by default
  // the body under fileName when Complete, nothing otherwise.
  std::optional<Tree> files = std::nullopt;

  friend std::ostream& operator<<(std::ostream& out, const NameCase& c) { return out << c.name; }
};

// videos/<name> and videos/<name>.part are links to files outside, which
// must keep their content.
void LinksToOutside(const fs::path& root, const fs::path& videos, const std::string& name) {
  fs::create_directories(videos);
  WriteBytes(root / "outside", "outside");
  WriteBytes(root / "outside-part", "outside part");
  fs::create_symlink(root / "outside", videos / name);
  fs::create_symlink(root / "outside-part", videos / (name + ".part"));
}

void KeepDotFile(const fs::path& videos, const std::string& name) {
  fs::create_directories(videos);
  WriteBytes(videos / name, "mine");
}

void FolderInTheWay(const fs::path& videos, const std::string& name) {
  fs::create_directories(videos / name);
  WriteBytes(videos / name / "inner", "keep");
}

std::vector<NameCase> NameCases() {
  const std::string body = DescribeContent(kBody);
  const std::string keep = DescribeContent("keep");
  std::vector<NameCase> cases = {
      {.name = "ServerDotDotSlashes", .from = From::kServer, .raw = "../../x", .fileName = "____x"},
      // The user's own dot files stay theirs (the folder may be $HOME).
      {.name = "ServerDotFile",
       .from = From::kServer,
       .raw = ".bashrc",
       .fileName = "_bashrc",
       .prepare = [](const fs::path&, const fs::path& videos) { KeepDotFile(videos, ".bashrc"); },
       .files = Tree{{".bashrc", DescribeContent("mine")}, {"_bashrc", body}}},
      {.name = "ServerDotDot", .from = From::kServer, .raw = "..", .fileName = "Enter File Name"},
      {.name = "ServerDot", .from = From::kServer, .raw = ".", .fileName = "Enter File Name"},
      {.name = "ServerDotColonDot",
       .from = From::kServer,
       .raw = ".:.",
       .fileName = "Enter File Name"},
      {.name = "ServerAbsolutePath",
       .from = From::kServer,
       .raw = "/etc/passwd",
       .fileName = "etcpasswd"},
      {.name = "ServerBackslashes", .from = From::kServer, .raw = "a\\..\\b", .fileName = "a..b"},
      {.name = "ServerOnlyRemovedCharacters",
       .from = From::kServer,
       .raw = "\"???\"",
       .fileName = "Enter File Name"},
      {.name = "ServerCarriageReturn",
       .from = From::kServer,
       .raw = "a\rb.mp4",
       .fileName = "a\rb.mp4"},
      // The line feed splits the header; curl refuses the answer after its
      // status line.
      {.name = "ServerLineFeed",
       .from = From::kServer,
       .raw = "a\nb.mp4",
       .fileName = "named",
       .status = "ERROR",
       .fileSize = "0"},
      {.name = "ServerEscape",
       .from = From::kServer,
       .raw = "a\x1b[2Jb.mp4",
       .fileName = "a\x1b[2Jb.mp4"},
      {.name = "ServerTab", .from = From::kServer, .raw = "a\tb.mp4", .fileName = "a\tb.mp4"},
      {.name = "ServerInvalidUtf8",
       .from = From::kServer,
       .raw = kBadUtf8 + ".mp4",
       .fileName = kBadUtf8 + ".mp4"},
      // 102 characters, 298 bytes: cut to 100 characters, then to what the
      // file system takes with room for ".part", on a character boundary.
      // Only names taken from links are percent-decoded.
      {.name = "ServerPercentEncoded",
       .from = From::kServer,
       .raw = "%E6%97%A5.mp4",
       .fileName = "%E6%97%A5.mp4"},
      {.name = "ServerLongThreeByteName",
       .from = From::kServer,
       .raw = Repeat(kHan, 98) + ".mp4",
       .fileName = Repeat(kHan, 82) + ".mp4"},
      {.name = "ServerLongFourByteName",
       .from = From::kServer,
       .raw = Repeat(kFace, 75) + ".mp4",
       .fileName = Repeat(kFace, 61) + ".mp4"},
      {.name = "ServerNameIsALinkToOutside",
       .from = From::kServer,
       .raw = "victim.mp4",
       .fileName = "victim.mp4",
       .prepare = [](const fs::path& root,
                     const fs::path& videos) { LinksToOutside(root, videos, "victim.mp4"); }},
      {.name = "ServerNameIsAFolder",
       .from = From::kServer,
       .raw = "folder.mp4",
       .fileName = "folder.mp4",
       .status = "ERROR",
       .prepare = [](const fs::path&,
                     const fs::path& videos) { FolderInTheWay(videos, "folder.mp4"); },
       .files = Tree{{"folder.mp4", "dir"}, {"folder.mp4/inner", keep}, {"folder.mp4.part", body}}},
      {.name = "ServerPartNameIsAFolder",
       .from = From::kServer,
       .raw = "clip.mp4",
       .fileName = "clip.mp4",
       .status = "ERROR",
       .prepare = [](const fs::path&,
                     const fs::path& videos) { FolderInTheWay(videos, "clip.mp4.part"); },
       .files = Tree{{"clip.mp4.part", "dir"}, {"clip.mp4.part/inner", keep}}},
      // Opening it must not wait for a reader.
      {.name = "ServerPartNameIsAPipe",
       .from = From::kServer,
       .raw = "pipe.mp4",
       .fileName = "pipe.mp4",
       .status = "ERROR",
       .prepare =
           [](const fs::path&, const fs::path& videos) {
             fs::create_directories(videos);
             mkfifo((videos / "pipe.mp4.part").c_str(), 0600);
           },
       .files = Tree{{"pipe.mp4.part", "other"}}},
      // The partial file shares its content with a file outside, which must
      // keep it.
      {.name = "ServerPartNameIsAHardLinkToOutside",
       .from = From::kServer,
       .raw = "shared.mp4",
       .fileName = "shared.mp4",
       .prepare =
           [](const fs::path& root, const fs::path& videos) {
             fs::create_directories(videos);
             WriteBytes(root / "outside", "outside");
             fs::create_hard_link(root / "outside", videos / "shared.mp4.part");
           }},

      {.name = "LinkDotDotSlashes", .from = From::kLink, .raw = "../../x.flv", .fileName = "x.flv"},
      {.name = "LinkDotDot", .from = From::kLink, .raw = "..", .fileName = "Enter File Name"},
      {.name = "LinkDotColonDot", .from = From::kLink, .raw = ".:.", .fileName = "Enter File Name"},
      {.name = "LinkBackslashes",
       .from = From::kLink,
       .raw = "a\\..\\b.flv",
       .fileName = "a..b.flv"},
      {.name = "LinkEndsInASlash", .from = From::kLink, .raw = "", .fileName = "Enter File Name"},
      {.name = "LinkOnlyRemovedCharacters",
       .from = From::kLink,
       .raw = "*&*",
       .fileName = "Enter File Name"},
      {.name = "LinkInvalidUtf8",
       .from = From::kLink,
       .raw = kBadUtf8 + ".flv",
       .fileName = kBadUtf8 + ".flv"},
      {.name = "LinkPercentEncodedUtf8",
       .from = From::kLink,
       .raw = "%E6%97%A5.flv",
       .fileName = kHan + ".flv"},
      {.name = "LinkPercentEncodedWithoutVideoExtension",
       .from = From::kLink,
       .raw = "%e6%97%a5%20%F0%9F%98%80.mp4",
       .fileName = kHan + " " + kFace + ".mp4"},
      {.name = "LinkPercentEncodedInvalidUtf8",
       .from = From::kLink,
       .raw = "%FF%C3%28%E6%97.flv",
       .fileName = "%FF%C3(%E6%97.flv"},
      {.name = "LinkPercentEncodedPartlyValid",
       .from = From::kLink,
       .raw = "%E6%97%A5%E6%97.flv",
       .fileName = kHan + "%E6%97.flv"},
      {.name = "LinkPercentEncodedSlashes",
       .from = From::kLink,
       .raw = "..%2F..%2Fx.flv",
       .fileName = "____x.flv"},
      {.name = "LinkDotFile",
       .from = From::kLink,
       .raw = "..profile.flv",
       .fileName = "__profile.flv",
       .prepare = [](const fs::path&,
                     const fs::path& videos) { KeepDotFile(videos, "..profile.flv"); },
       .files = Tree{{"..profile.flv", DescribeContent("mine")}, {"__profile.flv", body}}},
      {.name = "LinkPercentEncodedControlCharacters",
       .from = From::kLink,
       .raw = "a%0Ab%00c.flv",
       .fileName = "a%0Ab%00c.flv"},
      {.name = "LinkLongThreeByteName",
       .from = From::kLink,
       .raw = Repeat(kHan, 98) + ".flv",
       .fileName = Repeat(kHan, 82) + ".flv"},
      {.name = "LinkNameIsALinkToOutside",
       .from = From::kLink,
       .raw = "victim.flv",
       .fileName = "victim.flv",
       .prepare = [](const fs::path& root,
                     const fs::path& videos) { LinksToOutside(root, videos, "victim.flv"); }},
  };
  // An address holding a control character cannot be fetched; its name
  // still never reaches the disk.
  for (const auto& [what, c] : std::vector<std::pair<std::string, char>>{
           {"CarriageReturn", '\r'}, {"LineFeed", '\n'}, {"Escape", '\x1b'}, {"Tab", '\t'}}) {
    std::string raw = std::string("a") + c + "b.flv";
    cases.push_back({.name = "Link" + what,
                     .from = From::kLink,
                     .raw = raw,
                     .fileName = raw,
                     .status = "ERROR",
                     .fileSize = "-1 Bytes"});
  }
  return cases;
}

class HostileNames : public GetRunTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(HostileNames, StayInsideTheDownloadFolderAndReplaceOnlyTheirOwnFile) {
  const NameCase& hostile = GetParam();
  server_.Route("/angryalien.com/good", EmbedPage(server_.Url("/v/good.flv")));
  server_.Route("/v/good.flv", Response::Ok(kGoodBody));
  // Whatever address the hostile link comes to, it is answered.
  server_.SetDefault(Response::Ok(kBody, {{"Content-Type", "video/x-flv"}}));
  if (hostile.from == From::kServer) {
    server_.Route("/angryalien.com/hostile", EmbedPage(server_.Url("/named")));
    server_.Route(
        "/named",
        Response::Ok(kBody, {{"Content-Disposition", "attachment; filename=" + hostile.raw}}));
  } else {
    server_.Route("/angryalien.com/hostile", EmbedPage(server_.Url("/v/" + hostile.raw)));
  }
  if (hostile.prepare) hostile.prepare(root_, downloads_);
  Tree before = ReadTree(root_);

  std::vector<std::string> addresses = {server_.Url("/angryalien.com/hostile"),
                                        server_.Url("/angryalien.com/good")};
  RunResult run = Download(downloads_, addresses);

  auto items = ParseListed(run.out, addresses);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(Visible(items[0].fileName), Visible(hostile.fileName)) << Visible(run.out);
  EXPECT_EQ(items[0].status, hostile.status) << Visible(run.out);
  EXPECT_EQ(items[0].fileSize, hostile.fileSize) << Visible(run.out);
  EXPECT_EQ(items[1].status, "Complete") << Visible(run.out);

  Tree files;
  if (hostile.files) {
    files = *hostile.files;
  } else if (hostile.status == "Complete") {
    files[hostile.fileName] = DescribeContent(kBody);
  }
  files["good.flv"] = DescribeContent(kGoodBody);
  EXPECT_EQ(TreeDifference(After(), ExpectedTree(before, files)), "");
}

INSTANTIATE_TEST_SUITE_P(FromServerAndLink, HostileNames, ::testing::ValuesIn(NameCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace reelcatch::test

namespace reelcatch::test {
namespace {

// Items of one list that the servers give the same names.
struct SameNamesCase {
  std::string name;
  // The server's file name for each item, in order.
  std::vector<std::string> served;
  // Files in the download folder before the run.
  std::map<std::string, std::string> older = {};
  // The names the items end with; every item's file is kept under its own.
  std::vector<std::string> fileNames;

  friend std::ostream& operator<<(std::ostream& out, const SameNamesCase& c) {
    return out << c.name;
  }
};

std::vector<SameNamesCase> SameNamesCases() {
  return {
      {.name = "ThreeItemsOneName",
       .served = {"clip.mp4", "clip.mp4", "clip.mp4"},
       .fileNames = {"clip.mp4", "clip (2).mp4", "clip (3).mp4"}},
      {.name = "NameWithoutExtension",
       .served = {"notes", "notes"},
       .fileNames = {"notes", "notes (2)"}},
      {.name = "NumberedNameTakenByAnEarlierItem",
       .served = {"clip (2).mp4", "clip.mp4", "clip.mp4"},
       .fileNames = {"clip (2).mp4", "clip.mp4", "clip (3).mp4"}},
      // Files of earlier runs are replaced, as one of a name always was.
      {.name = "OlderFilesOfTheNamesAreReplaced",
       .served = {"clip.mp4", "clip.mp4"},
       .older = {{"clip.mp4", "older"}, {"clip (2).mp4", "older too"}},
       .fileNames = {"clip.mp4", "clip (2).mp4"}},
      // The first item is called like the second one's partial file.
      {.name = "NameOfAnotherItemsPartialFile",
       .served = {"clip.mp4.part", "clip.mp4"},
       .fileNames = {"clip.mp4.part", "clip.mp4"}},
  };
}

class SameNames : public GetRunTest, public ::testing::WithParamInterface<SameNamesCase> {};

TEST_P(SameNames, NeverEndWithTheSameFile) {
  const SameNamesCase& same = GetParam();
  std::vector<std::string> addresses;
  std::vector<std::string> bodies;
  for (size_t i = 0; i < same.served.size(); ++i) {
    std::string page = "p" + std::to_string(i);
    bodies.push_back(std::string(1000 + i, static_cast<char>('a' + i)));
    server_.Route("/angryalien.com/" + page, EmbedPage(server_.Url("/named/" + page)));
    server_.Route("/named/" + page,
                  Response::Ok(bodies.back(), {{"Content-Disposition",
                                                "attachment; filename=" + same.served[i]}}));
    addresses.push_back(server_.Url("/angryalien.com/" + page));
  }
  fs::create_directories(downloads_);
  for (const auto& [name, bytes] : same.older) WriteBytes(downloads_ / name, bytes);
  Tree before = ReadTree(root_);

  RunResult run = Download(downloads_, addresses);

  EXPECT_EQ(run.status, 0) << Visible(run.out) << run.err;
  auto items = ParseListed(run.out, addresses);
  std::map<std::string, std::string> files;
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].fileName, same.fileNames[i]);
    files[same.fileNames[i]] = bodies[i];
  }
  EXPECT_EQ(TreeDifference(After(), Expected(before, files)), "");
}

INSTANTIATE_TEST_SUITE_P(OneList, SameNames, ::testing::ValuesIn(SameNamesCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace reelcatch::test
