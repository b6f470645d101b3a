// Video links that are HLS playlists, through the whole download run: the
// segments (decrypted where they are encrypted) joined byte for byte under
// the name of what they hold, refusals that end the item and let the next
// one go on, live lists recorded until they end or the user stops.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <map>
#include <memory>
#include <ostream>
#include <sstream>

#include "list/add_download_url.h"
#include "run/download_run.h"
#include "shell/frm_main.h"
#include "support/fake_ports.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace reelcatch {
namespace {

using test::Response;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

const fs::path kFixtures = fs::path(REELCATCH_SOURCE_DIR) / "tests/fixtures/hls";
const std::string kKey = "0123456789abcdef";
const std::string kIv = "fedcba9876543210";

std::string Fixture(const std::string& name) { return test::ReadFile(kFixtures / name); }

std::string Encrypt(const std::string& plain, const std::string& iv) {
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                          EVP_CIPHER_CTX_free);
  auto bytes = [](const std::string& text) {
    return reinterpret_cast<const unsigned char*>(text.data());
  };
  std::string out(plain.size() + 16, '\0');
  auto* to = reinterpret_cast<unsigned char*>(out.data());
  int size = 0;
  int last = 0;
  EVP_EncryptInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, bytes(kKey), bytes(iv));
  EVP_EncryptUpdate(context.get(), to, &size, bytes(plain), static_cast<int>(plain.size()));
  EVP_EncryptFinal_ex(context.get(), to + size, &last);
  out.resize(static_cast<size_t>(size + last));
  return out;
}

std::string SequenceIv(int sequence) { return std::string(15, '\0') + char(sequence); }

// The parts a file is made of, by their short names.
std::string Parts(const std::string& names) {
  std::map<std::string, std::string> part = {
      {"ts0", Fixture("ts/seg0.ts")},   {"ts1", Fixture("ts/seg1.ts")},
      {"ts2", Fixture("ts/seg2.ts")},   {"init", Fixture("fmp4/init.mp4")},
      {"m0", Fixture("fmp4/seg0.m4s")}, {"m1", Fixture("fmp4/seg1.m4s")}};
  std::istringstream in(names);
  std::string joined;
  for (std::string name; in >> name;) joined += part.at(name);
  return joined;
}

std::string Media(const std::string& lines, bool ended = true) {
  return "#EXTM3U\n#EXT-X-TARGETDURATION:1\n" + lines + (ended ? "#EXT-X-ENDLIST\n" : "");
}
const std::string kTsList =
    Media("#EXTINF:1,\nseg0.ts\n#EXTINF:1,\nseg1.ts\n#EXTINF:1,\nseg2.ts\n");

Response Partial(const std::string& names, size_t first, size_t total) {
  std::string body = Parts(names);
  std::string range = "bytes " + std::to_string(first) + "-" +
                      std::to_string(first + body.size() - 1) + "/" + std::to_string(total);
  return Response::WithStatus("HTTP/1.1 206 Partial Content", body, {{"Content-Range", range}});
}

struct Case {
  const char* name;
  std::string link;  // the playlist the page links, served with the routes
  std::vector<std::pair<std::string, std::vector<Response>>> routes;
  std::string item;         // "file name|status|reason" afterwards
  std::string files;        // "name=parts;..." in the download folder
  std::string stopAt = "";  // "segment": inside the second segment; "recorded": after two
  std::string second = "Complete";
  bool direct = false;  // the address itself, with "Other sites" on
  long wait = 10;       // how long the run waits on the server

  friend std::ostream& operator<<(std::ostream& out, const Case& c) { return out << c.name; }
};

class Streams : public testing::TestWithParam<Case> {
 public:
  Streams() {
    frm->Control().SetTimeouts(10, 10);
    frm->Form_Load();
    frm->CurrentSettings().DownloadDir = (dir / "videos").string();
    for (const char* name : {"seg0.ts", "seg1.ts", "seg2.ts"}) {
      server.Route(std::string("/ts/") + name, Response::Ok(Fixture(std::string("ts/") + name)));
    }
    for (const char* name : {"init.mp4", "seg0.m4s", "seg1.m4s"}) {
      server.Route(std::string("/fmp4/") + name,
                   Response::Ok(Fixture(std::string("fmp4/") + name)));
    }
    server.Route("/ts/index.m3u8", Response::Ok(kTsList));
    server.Route("/fmp4/index.m3u8", Response::Ok(Fixture("fmp4/index.m3u8")));
    server.Route("/next.flv", Response::Ok("next video"));
  }
  void Add(const std::string& link, const std::string& page) {
    server.Route("/angryalien.com/" + page, Response::Ok("<embed src=\"{base}" + link + "\">"));
    AddDownloadURL(server.Url("/angryalien.com/" + page), list, frm->Display(), run.State());
  }
  std::string Folder() {
    std::map<std::string, std::string> sorted;
    for (const auto& entry : fs::directory_iterator(dir / "videos")) {
      sorted[entry.path().filename()] = test::ReadFile(entry);
    }
    sorted.erase("next.flv");
    return Listed(sorted);
  }
  static std::string Listed(const std::map<std::string, std::string>& files) {
    std::string listed;
    for (const auto& [name, bytes] : files) {
      listed += name + "=" + std::to_string(bytes.size()) + "#" +
                std::to_string(std::hash<std::string>{}(bytes)) + ";";
    }
    return listed;
  }
  static std::string Expected(const std::string& files) {
    std::map<std::string, std::string> sorted;
    std::istringstream in(files);
    for (std::string file; std::getline(in, file, ';');) {
      size_t equals = file.find('=');
      sorted[file.substr(0, equals)] = Parts(file.substr(equals + 1));
    }
    return Listed(sorted);
  }

