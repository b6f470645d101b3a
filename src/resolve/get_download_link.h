#pragma once

#include <string>

#include "resolve/run_state.h"

namespace reelcatch {

class Download;

// Result codes of GetDownloadLink besides a video address.
namespace link_results {
inline constexpr const char* kNoSite = "-1";
inline constexpr const char* kNotFetched = "-2";
inline constexpr const char* kNotFound = "0";
}  // namespace link_results

// Fetches the page of sLink into the page file with the Download control and
// runs its site's rule over it: the video file's address, or "-1" (no
// supported site, nothing fetched), "-2" (the page was not fetched), "0" (no
// video address in the page). The control's events must reach the window's
// handlers, which set state.DownloadResult; state.Preparing is set for the
// time of the fetch.
// With anySite, an http or https address of no supported site is resolved
// by the general rule (GetOtherSiteLink) instead of answering "-1"; the
// title of the page it read then goes to pageTitle when one is given.
std::string GetDownloadLink(const std::string& sLink, Download& control, RunState& state,
                            const std::string& pageFile, bool anySite = false,
                            std::string* pageTitle = nullptr);

}  // namespace reelcatch
