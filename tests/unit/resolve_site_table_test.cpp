#include <gtest/gtest.h>

#include <ostream>

#include "resolve/site_table.h"

namespace reelcatch {
namespace {

struct SiteCase {
  const char* name;
  const char* address;
  int expected;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const SiteCase& c, std::ostream* os) { *os << c.name; }

class GetSiteIdTest : public testing::TestWithParam<SiteCase> {};

TEST_P(GetSiteIdTest, FindsTheSite) {
  EXPECT_EQ(GetSiteId(GetParam().address), GetParam().expected);
}

const SiteCase kSiteCases[] = {
    {"GoogleVideo", "http://video.google.com/videoplay?docid=123", kSiteGoogleVideo},
    {"YouTube", "http://www.youtube.com/watch?v=abc", kSiteYouTube},
    {"Bolt", "http://www.bolt.com/video/1", kSiteBolt},
    {"MySpace", "http://vids.myspace.com/index.cfm?videoid=1", kSiteMySpace},
    {"AngryAlien", "http://www.angryalien.com/0505/jawsbunnies.asp", kSiteAngryAlien},
    {"ThatVideoSite", "http://www.thatvideosite.com/video/1", kSiteThatVideoSite},
    {"IFilm", "http://www.ifilm.com/video/2712345", kSiteIFilm},
    {"Break", "http://www.break.com/index/clip.html", kSiteBreak},
    {"Blip", "http://blip.tv/file/123", kSiteBlip},
    {"Dailymotion", "http://www.dailymotion.com/video/x1", kSiteDailymotion},
    {"PutFile", "http://media.putfile.com/clip", kSitePutFile},
    {"ZippyVideos", "http://www.zippyvideos.com/1/clip", kSiteZippyVideos},
    {"UpperCase", "HTTP://WWW.YOUTUBE.COM/WATCH?V=ABC", kSiteYouTube},
    {"MixedCase", "http://Blip.TV/file/1", kSiteBlip},
    // Anywhere in the address counts, and the earlier site in the table wins.
    {"EarlierSiteInQueryWins", "http://www.bolt.com/share?from=youtube.com", kSiteYouTube},
    {"GoogleBeforeYouTube", "http://www.youtube.com/r?u=video.google.com", kSiteGoogleVideo},
    {"LaterSiteInPathStillFound", "http://example.org/mirror/break.com/x", kSiteBreak},
    {"PlainGoogleIsNotVideo", "http://www.google.com/search?q=video", kSiteNone},
    {"Unsupported", "http://vimeo.com/123", kSiteNone},
    {"Empty", "", kSiteNone},
};

INSTANTIATE_TEST_SUITE_P(Addresses, GetSiteIdTest, testing::ValuesIn(kSiteCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace reelcatch
