// Playlist text as the stream download reads it: which variant, which
// segments with their parts, keys and init sections, and what is refused.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "stream/playlist.h"

namespace reelcatch {
namespace {

const std::string kBase = "http://cdn.test/v/list.m3u8";

struct Row {
  const char* name;
  std::string text;  // behind "#EXTM3U\n" unless it is "!" and more
  std::string read;
  friend std::ostream& operator<<(std::ostream& out, const Row& r) { return out << r.name; }
};

std::string Short(const std::string& uri) {
  return uri.starts_with("http://cdn.test/") ? uri.substr(16) : uri;
}

std::string Range(const std::optional<ByteRange>& range) {
  return range ? "@" + std::to_string(range->first) + "+" + std::to_string(range->length) : "";
}

// "best=URI audio=URI" for a master list; each segment as "#SEQ URI@FIRST+LENGTH
// key=URI iv=SET|seq map=URI" for a media list, then "end" or "live TARGET".
std::string Read(const Playlist& list) {
  if (!list.refusal.empty()) return "refused: " + list.refusal;
  std::string read;
  if (list.master) {
    const Variant* best = BestVariant(list);
    const AudioRendition* audio = best ? AudioFor(list, *best) : nullptr;
    return "best=" + (best ? Short(best->uri) : "") + " audio=" + (audio ? Short(audio->uri) : "");
  }
  for (const Segment& s : list.segments) {
    read +=
        "#" + std::to_string(s.sequence) + " " + Short(s.resource.uri) + Range(s.resource.range);
    if (!s.key.uri.empty()) read += " key=" + Short(s.key.uri) + (s.key.iv ? " iv=set" : " iv=seq");
    if (s.map) read += " map=" + Short(s.map->uri) + Range(s.map->range);
    read += "; ";
  }
  return read + (list.ended ? "end" : "live " + std::to_string(list.targetDuration));
}

class PlaylistText : public testing::TestWithParam<Row> {};

TEST_P(PlaylistText, ReadsAs) {
  const Row& row = GetParam();
  std::string text = row.text.starts_with("!") ? row.text.substr(1) : "#EXTM3U\r\n" + row.text;
  EXPECT_EQ(Read(ParsePlaylist(text, kBase)), row.read);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, PlaylistText, testing::Values(
    Row{"NotBeginningWithTheTag", "!\n#EXTM3U\na.ts\n", "refused: Not a stream playlist"},
    Row{"ByteOrderMarkFirst", "!\xEF\xBB\xBF#EXTM3U\n#EXT-X-ENDLIST\n", "end"},
    Row{"RelativeAndAbsoluteAddresses", "#EXT-X-MEDIA-SEQUENCE:5\n#EXTINF:1,\na.ts\n"
        "#EXTINF:1,\n/b.ts\n#EXTINF:1,\nhttps://x.test/c.ts\n#EXT-X-ENDLIST\n",
        "#5 v/a.ts; #6 b.ts; #7 https://x.test/c.ts; end"},
    Row{"LiveWithoutTheEnd", "#EXT-X-TARGETDURATION:6\n#EXTINF:6,\na.ts\n", "#0 v/a.ts; live 6"},
    Row{"PartsFollowingEachOther", "#EXT-X-BYTERANGE:100@50\na.ts\n#EXT-X-BYTERANGE:20\na.ts\n"
        "#EXT-X-BYTERANGE:5\na.ts\nb.ts\n", "#0 v/a.ts@50+100; #1 v/a.ts@150+20; #2 v/a.ts@170+5; "
        "#3 v/b.ts; live 0"},
    Row{"PartWithoutOneBeforeIt", "#EXT-X-BYTERANGE:100\na.ts\n",
        "refused: Stream playlist has a broken line: BYTERANGE"},
    Row{"InitSectionAsAPart", "#EXT-X-MAP:URI=\"i.mp4\",BYTERANGE=\"700@0\"\na.m4s\n"
        "#EXT-X-MAP:URI=\"j.mp4\"\nb.m4s\n", "#0 v/a.m4s map=v/i.mp4@0+700; #1 v/b.m4s map=v/j.mp4; live 0"},
    Row{"KeysAndTheirEnd", "#EXT-X-KEY:METHOD=AES-128,URI=\"k?a=1,b=2\",IV=0x000102030405060708090a0b0c0d0e0f\n"
        "a.ts\n#EXT-X-KEY:METHOD=AES-128,URI=\"/k2\",KEYFORMAT=\"identity\"\nb.ts\n"
        "#EXT-X-KEY:METHOD=NONE\nc.ts\n",
        "#0 v/a.ts key=v/k?a=1,b=2 iv=set; #1 v/b.ts key=k2 iv=seq; #2 v/c.ts; live 0"},
    Row{"ShortIv", "#EXT-X-KEY:METHOD=AES-128,URI=\"k\",IV=0x0001\na.ts\n",
        "refused: Stream playlist has a broken line: IV"},
    Row{"KeyAtADataAddress", "#EXT-X-KEY:METHOD=AES-128,URI=\"data:text/plain,k\"\na.ts\n",
        "refused: Stream part at an address that is not http or https"},
    Row{"AudioOfTheVariantsGroup", "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"x, y\",URI=\"a1.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"b\",DEFAULT=YES,URI=\"b.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",DEFAULT=YES,URI=\"a2.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=SUBTITLES,GROUP-ID=\"a\",DEFAULT=YES,URI=\"s.m3u8\"\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=1,AUDIO=\"a\"\nv.m3u8\n", "best=v/v.m3u8 audio=v/a2.m3u8"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace reelcatch
