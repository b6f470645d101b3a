#pragma once

#include <string>

#include "resolve/run_state.h"

namespace reelcatch {

class Download;

// What the general rule made of an address.
struct OtherSiteLink {
  // The video's address, or "-2" (the page was not fetched) or "0" (no
  // video in it), as GetDownloadLink answers.
  std::string result;
  // The page's title, for naming a video whose address names no file.
  std::string pageTitle;
};

// The general rule, for an address of a site the program has no rule for.
// A HEAD first: an answer that is a video, audio or a stream playlist makes
// the address itself the video's. Otherwise the page is fetched into
// pageFile as a site's page is, and read with an HTML parser
// (FindPageVideo).
OtherSiteLink GetOtherSiteLink(const std::string& sLink, Download& control, RunState& state,
                               const std::string& pageFile);

}  // namespace reelcatch