  test::ScriptedServer server;
  test::TempDir dir;
  FakePorts fakes;
  std::unique_ptr<FrmMain> frm =
      std::make_unique<FrmMain>(fakes.ports(), ProgramFolders{dir.Path(), dir.Path()}, "1");
  DownloadList& list = frm->List();
  DownloadRun& run = frm->Run();
};

TEST_P(Streams, DownloadOrRefuseTheStream) {
  const Case& c = GetParam();
  for (const auto& [target, answers] : c.routes) server.Route(target, answers);
  frm->Control().SetTimeouts(10, c.wait);
  if (c.direct) {
    frm->CurrentSettings().AnySite = true;
    AddDownloadURL(server.Url(c.link), list, frm->Display(), run.State());
  } else {
    Add(c.link, "stream");
  }
  Add("/next.flv", "next");
  bool stopped = false;
  fakes.loop.SetHook([&] {
    const DownloadItem& item = list.At(0);
    bool inside = c.stopAt == "segment" && item.Status == "33" && frm->Control().Position() > 0;
    bool recorded = c.stopAt == "recorded" && item.FileSize.starts_with("11.4 KB");
    if (stopped || !(inside || recorded)) return;
    stopped = true;
    fakes.dialogs.SetQuestionAnswer(MessageAnswer::Yes);
    run.cmdStartDownload_Click();
  });

  run.cmdStartDownload_Click();

  const DownloadItem& item = list.At(0);
  EXPECT_EQ(item.FileName + "|" + item.Status + "|" + item.Reason, c.item);
  EXPECT_EQ(list.At(1).Status, c.second);
  EXPECT_EQ(Folder(), Expected(c.files));
}

