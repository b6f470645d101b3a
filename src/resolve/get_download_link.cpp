#include "resolve/get_download_link.h"

#include "platform/flag_guard.h"
#include "resolve/site_rules.h"
#include "resolve/site_table.h"
#include "transfer/download.h"

namespace reelcatch {

std::string GetDownloadLink(const std::string& sLink, Download& control, RunState& state,
                            const std::string& pageFile) {
  int siteId = GetSiteId(sLink);
  if (siteId == -1) return link_results::kNoSite;
  state.DownloadResult.clear();
  control.SetUrl(sLink);
  control.SetLocalFile(pageFile);
  {
    // Cleared however the fetch ends.
    FlagGuard preparing(state.Preparing);
    // A stop confirmed before the fetch begins would be lost to the
    // transfer's fresh start: do not begin it.
    if (!state.CancelRequested) control.StartDownload();
  }
  if (state.DownloadResult != "1") return link_results::kNotFetched;
  std::string link = RunSiteRule(GetSiteId(sLink), sLink, pageFile);
  return link.empty() ? link_results::kNotFound : link;
}

}  // namespace reelcatch
