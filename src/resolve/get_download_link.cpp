#include "resolve/get_download_link.h"

#include "resolve/other_site_rule.h"
#include "resolve/page_fetch.h"
#include "resolve/page_rule.h"
#include "resolve/site_rules.h"
#include "resolve/site_table.h"
#include "transfer/web_address.h"

namespace reelcatch {

std::string GetDownloadLink(const std::string& sLink, Download& control, RunState& state,
                            const std::string& pageFile, bool anySite, std::string* pageTitle) {
  int siteId = GetSiteId(sLink);
  if (siteId == -1) {
    if (!anySite || !IsWebAddress(sLink)) return link_results::kNoSite;
    OtherSiteLink found = GetOtherSiteLink(sLink, control, state, pageFile);
    if (pageTitle != nullptr) *pageTitle = found.pageTitle;
    return found.result;
  }
  if (!FetchPage(sLink, control, state, pageFile)) return link_results::kNotFetched;
  std::string link = RunSiteRule(GetSiteId(sLink), sLink, pageFile);
  return link.empty() || link.size() > kMaxLinkBytes ? link_results::kNotFound : link;
}

}  // namespace reelcatch
