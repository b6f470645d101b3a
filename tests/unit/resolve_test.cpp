// Finding a page's video: the site table, each site's rule, and the text
// operations and file names they are made of.
#include <gtest/gtest.h>

#include <cmath>

#include "resolve/file_naming.h"
#include "resolve/media_types.h"
#include "resolve/page_video.h"
#include "resolve/site_rules.h"
#include "resolve/site_table.h"
#include "resolve/text_ops.h"
#include "resolve/unescape_url.h"
#include "unit/shell_config_folder.h"

namespace reelcatch {
namespace {

using namespace textops;

const std::string kYt = "http://www.youtube.com/", kBolt = "http://bolt.com/v/1",
                  kBoltTag = "Value=\"[url=" + kBolt + "][IMG]",
                  kYtPage = "new SWFObject(\"/p?video_id=XYZ&l=1&t=TK&sk=1\", \"p\")",
                  kMySpace = "http://content.movies.myspace.com/",
                  kIFilm = "http://download.ifilm.com/flv/",
                  kBreak = "http://media1.break.com/dnet/media/", kBlip = "http://blip.tv/file/1",
                  kBlipTag =
                      "readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"",
                  kDaily = "http://dailymotion.com/v/1", kPut = "http://putfile.com/v",
                  kZippy = "http://zippyvideos.com/1",
                  kGoogle = "http://video.google.com/v?docid=1";

std::string Yt(const std::string& rest) {
  return kYt + "get_video?video_id=" + rest + "&s=4F3A9C21B7E05D68:92C4E17A3B6F0D85";
}

// The page address, the page, and the video address its site's rule builds ("": none).
// clang-format off
const std::vector<std::array<std::string, 3>> kRules = {
    {kGoogle, "<a href=\"http://v/g?a=1&amp;b\" id=\"ipoddownloadlink\">", "http://v/g?a=1&b"},
    {kGoogle, "href=\"h1\"> HREF=\"h2\" IPODDOWNLOADLINK href=\"x\"", "h2"},
    {kGoogle, "videoUrl\", \"http%3A%2F%2Fa%2Fv%3Fid%3D5&amp;x\"", "http://a/v?id=5&amp;x"},
    {kGoogle, "http://early\" VIDEOURL=HTTP://late\"", "HTTP://late"},
    {kGoogle, "<a href=\"http://a.com/v.flv\">", ""},
    {kYt + "watch?v=abc&f=r", kYtPage, Yt("XYZ&t=TK&sk=1")},
    {kYt + "Watch?v=abc", kYtPage, Yt("XYZ&t=TK&sk=1")},
    {kYt + "watch?v=qwe", "NEW swfobject(VIDEO_ID=QWE&T=tk\")", Yt("QWE&t=tk")},
    {kYt + "watch?v=old", "ab-cd\"new SWFObject(video_id=NEW&x", Yt("NEW&t=-cd")},
    {kYt + "v/abc", kYtPage, ""},
    {kYt + "watch?v=a", "video_id=XYZ&t=T\"", ""},
    {kBolt, kBoltTag + "http://i/image/abc_def_thumb.jpg[/IMG]", "http://i/movie/abc_def.flv"},
    {kBolt, kBoltTag + "http://i/image/c.FLV_t.jpg[/IMG]", "http://i/movie/c.FLV"},
    {kBolt, std::string(36, '-') + "http://b/image/x_y.jpg[/IMG]", "http://b/movie/x.flv"},
    {kBolt, kBoltTag + "http://i/image/ab.jpg[/IMG]", ""},
    {"http://myspace.com/?videoid=abcdefghij", "x", kMySpace + "abcde00/ji/hg/abcdefghij.flv"},
    {"http://myspace.com/?videoid=abcde", "x", kMySpace + "0000000/ed/cb/abcde.flv"},
    {"http://myspace.com/?videoid=abcd", "x", ""},
    {"http://myspace.com/1234567", "x", kMySpace + "myspace.com/12/76/54/myspace.com/1234567.flv"},
    {"http://angryalien.com/a", "<EMBED SRC=\"http://a/x.swf\" w=1>", "http://a/x.swf"},
    {"http://angryalien.com/a", "<embed src=\"m/x.swf\">", ""},
    {"http://angryalien.com/a", "12345678901http://a/b.swf\"", "http://a/b.swf"},
    {"http://thatvideosite.com/1", "<embed src='http://t/1.flv' x=\"y\">", "http://t/1.flv"},
    {"http://ifilm.com/VIDEO/27/trailer", "x", kIFilm + "27_300.flv"},
    {"http://ifilm.com/video/27?x=1/2", "x", kIFilm + "27?x=1_300.flv"},
    {"http://ifilm.com/abc", "x", kIFilm + "_300.flv"},
    {"http://break.com/c", "sGlobalFileName='x';SGLOBALCONTENTFILEPATH='p';", kBreak + "p/x.flv"},
    {"http://break.com/c", "sGlobalContentFilePath='p';sGlobalFileName='n1';", kBreak + "/n1.flv"},
    {"http://break.com/c", "sGlobalFileName=clip", ""},
    {"http://break.com/c", "sGlobalFileName='';'sGlobalContentFilePath='p'", kBreak + "p/';.flv"},
    {kBlip, kBlipTag + "http://b/c-1.flv\" />", "http://b/c-1.flv"},
    {kBlip, kBlipTag + "abc\" /><a href=\"x\">", "abc\" /><a href="},
    {kBlip, std::string(62, '-') + "http://b/c.flv\"", "http://b/c.flv"},
    {kDaily, "addVariable(\"url\", \"http%3A%2F%2Fdm%2F1.flv%3Fk%3Dab\");", "http://dm/1.flv?k=ab"},
    {kDaily, std::string(19, '-') + "http%3A//a\"", "http://a"},
    {kPut, "<a href=\"http://a/x.wmv\"> \"http://b/y.flv\"", "http://b/y.flv"},
    {kPut, "<a href=\"http://a/x.WMV\">", "http://a/x.WMV"},
    {kPut, "HTTP://a/p HTTP://b/v.flv http://c", "HTTP://b/v.flv"},
    {kPut, "x.flv http://a.com", ""},
    {kZippy, "p?storageId=st1&userName=bob&videoId=v9&srvURL=http://s1' x", "http://s1/st1/bob/v9"},
    {kZippy, "SRVURL=http://s'&VIDEOID=v&USERNAME=u&STORAGEID=s&", "http://s/s/u/v"},
    {kZippy, "srvURL=http://s'userName=bob&videoId=v9&storageId=st1", ""}};
// clang-format on

TEST(SiteRules, BuildTheVideoAddressFromTheSitesPage) {
  testing::TempFolder folder;
  testing::ScopedEnv builtInHosts("REELCATCH_MEDIA_HOST", "");
  const std::string page = folder.Path() + "/page", empty = folder.Path() + "/empty";
  testing::WriteFile(empty, "");
  for (const auto& [address, text, expected] : kRules) {
    testing::WriteFile(page, text);
    EXPECT_EQ(RunSiteRule(GetSiteId(address), address, page), expected) << address << " " << text;
    // No page, or none to read, gives nothing, even to rules that need only the address.
    for (const std::string& unreadable : {empty, folder.Path(), folder.Path() + "/missing"}) {
      EXPECT_EQ(RunSiteRule(GetSiteId(address), address, unreadable), "") << address;
    }
  }
}

// A page of a site without a rule: the page, the video address and title found.
TEST(GeneralRule, TakesTheFirstUsableCandidateInOrder) {
  const std::string page = "http://site.test/dir/page.html", in = "http://site.test/dir/";
  const std::string jsonLd = "<script type=\"application/ld+json\">";
  // clang-format off
  const std::array<std::string, 3> cases[] = {
      {"<title> My\n  clip </title><video src=\"v.mp4\"></video>", in + "v.mp4", "My clip"},
      {"<meta property=\"og:video\" content=\"m.mp4\"><video src=' v.mp4 '>", in + "v.mp4", ""},
      {"<video><source src=a.webm type=video/webm><source src=b.mp4 type=video/mp4></video>",
       in + "b.mp4", ""},
      {"<video><source src=a.webm><source src=b.ogv></video>", in + "a.webm", ""},
      {"<meta property=og:video content=http://c.test/o.mp4>"
       "<meta property=og:video:secure_url content=https://c.test/s.mp4>", "https://c.test/s.mp4", ""},
      {"<meta property=og:video content=/o.mp4><meta property=og:video:url content=/u.mp4>",
       "http://site.test/u.mp4", ""},
      {"<meta name=twitter:player:stream content=//c.test/t.mp4>", "http://c.test/t.mp4", ""},
      {jsonLd + "{\"@graph\":[{\"@type\":\"WebPage\",\"contentUrl\":\"w.mp4\"},"
                "{\"@type\":[\"VideoObject\"],\"contentUrl\":\"j.mp4\"}]}</script>", in + "j.mp4", ""},
      {jsonLd + "{broken</script><a href=x.html>x</a><a href='f/c.MP4?dl=1'>c</a>",
       in + "f/c.MP4?dl=1", ""},
      {"<video src=\"get?id=1&amp;fmt=mp4\">", in + "get?id=1&fmt=mp4", ""},
      {"<base href=\"http://cdn.test/m/\"><video src=b.mp4>", "http://cdn.test/m/b.mp4", ""},
      {"<base href=\"../up/\"><a href=\"b.webm\">", "http://site.test/up/b.webm", ""},
      {"<video src=\"blob:http://site.test/1\"><source src=\"data:video/mp4;base64,AA\"></video>"
       "<meta property=og:video content=\"javascript:a.mp4\"><a href=\"ftp://f/a.mp4\">"
       "<a href=\"r.mp4\">", in + "r.mp4", ""},
      {"<title>About</title><p>No video <a href=\"about.html\">here</a>", "", "About"},
      // Too deep for the parser to read in a moment: not parsed at all.
      {[] { std::string deep; for (int i = 0; i < 100000; ++i) deep += "<div>"; return deep; }() +
       "<video src=v.mp4>", "", ""},
  };
  // clang-format on
  for (const auto& [html, link, title] : cases) {
    PageVideo found = FindPageVideo(html, page);
    EXPECT_EQ(found.link, link) << html.substr(0, 200);
    EXPECT_EQ(found.title, title) << html.substr(0, 200);
  }
}

TEST(GeneralRule, TakesAnAddressForTheVideoByItsMediaType) {
  // clang-format off
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"video/mp4", "/watch", true}, {"audio/mpeg", "/a", true},
      {"application/x-mpegURL", "/live", true}, {"application/octet-stream", "/v/c.WebM", true},
      {"application/octet-stream", "/v/c.mp4/", false}, {"text/html", "/c.mp4", false}};
  // clang-format on
  for (auto [type, path, media] : cases) {
    EXPECT_EQ(IsMediaAnswer(type, path), media) << type << path;
  }
}

