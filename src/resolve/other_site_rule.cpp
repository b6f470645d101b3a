#include "resolve/other_site_rule.h"

#include <exception>

#include "resolve/get_download_link.h"
#include "resolve/media_types.h"
#include "resolve/page_fetch.h"
#include "resolve/page_rule.h"
#include "resolve/page_video.h"
#include "transfer/download.h"
#include "transfer/web_address.h"

namespace reelcatch {
namespace {

// Whether the address answers as a media file. A server that refuses HEAD,
// or fails it, still gets its page asked for.
bool AnswersAsMedia(const std::string& sLink, Download& control) {
  control.SetUrl(sLink);
  control.RequestInformation();
  long status = control.StatusCode();
  if (status < 200 || status >= 400) return false;
  // A stream playlist answers here too: it is handed on like any video
  // link, and whoever downloads it tells a stream from a file.
  return IsMediaAnswer(control.RemoteMediaType(), WebAddressPath(sLink));
}

PageVideo ReadPage(const std::string& sLink, const std::string& pageFile) {
  try {
    std::string page;
    if (!ReadPageFile(pageFile, page)) return {};
    return FindPageVideo(page, sLink);
  } catch (const std::exception&) {
    // No memory for the page's tree: nothing found.
    return {};
  }
}

}  // namespace

OtherSiteLink GetOtherSiteLink(const std::string& sLink, Download& control, RunState& state,
                               const std::string& pageFile) {
  if (AnswersAsMedia(sLink, control)) return {sLink, ""};
  if (state.CancelRequested || !FetchPage(sLink, control, state, pageFile)) {
    return {link_results::kNotFetched, ""};
  }
  // Relative addresses in the page are relative to where it came from.
  PageVideo video = ReadPage(control.FinalUrl(), pageFile);
  if (video.link.empty()) return {link_results::kNotFound, video.title};
  return {video.link, video.title};
}

}  // namespace reelcatch