std::vector<Case> Cases() {
  const std::string segments = "#EXTINF:1,\n/ts/seg0.ts\n#EXTINF:1,\n/ts/seg1.ts\n";
  const std::string master =
      "#EXTM3U\n"
      "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"en, main\",DEFAULT=NO,URI=\"other.m3u8\"\n"
      "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"en\",DEFAULT=YES,URI=\"audio.m3u8\"\n"
      "#EXT-X-STREAM-INF:BANDWIDTH=1000,CODECS=\"avc1.64000a,mp4a.40.2\",AUDIO=\"aud\"\n"
      "/fmp4/index.m3u8\n"
      "#EXT-X-STREAM-INF:BANDWIDTH=5000,RESOLUTION=32x24,AUDIO=\"aud\"\nlow.m3u8\n"
      "#EXT-X-STREAM-INF:BANDWIDTH=5000,RESOLUTION=64x48,AUDIO=\"aud\"\n/ts/index.m3u8\n";
  const size_t init = Parts("init").size();
  const size_t m0 = Parts("m0").size();
  const size_t whole = init + m0 + Parts("m1").size();
  const std::string oneFile = "#EXT-X-MAP:URI=\"one.mp4\",BYTERANGE=\"" + std::to_string(init) +
                              "@0\"\n" + "#EXT-X-BYTERANGE:" + std::to_string(m0) + "@" +
                              std::to_string(init) + "\n#EXTINF:1,\none.mp4\n" +
                              "#EXT-X-BYTERANGE:" + std::to_string(whole - init - m0) +
                              "\n#EXTINF:1,\none.mp4\n";
  const std::string encrypted =
      "#EXT-X-MEDIA-SEQUENCE:7\n#EXT-X-KEY:METHOD=AES-128,URI=\"/key\",IV=0x" +
      std::string("66656463626139383736353433323130") + "\n#EXTINF:1,\n/enc0.ts\n" +
      "#EXT-X-KEY:METHOD=AES-128,URI=\"/key\"\n#EXTINF:1,\n/enc1.ts\n#EXT-X-KEY:METHOD=NONE\n"
      "#EXTINF:1,\n/ts/seg2.ts\n";
  const std::string live = "#EXTINF:1,\n/ts/seg0.ts\n";
  const std::string longList =
      Media("#EXT-X-PROGRAM-DATE-TIME:2026-12-07T00:00:00.000Z\n" + live, false);
  Response busy =
      Response::WithStatus("HTTP/1.1 503 Service Unavailable", "busy", {{"Retry-After", "0"}});
  // clang-format off
  return {
      {"TransportStreamSegments", "/ts/index.m3u8", {}, "index.ts|Complete|",
       "index.ts=ts0 ts1 ts2"},
      {"FragmentsBehindTheirInitSection", "/fmp4/index.m3u8", {}, "index.mp4|Complete|",
       "index.mp4=init m0 m1"},
      // Its segments are relative to where it moved.
      {"MovedPlaylist", "/moved.m3u8", {{"/moved.m3u8", {Response::Redirect("{base}/ts/index.m3u8")}}},
       "moved.ts|Complete|", "moved.ts=ts0 ts1 ts2"},
      // Typed as a playlist, without the extension; with "Other sites" on, the address itself.
      {"TypedPlaylistAddress", "/live/stream", {{"/live/stream", {Response::Ok(kTsList,
       {{"Content-Type", "application/vnd.apple.mpegurl"}})}}, {"/live/seg0.ts",
       {Response::Ok(Parts("ts0"))}}, {"/live/seg1.ts", {Response::Ok(Parts("ts1"))}},
       {"/live/seg2.ts", {Response::Ok(Parts("ts2"))}}}, "stream.ts|Complete|",
       "stream.ts=ts0 ts1 ts2", "", "Complete", true},
      // The highest bandwidth, then the larger picture; the audio its group's default.
      {"MasterListWithAudio", "/master.m3u8", {{"/master.m3u8", {Response::Ok(master)}},
       {"/audio.m3u8", {Response::Ok(Media("#EXTINF:1,\n/ts/seg2.ts\n"))}}},
       "master.ts|Complete|", "master.ts=ts0 ts1 ts2;master.audio.ts=ts2"},
      {"PartsOfOneFile", "/one.m3u8", {{"/one.m3u8", {Response::Ok(Media(oneFile))}},
       {"/one.mp4", {Partial("init", 0, whole), Partial("m0", init, whole),
                     Partial("m1", init + m0, whole)}}}, "one.mp4|Complete|", "one.mp4=init m0 m1"},
      {"ServerIgnoresTheRange", "/one.m3u8", {{"/one.m3u8", {Response::Ok(Media(oneFile))}},
       {"/one.mp4", {Response::Ok(Parts("init m0 m1"))}}},
       "one.m3u8|ERROR|Server did not send the part of the file asked for", "one.part="},
      // The IV of the tag, then the sequence number's; the key fetched once.
      {"ClearKeyEncryption", "/enc.m3u8", {{"/enc.m3u8", {Response::Ok(Media(encrypted))}},
       {"/key", {Response::Ok(kKey), Response::Ok("fetched twice")}},
       {"/enc0.ts", {Response::Ok(Encrypt(Parts("ts0"), kIv))}},
       {"/enc1.ts", {Response::Ok(Encrypt(Parts("ts1"), SequenceIv(8)))}}},
       "enc.ts|Complete|", "enc.ts=ts0 ts1 ts2"},
      {"KeyOfTheWrongSize", "/enc.m3u8", {{"/enc.m3u8", {Response::Ok(Media(encrypted))}},
       {"/key", {Response::Ok("short")}}, {"/enc0.ts", {Response::Ok(Encrypt(Parts("ts0"), kIv))}}},
       "enc.m3u8|ERROR|Stream key is not 16 bytes", "enc.part="},
      {"SampleEncryption", "/p.m3u8", {{"/p.m3u8", {Response::Ok(Media(
       "#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"/key\"\n" + segments))}}},
       "Protected stream|ERROR|Protected stream", ""},
      {"KeyOfADrm", "/p.m3u8", {{"/p.m3u8", {Response::Ok(Media(
       "#EXT-X-KEY:METHOD=AES-128,URI=\"skd://k\",KEYFORMAT=\"com.apple.streamingkeydelivery\"\n" +
       segments))}}}, "Protected stream|ERROR|Protected stream", ""},
      {"SegmentOfAnotherScheme", "/x.m3u8", {{"/x.m3u8", {Response::Ok(Media(
       "#EXTINF:1,\nfile:///etc/passwd\n"))}}},
       "x.m3u8|ERROR|Stream part at an address that is not http or https", ""},
      {"RedirectToAnotherScheme", "/x.m3u8", {{"/x.m3u8", {Response::Ok(Media(
       "#EXTINF:1,\n/gone.ts\n"))}}, {"/gone.ts", {Response::Redirect("ftp://127.0.0.1/x.ts")}}},
       "x.m3u8|ERROR|Redirect to an address that is not http or https", "x.part="},
      {"MasterInsideMaster", "/m.m3u8", {{"/m.m3u8", {Response::Ok(
       "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\n/m.m3u8\n")}}},
       "m.m3u8|ERROR|Stream playlists nested too deep", ""},
      {"SegmentOfAnotherKind", "/x.m3u8", {{"/x.m3u8", {Response::Ok(Media(
       "#EXTINF:1,\n/ts/seg0.ts\n#EXTINF:1,\n/fmp4/seg0.m4s\n"))}}},
       "x.m3u8|ERROR|Stream segment of another media type than the first", "x.part=ts0"},
      {"PlaylistOverItsLimit", "/x.m3u8", {{"/x.m3u8", {Response::Head("HTTP/1.1 200 OK")
       .Send("#EXTM3U\n").Generate(17 << 20)}}}, "x.m3u8|ERROR|Stream playlist too large", ""},
      {"SegmentOverItsLimit", "/ts/index.m3u8", {{"/ts/seg1.ts", {Response::Head("HTTP/1.1 200 OK",
       {{"Content-Length", "300000000"}}).Send(Parts("ts1")).Hold()}}},
       "index.m3u8|ERROR|Stream segment too large", "index.part=ts0"},
      // Tried again after the server's wait; a missing one ends the item, its part kept.
      // Longer than the wait in all, but never quiet for as long: it goes on.
      {"SlowSegment", "/ts/index.m3u8", {{"/ts/seg1.ts", {Response::Head("HTTP/1.1 200 OK",
       {{"Content-Length", "5828"}}).Send(Parts("ts1").substr(0, 2000)).Pause(600ms)
       .Send(Parts("ts1").substr(2000, 2000)).Pause(600ms).Send(Parts("ts1").substr(4000))}}},
       "index.ts|Complete|", "index.ts=ts0 ts1 ts2", "", "Complete", false, 1},
      {"BusySegment", "/ts/index.m3u8", {{"/ts/seg1.ts", {busy, Response::Ok(Parts("ts1"))}}},
       "index.ts|Complete|", "index.ts=ts0 ts1 ts2"},
      {"MissingSegment", "/ts/index.m3u8", {{"/ts/seg1.ts", {Response::WithStatus(
       "HTTP/1.1 404 Not Found", "")}}}, "index.m3u8|ERROR|HTTP 404 Not Found", "index.part=ts0"},
      // Reloaded until it ends; what it repeats is not written again.
      {"LiveListThatEnds", "/live.m3u8", {{"/live.m3u8", {Response::Ok(Media(live, false)),
       Response::Ok(Media(live + "#EXTINF:1,\n/ts/seg1.ts\n", false)),
       Response::Ok(Media("#EXT-X-MEDIA-SEQUENCE:1\n#EXTINF:1,\n/ts/seg1.ts\n"
                          "#EXTINF:1,\n/ts/seg2.ts\n"))}}}, "live.ts|Complete|",
       "live.ts=ts0 ts1 ts2"},
      // Lists of no stated length, shorter than the first whose HEAD stated one.
      {"LiveListsWithoutLengths", "/live.m3u8", {{"HEAD /live.m3u8", {Response::Head(
       "HTTP/1.1 200 OK", {{"Content-Length", std::to_string(longList.size())}})}},
       {"/live.m3u8", {Response::Head("HTTP/1.1 200 OK").Send(longList),
       Response::Head("HTTP/1.1 200 OK")
                           .Send(Media("#EXT-X-MEDIA-SEQUENCE:1\n#EXTINF:1,\n/ts/seg1.ts\n"))}}},
       "live.ts|Complete|", "live.ts=ts0 ts1"},
      {"StopALiveRecording", "/live.m3u8", {{"/live.m3u8", {Response::Ok(Media(segments, false))}}},
       "live.ts|Complete|", "live.ts=ts0 ts1", "recorded", "Waiting"},
      {"StopInsideASegment", "/ts/index.m3u8", {{"/ts/seg1.ts", {Response::Head("HTTP/1.1 200 OK",
       {{"Content-Length", "5828"}}).Send(Parts("ts1").substr(0, 3000)).Hold()}}},
       "index.m3u8|Cancelled|", "index.part=ts0", "segment", "Waiting"},
  };
  // clang-format on
}

INSTANTIATE_TEST_SUITE_P(Links, Streams, testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace reelcatch
