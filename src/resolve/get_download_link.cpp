#include "resolve/get_download_link.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/flag_guard.h"
#include "resolve/page_rule.h"
#include "resolve/site_rules.h"
#include "resolve/site_table.h"
#include "transfer/download.h"

namespace reelcatch {

namespace {

constexpr const char* kPageFileName = "Parse.pgd";

std::filesystem::path CacheFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && *cache == '/') return std::filesystem::path(cache) / "reelcatch";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : "/tmp") / ".cache" / "reelcatch";
}

// Holds the control to the page limit for one fetch; the video transfers
// that follow have none.
class PageSizeLimit {
 public:
  explicit PageSizeLimit(Download& control) : control_(control) {
    control_.SetMaxBodySize(kMaxPageBytes);
  }
  ~PageSizeLimit() { control_.SetMaxBodySize(0); }
  PageSizeLimit(const PageSizeLimit&) = delete;
  PageSizeLimit& operator=(const PageSizeLimit&) = delete;

 private:
  Download& control_;
};

}  // namespace

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
    PageSizeLimit pageLimit(control);
    // A stop confirmed before the fetch begins would be lost to the
    // transfer's fresh start: do not begin it.
    if (!state.CancelRequested) control.StartDownload();
  }
  if (state.DownloadResult != "1") return link_results::kNotFetched;
  std::string link = RunSiteRule(GetSiteId(sLink), sLink, pageFile);
  return link.empty() || link.size() > kMaxLinkBytes ? link_results::kNotFound : link;
}

std::string PageFilePath(const std::string& programDir) {
  if (!programDir.empty() && access(programDir.c_str(), W_OK) == 0) {
    return (std::filesystem::path(programDir) / kPageFileName).string();
  }
  std::filesystem::path folder = CacheFolder();
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return (folder / kPageFileName).string();
}

}  // namespace reelcatch