TEST(SiteTable, AnyMentionCountsAndTheEarlierSiteWins) {
  const std::pair<const char*, int> cases[] = {
      {"HTTP://YOUTUBE.COM/WATCH?V=A", kSiteYouTube},
      {"http://bolt.com/?youtube.com", kSiteYouTube},
      {"http://youtube.com/?video.google.com", kSiteGoogleVideo},
      {"http://www.google.com/?q=video", kSiteNone},
      {"", kSiteNone}};
  for (auto [address, site] : cases) EXPECT_EQ(GetSiteId(address), site) << address;
}

// "é" is two bytes, "€" three, "𝄞" four; "\xFF" and a lone "\xC3" are no characters.
const std::string kMixed = "a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E\xFF\xC3z", kEuro = "\xE2\x82\xAC",
                  kEnter = "Enter File Name";

TEST(TextOperations, GiveTheirResultOrFail) {
  auto n = [](auto number) { return std::to_string(number); };
  auto size = [](float bytes) { return FormatFileSize(bytes); };
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {n(FindLast("ab_x", "AB", -1)), "1"}, {n(FindLast("ab_http_http", "http", 11)), "4"},
      {n(FindLast("ab_http_http", "http", 12)), "9"}, {n(FindLast("abab", "ab", 100)), "3"},
      {n(Find("abc", "c", 3)) + n(Find("abc", "c", 4)), "30"}, {ReplaceAll("c", "", "X"), "c"},
      {Cut("abc", 4) + "|" + Cut("abcde", 4, 9), "|de"}, {Right("abc", 2) + Left("ab", 7), "bcab"},
      {ReplaceAll("aaaaa", "aa", "X") + ReplaceAll("aba", "a", "aa"), "XXaaabaa"},
      {UnescapeUrl("http%3A%2f%2Fa%7e?%41"), "http://a~?A"}, {UnescapeUrl("a+b%2Bc%41"), "a+b+cA"},
      {UnescapeUrl("%zz%4g%4"), "%zz%4g%4"}, {UnescapeUrl("%2541%00"), "%41%00"},
      {UnescapeUrl(std::string(1023, 'a')), std::string(1023, 'a')},
      {UnescapeUrl(std::string(1024, 'a')) + UnescapeUrl("%41" + std::string(1023, 'a')), ""},
      {size(-0.0f), "0 Bytes"}, {size(1023), "1023 Bytes"}, {size(1024), "1 KB"},
      {size(1280), "1.2 KB"}, {size(2816), "2.8 KB"}, {size(1281), "1.3 KB"},
      {size(1048575), "1024 KB"}, {size(3407872), "3.2 MB"}, {size(NAN), "nan Bytes"},
      {size(1099511562240.0f), "1024 GB"}, {size(1099511627776.0f), ""},
      {size(1073741824.0f * 1000.5f), "1000.5 GB"}, {CleanFileName("..."), "..."},
      {CleanFileName(std::string("a\\b/c:d*e?f\"g<h>i|j&k\0l", 23)), "abcdefghijkl"},
      {CleanFileName(" a=b%#\t\xC3\xA9.flv "), " a=b%#\t\xC3\xA9.flv "},
      {CleanFileName("??") + CleanFileName(".") + CleanFileName("../"), kEnter + kEnter + kEnter},
      {n(Utf8Length(kMixed)), "7"}, {Utf8Left(kMixed, 3), "a\xC3\xA9" + kEuro},
      {n(Utf8Length("\xE2\x82\xED\xA0\x80\xC0\xAF\xE0\x9F\x80\xF4\x90\x80\x80")), "14"},
      {Utf8Right(kMixed, 4), "\xF0\x9D\x84\x9E\xFF\xC3z"},
      {CutFileName("abcdef.flv", 6, 4), "ab.flv"},
      {CutFileName("abcdefg" + kEuro + kEuro + kEuro, 6, 2), "abcd" + kEuro + kEuro},
      {NumberedFileName("clip.flv.flv", 2, 250), "clip.flv (2).flv"},
      {NumberedFileName(".bashrc", 13, 250), ".bashrc (13)"},
      {NumberedFileName(kEuro + kEuro + kEuro + ".flv", 2, 13), kEuro + " (2).flv"},
      {NumberedFileName("a." + std::string(20, 'x'), 2, 12), "a.xxxxxx (2)"}};
  // clang-format on
  for (const auto& [got, expected] : cases) EXPECT_EQ(got, expected);
  EXPECT_THROW(FindLast("abc", "a", 0), RuleFailure);
  EXPECT_THROW(Find("abc", "a", 0), RuleFailure);
  EXPECT_THROW(Cut("abcdef", 2, -1), RuleFailure);
  EXPECT_THROW(Left("abc", -1), RuleFailure);
  EXPECT_THROW(Right("abc", -1), RuleFailure);
}

}  // namespace
}  // namespace reelcatch
