// The rules of the ten smaller sites. Markers are used without checking that
// they were found: a missing one counts as position 0 and the arithmetic
// decides whether the rule fails or still picks some text.
#include "resolve/page_rule.h"
#include "resolve/site_rules.h"
#include "resolve/site_table.h"
#include "resolve/text_ops.h"
#include "resolve/unescape_url.h"

namespace reelcatch {

using namespace textops;

namespace {

// The text from the end of marker up to the next closing character. A missing
// marker makes it start at the position equal to the marker's length.
std::string QuotedAfter(const std::string& page, const std::string& marker, const char* closing) {
  TextPos size = Length(marker);
  TextPos at = Find(page, marker, 1);
  TextPos close = Find(page, closing, at + size);
  return Cut(page, at + size, close - at - size);
}

// The source of the first embedded object, kept only when it is an absolute address.
std::string EmbedSource(const std::string& pageFile, const char* quote) {
  return RunPageRule(pageFile, [quote](const std::string& page) {
    std::string link = QuotedAfter(page, std::string("<embed src=") + quote, quote);
    return Find(link, "http", 1) == 0 ? std::string() : link;
  });
}

}  // namespace

std::string GetBoltLink(const std::string& sLink, const std::string& pageFile) {
  return RunPageRule(pageFile, [&sLink](const std::string& page) {
    // The forum code links the page address to a preview image; the movie
    // lies beside the image.
    std::string marker = "Value=\"[url=" + sLink + "][IMG]";
    TextPos start = Find(page, marker, 1) + Length(marker);
    TextPos end = Find(page, "[/IMG]", start);
    std::string image = Cut(page, start, end - start);
    image = Left(image, FindLast(image, "_", -1) - 1);
    image = ReplaceAll(image, "/image/", "/movie/");
    if (Find(image, ".flv", 1) == 0) image += ".flv";
    return image;
  });
}

std::string GetMySpaceLink(const std::string& sLink, const std::string& pageFile) {
  return RunPageRule(pageFile, [&sLink](const std::string&) {
    std::string id = Cut(sLink, Find(sLink, "videoid=", 1) + 8);
    std::string last = Reverse(Right(id, 2));
    std::string beforeLast = Right(Reverse(Right(id, 4)), 2);
    std::string head = Left(id, Length(id) - 5);
    if (head.size() < 7) head.resize(7, '0');
    return MediaHost(kSiteMySpace) + "/" + head + "/" + last + "/" + beforeLast + "/" + id + ".flv";
  });
}

std::string GetAngryAlienLink(const std::string& sLink, const std::string& pageFile) {
  (void)sLink;
  return EmbedSource(pageFile, "\"");
}

std::string GetThatVideoSiteLink(const std::string& sLink, const std::string& pageFile) {
  (void)sLink;
  return EmbedSource(pageFile, "'");
}

std::string GetIFilmLink(const std::string& sLink, const std::string& pageFile) {
  return RunPageRule(pageFile, [&sLink](const std::string&) {
    TextPos start = Find(sLink, "/video/", 1) + 7;
    TextPos end = Find(sLink, "/", start);
    if (end == 0) end = Find(sLink, "?", start);
    std::string id = end == 0 ? Cut(sLink, start) : Cut(sLink, start, end - start);
    return MediaHost(kSiteIFilm) + "/flv/" + id + "_300.flv";
  });
}

std::string GetBreakLink(const std::string& sLink, const std::string& pageFile) {
  (void)sLink;
  return RunPageRule(pageFile, [](const std::string& page) {
    TextPos nameAt = Find(page, "sGlobalFileName='", 1);
    // The closing quote is looked for one character into the name.
    TextPos nameEnd = Find(page, "'", nameAt + 18);
    std::string name = Cut(page, nameAt + 17, nameEnd - nameAt - 17);
    TextPos pathAt = Find(page, "sGlobalContentFilePath='", nameEnd);
    TextPos pathEnd = Find(page, "'", pathAt + 24);
    std::string path = Cut(page, pathAt + 24, pathEnd - pathAt - 24);
    return MediaHost(kSiteBreak) + "/dnet/media/" + path + "/" + name + ".flv";
  });
}

std::string GetBlipLink(const std::string& sLink, const std::string& pageFile) {
  (void)sLink;
  return RunPageRule(pageFile, [](const std::string& page) {
    TextPos at =
        Find(page, "readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"", 1);
    // The closing quote is looked for from nine characters into the value on.
    TextPos close = Find(page, "\"", at + 72);
    return Cut(page, at + 63, close - at - 63);
  });
}

std::string GetDailymotionLink(const std::string& sLink, const std::string& pageFile) {
  (void)sLink;
  return RunPageRule(pageFile, [](const std::string& page) {
    // The value starts past the marker, one blank and its opening quote.
    TextPos at = Find(page, "addVariable(\"url\",", 1);
    TextPos close = Find(page, "\"", at + 20);
    return UnescapeUrl(Cut(page, at + 20, close - at - 20));
  });
}

std::string GetPutFileLink(const std::string& sLink, const std::string& pageFile) {
  (void)sLink;
  return RunPageRule(pageFile, [](const std::string& page) {
    TextPos extension = Find(page, ".flv", 1);
    if (extension == 0) extension = Find(page, ".wmv", 1);
    if (extension == 0) return std::string();
    TextPos start = FindLast(page, "http", extension);
    if (start == 0) return std::string();
    return Cut(page, start, extension - start + 4);
  });
}

namespace {

// The value after marker up to the next closing character; the search for
// the marker always starts at the top of the page.
std::string PlayerValue(const std::string& page, const std::string& marker, const char* closing) {
  TextPos at = Find(page, marker, 1);
  TextPos end = Find(page, closing, at);
  return Cut(page, at + Length(marker), end - at - Length(marker));
}

}  // namespace

std::string GetZippyVideosLink(const std::string& sLink, const std::string& pageFile) {
  (void)sLink;
  return RunPageRule(pageFile, [](const std::string& page) {
    std::string storage = PlayerValue(page, "storageId=", "&");
    std::string user = PlayerValue(page, "userName=", "&");
    std::string video = PlayerValue(page, "videoId=", "&");
    std::string server = PlayerValue(page, "srvURL=", "'");
    return server + "/" + storage + "/" + user + "/" + video;
  });
}

}  // namespace reelcatch
