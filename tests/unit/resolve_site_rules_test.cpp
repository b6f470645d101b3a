#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "resolve/site_rules.h"
#include "resolve/site_table.h"

namespace reelcatch {
namespace {

namespace fs = std::filesystem;

using SiteRule = std::string (*)(const std::string&, const std::string&);

const std::string kSignature = "&s=4F3A9C21B7E05D68:92C4E17A3B6F0D85";
const std::string kMySpaceHost = "http://content.movies.myspace.com";
const std::string kIFilmHost = "http://download.ifilm.com";
const std::string kBreakHost = "http://media1.break.com";
const std::string kBlipMarker =
    "readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"";

// A fresh folder for page files, removed afterwards.
class PageFolder {
 public:
  PageFolder() {
    std::string pattern = (fs::temp_directory_path() / "reelcatch-rules-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~PageFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string Write(const std::string& page) const {
    std::string file = (path_ / "Parse.pgd").string();
    std::ofstream(file, std::ios::binary | std::ios::trunc) << page;
    return file;
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The media host comes from the environment when set; these tests want the
// built-in hosts unless they set it themselves.
class RuleTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    if (const char* host = getenv("REELCATCH_MEDIA_HOST")) savedHost_ = host;
    unsetenv("REELCATCH_MEDIA_HOST");
  }
  void TearDown() override {
    if (!savedHost_.empty()) setenv("REELCATCH_MEDIA_HOST", savedHost_.c_str(), 1);
  }
  PageFolder folder_;

 private:
  std::string savedHost_;
};

struct RuleCase {
  const char* name;
  int siteId;
  SiteRule rule;
  std::string address;
  std::string page;
  std::string expected;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

class SiteRuleTest : public RuleTest, public testing::WithParamInterface<RuleCase> {};

TEST_P(SiteRuleTest, BuildsTheVideoAddress) {
  const RuleCase& c = GetParam();
  std::string pageFile = folder_.Write(c.page);
  EXPECT_EQ(c.rule(c.address, pageFile), c.expected);
  EXPECT_EQ(RunSiteRule(c.siteId, c.address, pageFile), c.expected);
}

const std::string kGoogle = "http://video.google.com/videoplay?docid=1";

const RuleCase kGoogleCases[] = {
    {"DownloadLinkLosesAmp", kSiteGoogleVideo, GetGoogleVideoLink, kGoogle,
     "<a href=\"http://vp.google.com/get?a=1&amp;b=%41\" id=\"ipoddownloadlink\">",
     "http://vp.google.com/get?a=1&b=%41"},
    {"DownloadLinkTakesLastHrefBeforeMarker", kSiteGoogleVideo, GetGoogleVideoLink, kGoogle,
     "<a href=\"http://one\"> <A HREF=\"http://two\" ID=\"IPODDOWNLOADLINK\"><a href=\"x\">",
     "http://two"},
    {"DownloadLinkWithoutHrefCountsFromTheTop", kSiteGoogleVideo, GetGoogleVideoLink, kGoogle,
     "12345\"link\"ipoddownloadlink", "\"link"},
    {"DownloadLinkWithoutQuoteFails", kSiteGoogleVideo, GetGoogleVideoLink, kGoogle,
     "ipoddownloadlink", ""},
    {"PlayerVariableDecoded", kSiteGoogleVideo, GetGoogleVideoLink, kGoogle,
     "addVariable(\"videoUrl\", \"http%3A%2F%2Fvp.google.com%2Fv%3Fid%3D5&amp;x\");",
     "http://vp.google.com/v?id=5&amp;x"},
    {"PlayerVariableNameIgnoresCase", kSiteGoogleVideo, GetGoogleVideoLink, kGoogle,
     "http://early\" VIDEOURL=HTTP://late\"", "HTTP://late"},
    {"NeitherMarkerFails", kSiteGoogleVideo, GetGoogleVideoLink, kGoogle,
     "<a href=\"http://a.com/v.flv\">", ""},
    {"PlayerVariableWithoutHttpFails", kSiteGoogleVideo, GetGoogleVideoLink, kGoogle,
     "\"x\" videoUrl=\"ftp://a\"", ""},
    {"PlayerVariableWithoutQuoteFails", kSiteGoogleVideo, GetGoogleVideoLink, kGoogle,
     "\"videoUrl=http://a.com/v.flv", ""},
    {"PlayerVariableTooLongWhenDecoded", kSiteGoogleVideo, GetGoogleVideoLink, kGoogle,
     "videoUrl=http://a/" + std::string(1020, 'x') + "\"", ""},
};

const std::string kYouTubePage =
    "var so = new SWFObject(\"/p.swf?video_id=XYZ789&l=10&t=TOKEN12&sk=1\", \"movie_player\");";

const RuleCase kYouTubeCases[] = {
    {"FurtherParametersDropped", kSiteYouTube, GetYouTubeLink,
     "http://www.youtube.com/watch?v=abc123&feature=related", kYouTubePage,
     "http://www.youtube.com/get_video?video_id=XYZ789&t=TOKEN12&sk=1" + kSignature},
    {"IdAtTheEnd", kSiteYouTube, GetYouTubeLink, "http://www.youtube.com/watch?v=abc123",
     kYouTubePage, "http://www.youtube.com/get_video?video_id=XYZ789&t=TOKEN12&sk=1" + kSignature},
    {"CapitalWatch", kSiteYouTube, GetYouTubeLink, "http://www.youtube.com/Watch?v=abc123",
     kYouTubePage, "http://www.youtube.com/get_video?video_id=XYZ789&t=TOKEN12&sk=1" + kSignature},
    {"PageIdDiffersOnlyInCase", kSiteYouTube, GetYouTubeLink, "http://youtube.com/watch?v=qwe",
     "NEW swfobject(VIDEO_ID=QWE&T=tk\")",
     "http://youtube.com/get_video?video_id=QWE&t=tk" + kSignature},
    {"EmptyAddressIdKeepsBase", kSiteYouTube, GetYouTubeLink, "http://youtube.com/watch?v=",
     kYouTubePage, "http://youtube.com/get_video?video_id=&t=TOKEN12&sk=1" + kSignature},
    {"MissingTokenTakesTextFromThirdCharacter", kSiteYouTube, GetYouTubeLink,
     "http://youtube.com/watch?v=old", "ab-cd\"new SWFObject(video_id=NEW&x",
     "http://youtube.com/get_video?video_id=NEW&t=-cd" + kSignature},
    {"AddressWithoutWatchFails", kSiteYouTube, GetYouTubeLink, "http://youtube.com/v/abc123",
     kYouTubePage, ""},
    {"AmpRightAfterWatchFails", kSiteYouTube, GetYouTubeLink, "http://youtube.com/watch?v&x=1",
     kYouTubePage, ""},
    {"PageWithoutPlayerFails", kSiteYouTube, GetYouTubeLink, "http://youtube.com/watch?v=a",
     "video_id=XYZ&t=T\"", ""},
    {"PageIdWithoutAmpFails", kSiteYouTube, GetYouTubeLink, "http://youtube.com/watch?v=a",
     "new SWFObject(\"video_id=XYZ\")", ""},
    {"TokenWithoutQuoteFails", kSiteYouTube, GetYouTubeLink, "http://youtube.com/watch?v=a",
     "new SWFObject(video_id=XYZ&t=T", ""},
};

const std::string kBolt = "http://www.bolt.com/video/123";

const RuleCase kBoltCases[] = {
    {"ImageBecomesMovie", kSiteBolt, GetBoltLink, kBolt,
     "<input Value=\"[url=" + kBolt +
         "][IMG]http://img.bolt.com/image/abc_def_thumb.jpg[/IMG][/url]\">",
     "http://img.bolt.com/movie/abc_def.flv"},
    {"MarkerIgnoresCase", kSiteBolt, GetBoltLink, kBolt,
     "VALUE=\"[URL=HTTP://WWW.BOLT.COM/VIDEO/123][img]http://i/IMAGE/a_b[/img]",
     "http://i/movie/a.flv"},
    {"FlvNotAddedTwice", kSiteBolt, GetBoltLink, kBolt,
     "Value=\"[url=" + kBolt + "][IMG]http://i/image/clip.FLV_thumb.jpg[/IMG]",
     "http://i/movie/clip.FLV"},
    {"MissingMarkerCountsFromItsLength", kSiteBolt, GetBoltLink, "u",
     std::string(18, '-') + "http://b/image/x_y.jpg[/IMG]", "http://b/movie/x.flv"},
    {"NoClosingTagFails", kSiteBolt, GetBoltLink, kBolt,
     "Value=\"[url=" + kBolt + "][IMG]http://i/image/a_b.jpg", ""},
    {"NoUnderscoreFails", kSiteBolt, GetBoltLink, kBolt,
     "Value=\"[url=" + kBolt + "][IMG]http://i/image/ab.jpg[/IMG]", ""},
};

const RuleCase kMySpaceCases[] = {
    {"TenCharacterIdPadded", kSiteMySpace, GetMySpaceLink,
     "http://vids.myspace.com/index.cfm?fuseaction=vids.individual&videoid=abcdefghij", "x",
     kMySpaceHost + "/abcde00/ji/hg/abcdefghij.flv"},
    {"TwelveCharacterIdKeepsSevenHead", kSiteMySpace, GetMySpaceLink,
     "http://vids.myspace.com/?VideoID=abcdefghijkl", "x",
     kMySpaceHost + "/abcdefg/lk/ji/abcdefghijkl.flv"},
    {"FiveCharacterIdAllZeros", kSiteMySpace, GetMySpaceLink, "http://myspace.com/?videoid=abcde",
     "x", kMySpaceHost + "/0000000/ed/cb/abcde.flv"},
    {"FourCharacterIdFails", kSiteMySpace, GetMySpaceLink, "http://myspace.com/?videoid=abcd", "x",
     ""},
    {"MissingMarkerTakesAddressFromEighthCharacter", kSiteMySpace, GetMySpaceLink,
     "http://myspace.com/12345678", "x",
     kMySpaceHost + "/myspace.com/123/87/65/myspace.com/12345678.flv"},
};

const RuleCase kEmbedCases[] = {
    {"AngryAlienSource", kSiteAngryAlien, GetAngryAlienLink, "http://angryalien.com/a.asp",
     "<object><EMBED SRC=\"http://www.angryalien.com/m/x.swf\" width=1>",
     "http://www.angryalien.com/m/x.swf"},
    {"AngryAlienRelativeSourceIsNothing", kSiteAngryAlien, GetAngryAlienLink,
     "http://angryalien.com/a.asp", "<embed src=\"m/x.swf\">", ""},
    {"AngryAlienMissingMarkerTakesFromTwelfth", kSiteAngryAlien, GetAngryAlienLink,
     "http://angryalien.com/a.asp", "12345678901http://a/b.swf\"", "http://a/b.swf"},
    {"AngryAlienNoClosingQuoteFails", kSiteAngryAlien, GetAngryAlienLink,
     "http://angryalien.com/a.asp", "<embed src=\"http://a/b.swf>", ""},
    {"ThatVideoSiteSingleQuotes", kSiteThatVideoSite, GetThatVideoSiteLink,
     "http://thatvideosite.com/v/1", "<embed src='http://thatvideosite.com/v/1.flv' x=\"y\">",
     "http://thatvideosite.com/v/1.flv"},
    {"ThatVideoSiteDoubleQuotesAreNotItsMarker", kSiteThatVideoSite, GetThatVideoSiteLink,
     "http://thatvideosite.com/v/1", "<embed src=\"http://a/b.flv\">", ""},
};

const RuleCase kIFilmCases[] = {
    {"IdCutAtQuestionMark", kSiteIFilm, GetIFilmLink, "http://www.ifilm.com/video/2712345?htv=12",
     "x", kIFilmHost + "/flv/2712345_300.flv"},
    {"IdCutAtSlash", kSiteIFilm, GetIFilmLink, "http://www.ifilm.com/VIDEO/2712345/trailer", "x",
     kIFilmHost + "/flv/2712345_300.flv"},
    {"IdAtTheEnd", kSiteIFilm, GetIFilmLink, "http://www.ifilm.com/video/2712345", "x",
     kIFilmHost + "/flv/2712345_300.flv"},
    {"SlashWinsOverEarlierQuestionMark", kSiteIFilm, GetIFilmLink,
     "http://ifilm.com/video/27?x=1/2", "x", kIFilmHost + "/flv/27?x=1_300.flv"},
    {"MissingMarkerSearchesFromSeventh", kSiteIFilm, GetIFilmLink, "http://ifilm.com/abc", "x",
     kIFilmHost + "/flv/_300.flv"},
};

const RuleCase kBreakCases[] = {
    {"NameAndPath", kSiteBreak, GetBreakLink, "http://break.com/c.html",
     "var sGlobalFileName='clip_abc';\nvar SGLOBALCONTENTFILEPATH='2007/1/15';",
     kBreakHost + "/dnet/media/2007/1/15/clip_abc.flv"},
    {"OneCharacterName", kSiteBreak, GetBreakLink, "http://break.com/c.html",
     "sGlobalFileName='x';sGlobalContentFilePath='p';", kBreakHost + "/dnet/media/p/x.flv"},
    {"PathOnlyBeforeNameCountsFromTop", kSiteBreak, GetBreakLink, "http://break.com/c.html",
     "sGlobalContentFilePath='p1';sGlobalFileName='n1';", kBreakHost + "/dnet/media//n1.flv"},
    {"NoQuotesFails", kSiteBreak, GetBreakLink, "http://break.com/c.html", "sGlobalFileName=clip",
     ""},
};

const RuleCase kBlipCases[] = {
    {"ValueAsFound", kSiteBlip, GetBlipLink, "http://blip.tv/file/1",
     "<input " + kBlipMarker + "http://blip.tv/file/get/Clip-123.flv\" />",
     "http://blip.tv/file/get/Clip-123.flv"},
    {"ShortValueRunsToALaterQuote", kSiteBlip, GetBlipLink, "http://blip.tv/file/1",
     kBlipMarker + "abc\" /><a href=\"x\">", "abc\" /><a href="},
    {"MissingMarkerTakesFromSixtyThird", kSiteBlip, GetBlipLink, "http://blip.tv/file/1",
     std::string(62, '-') + "http://b/c.flv\"", "http://b/c.flv"},
    {"NoClosingQuoteFails", kSiteBlip, GetBlipLink, "http://blip.tv/file/1",
     kBlipMarker + "http://blip.tv/file/get/Clip-123.flv", ""},
};

const RuleCase kDailymotionCases[] = {
    {"ValueDecoded", kSiteDailymotion, GetDailymotionLink, "http://dailymotion.com/video/x1",
     "so.addVariable(\"url\", \"http%3A%2F%2Fdm.com%2Fget%2F1.flv%3Fkey%3Dab\");",
     "http://dm.com/get/1.flv?key=ab"},
    {"MarkerIgnoresCase", kSiteDailymotion, GetDailymotionLink, "http://dailymotion.com/video/x1",
     "ADDVARIABLE(\"URL\", \"http://a/b\")", "http://a/b"},
    {"MissingMarkerTakesFromTwentieth", kSiteDailymotion, GetDailymotionLink,
     "http://dailymotion.com/video/x1", std::string(19, '-') + "http%3A//a\"", "http://a"},
    {"NoClosingQuoteFails", kSiteDailymotion, GetDailymotionLink, "http://dailymotion.com/video/x1",
     "addVariable(\"url\", \"http://a/b", ""},
};

const RuleCase kPutFileCases[] = {
    {"FlvBeforeWmv", kSitePutFile, GetPutFileLink, "http://putfile.com/v",
     "<a href=\"http://a.putfile.com/x.wmv\"> <p>\"http://b.putfile.com/y.flv\"",
     "http://b.putfile.com/y.flv"},
    {"WmvWhenNoFlv", kSitePutFile, GetPutFileLink, "http://putfile.com/v",
     "<a href=\"http://a.putfile.com/x.WMV\">", "http://a.putfile.com/x.WMV"},
    {"LastHttpBeforeExtension", kSitePutFile, GetPutFileLink, "http://putfile.com/v",
     "HTTP://a.com/page HTTP://b.com/v.flv http://c.com", "HTTP://b.com/v.flv"},
    {"NeitherExtension", kSitePutFile, GetPutFileLink, "http://putfile.com/v", "http://a.com/x.mp4",
     ""},
    {"NoHttpBeforeExtension", kSitePutFile, GetPutFileLink, "http://putfile.com/v",
     "x.flv http://a.com", ""},
};

const std::string kZippy = "http://zippyvideos.com/1/clip";

const RuleCase kZippyCases[] = {
    {"FourValuesJoined", kSiteZippyVideos, GetZippyVideosLink, kZippy,
     "<embed src='p.swf?storageId=st1&userName=bob&videoId=v9&srvURL=http://s1.zippy.com' x>",
     "http://s1.zippy.com/st1/bob/v9"},
    {"AnyOrderAnyCase", kSiteZippyVideos, GetZippyVideosLink, kZippy,
     "SRVURL=http://s'&VIDEOID=v&USERNAME=u&STORAGEID=s&", "http://s/s/u/v"},
    {"MissingStorageFails", kSiteZippyVideos, GetZippyVideosLink, kZippy,
     "userName=bob&videoId=v9&srvURL=http://s'", ""},
    {"MissingUserFails", kSiteZippyVideos, GetZippyVideosLink, kZippy,
     "storageId=st1&videoId=v9&srvURL=http://s'", ""},
    {"MissingVideoFails", kSiteZippyVideos, GetZippyVideosLink, kZippy,
     "storageId=st1&userName=bob&srvURL=http://s'", ""},
    {"MissingServerFails", kSiteZippyVideos, GetZippyVideosLink, kZippy,
     "storageId=st1&userName=bob&videoId=v9&'", ""},
    {"ValueWithoutEndFails", kSiteZippyVideos, GetZippyVideosLink, kZippy,
     "srvURL=http://s'userName=bob&videoId=v9&storageId=st1", ""},
};

std::string CaseName(const testing::TestParamInfo<RuleCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(GoogleVideo, SiteRuleTest, testing::ValuesIn(kGoogleCases), CaseName);
INSTANTIATE_TEST_SUITE_P(YouTube, SiteRuleTest, testing::ValuesIn(kYouTubeCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Bolt, SiteRuleTest, testing::ValuesIn(kBoltCases), CaseName);
INSTANTIATE_TEST_SUITE_P(MySpace, SiteRuleTest, testing::ValuesIn(kMySpaceCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Embed, SiteRuleTest, testing::ValuesIn(kEmbedCases), CaseName);
INSTANTIATE_TEST_SUITE_P(IFilm, SiteRuleTest, testing::ValuesIn(kIFilmCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Break, SiteRuleTest, testing::ValuesIn(kBreakCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Blip, SiteRuleTest, testing::ValuesIn(kBlipCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Dailymotion, SiteRuleTest, testing::ValuesIn(kDailymotionCases), CaseName);
INSTANTIATE_TEST_SUITE_P(PutFile, SiteRuleTest, testing::ValuesIn(kPutFileCases), CaseName);
INSTANTIATE_TEST_SUITE_P(ZippyVideos, SiteRuleTest, testing::ValuesIn(kZippyCases), CaseName);

// The first working case of each site: with a readable page it gives an
// address, so an empty result below can only come from the page file.
const RuleCase kWorkingCases[] = {
    kGoogleCases[0], kYouTubeCases[0],     kBoltCases[0],    kMySpaceCases[0],
    kEmbedCases[0],  kEmbedCases[4],       kIFilmCases[0],   kBreakCases[0],
    kBlipCases[0],   kDailymotionCases[0], kPutFileCases[0], kZippyCases[0],
};

class UnreadablePageTest : public RuleTest, public testing::WithParamInterface<RuleCase> {};

TEST_P(UnreadablePageTest, GivesNothing) {
  const RuleCase& c = GetParam();
  ASSERT_FALSE(c.rule(c.address, folder_.Write(c.page)).empty());
  EXPECT_EQ(c.rule(c.address, (folder_.path() / "missing.pgd").string()), "");
  EXPECT_EQ(c.rule(c.address, folder_.Write("")), "");
  EXPECT_EQ(c.rule(c.address, folder_.path().string()), "");  // a folder
}

INSTANTIATE_TEST_SUITE_P(EverySite, UnreadablePageTest, testing::ValuesIn(kWorkingCases),
                         [](const auto& info) { return std::to_string(info.param.siteId); });

TEST_F(RuleTest, SiteWithoutRuleGivesNothing) {
  std::string pageFile = folder_.Write(kPutFileCases[0].page);
  for (int siteId : {7, kSiteNone, 0, 14}) {
    EXPECT_EQ(RunSiteRule(siteId, "http://putfile.com/v", pageFile), "") << siteId;
  }
}

TEST_F(RuleTest, MediaHostFromTheEnvironmentServesAllThreeSites) {
  EXPECT_EQ(MediaHost(kSiteMySpace), kMySpaceHost);
  EXPECT_EQ(MediaHost(kSiteIFilm), kIFilmHost);
  EXPECT_EQ(MediaHost(kSiteBreak), kBreakHost);
  EXPECT_EQ(MediaHost(kSiteYouTube), "");

  setenv("REELCATCH_MEDIA_HOST", "", 1);
  EXPECT_EQ(MediaHost(kSiteBreak), kBreakHost);

  setenv("REELCATCH_MEDIA_HOST", "http://127.0.0.1:8080", 1);
  EXPECT_EQ(MediaHost(kSiteYouTube), "");
  std::string pageFile = folder_.Write("sGlobalFileName='n';sGlobalContentFilePath='p';");
  EXPECT_EQ(GetBreakLink("http://break.com/c", pageFile),
            "http://127.0.0.1:8080/dnet/media/p/n.flv");
  EXPECT_EQ(GetMySpaceLink("http://myspace.com/?videoid=abcdefghij", pageFile),
            "http://127.0.0.1:8080/abcde00/ji/hg/abcdefghij.flv");
  EXPECT_EQ(GetIFilmLink("http://ifilm.com/video/27", pageFile),
            "http://127.0.0.1:8080/flv/27_300.flv");
  unsetenv("REELCATCH_MEDIA_HOST");
}

}  // namespace
}  // namespace reelcatch
