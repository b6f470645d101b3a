// The rules of the two main sites, Google Video and YouTube.
#include "resolve/page_rule.h"
#include "resolve/site_rules.h"
#include "resolve/text_ops.h"
#include "resolve/unescape_url.h"

namespace reelcatch {

using namespace textops;

namespace {

// The download link marked "ipoddownloadlink": the href that stands last before the marker.
std::string GoogleDownloadLink(const std::string& page, TextPos marker) {
  TextPos href = FindLast(page, "href=", marker);
  TextPos close = Find(page, "\"", href + 7);
  std::string link = Cut(page, href + 6, close - href - 6);
  return ReplaceAll(link, "&amp;", "&");
}

// The player variable "videoUrl": the first "http" after it up to a double quote, percent-encoded.
std::string GooglePlayerLink(const std::string& page) {
  TextPos variable = Find(page, "videoUrl", 1);
  TextPos start = Find(page, "http", variable);
  TextPos close = Find(page, "\"", start);
  return UnescapeUrl(Cut(page, start, close - start));
}

}  // namespace

std::string GetGoogleVideoLink(const std::string& sLink, const std::string& pageFile) {
  (void)sLink;
  return RunPageRule(pageFile, [](const std::string& page) {
    TextPos marker = Find(page, "ipoddownloadlink", 1);
    return marker != 0 ? GoogleDownloadLink(page, marker) : GooglePlayerLink(page);
  });
}

namespace {

// The watch address cut down to the file's address: further parameters
// dropped, "watch?v" turned into "get_video?video_id". oldId is the video id
// the address carried.
struct YouTubeAddress {
  std::string base;
  std::string oldId;
};

YouTubeAddress SplitYouTubeAddress(const std::string& address) {
  TextPos watch = Find(address, "watch?v", 1);
  TextPos amp = Find(address, "&", watch);
  YouTubeAddress parts;
  parts.oldId = amp < 1 ? Cut(address, watch + 8) : Cut(address, watch + 8, amp - watch - 8);
  parts.base = amp >= 1 ? Left(address, amp - 1) : address;
  parts.base = ReplaceAll(parts.base, "Watch?v", "get_video?video_id");
  return parts;
}

}  // namespace

std::string GetYouTubeLink(const std::string& sLink, const std::string& pageFile) {
  return RunPageRule(pageFile, [&sLink](const std::string& page) {
    YouTubeAddress address = SplitYouTubeAddress(sLink);
    TextPos player = Find(page, "new SWFObject", 1);
    TextPos idStart = Find(page, "video_id=", player);
    TextPos idEnd = Find(page, "&", idStart);
    std::string pageId = Cut(page, idStart + 9, idEnd - idStart - 9);
    TextPos token = Find(page, "&t=", idStart);
    TextPos tokenEnd = Find(page, "\"", token + 3);
    std::string tokenText = Cut(page, token + 3, tokenEnd - token - 3);
    return ReplaceAll(address.base, address.oldId, pageId) + "&t=" + tokenText +
           "&s=" + kYouTubeSignature;
  });
}

}  // namespace reelcatch
