#include "resolve/page_fetch.h"

#include <fcntl.h>

#include "platform/flag_guard.h"
#include "resolve/page_rule.h"
#include "transfer/download.h"

namespace reelcatch {

namespace {

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

// The page file is rewritten in place, so it keeps the owner-only mode it
// was made with; a link put in its place is not followed.
int OpenPageFile(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
}

}  // namespace

bool FetchPage(const std::string& sLink, Download& control, RunState& state,
               const std::string& pageFile) {
  state.DownloadResult.clear();
  control.SetUrl(sLink);
  control.SetLocalFile(pageFile, [&pageFile](const BodyStart&) { return OpenPageFile(pageFile); });
  {
    // Cleared however the fetch ends.
    FlagGuard preparing(state.Preparing);
    PageSizeLimit pageLimit(control);
    // A stop confirmed before the fetch begins would be lost to the
    // transfer's fresh start: do not begin it.
    if (!state.CancelRequested) control.StartDownload();
  }
  return state.DownloadResult == "1";
}

}  // namespace reelcatch
